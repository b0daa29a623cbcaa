#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The two response commands of the main window, driven through the scripted dialogs.
class ResponseCommandsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;

    QString Home(const QString& relative) const { return home_->path() + QLatin1Char('/') + relative; }

    QString WriteFile(const QString& relative, const QByteArray& bytes) const
    {
        QFile f(Home(relative));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    // A saved survey whose page has been generated, so that the import is enabled.
    QString MakeSurvey() const
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName(QStringLiteral("Poll"));
        s.SetUniqueName(QStringLiteral("S260101120000"));
        s.SetHTMLStatus(QStringLiteral("HTML file generated"));
        s.AddQuestion({QStringLiteral("Colour?"), qsSingleSelect, QStringLiteral("Red,Blue"), 0, false, 40,
            false, 40, 0, 0, 0});
        QDir().mkpath(Home(QStringLiteral("surveys")));
        s.SaveAs(Home(QStringLiteral("surveys/poll.orv")));
        return s.FileName();
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }

    void cleanup() { home_.reset(); }

    void importReplacesTheResponsesAndShowsTheCounts()
    {
        TORVMainForm w(MakeSurvey());
        AttachResponseCommands(w);
        QVERIFY(w.Command(cmd::ImportServerDataFile)->isEnabled());
        const QString data = WriteFile(QStringLiteral("saved.txt"),
            "ID,RemoteAddr\r\n"
            "RemoteAddr=10.0.0.1,orv1=0,DateRec=20260101120000\r\n"
            "RemoteAddr=10.0.0.2,orv1=1,DateRec=20260101120500\r\n"
            "junk\r\n");
        home_->seams.files->Script(data);
        w.Command(cmd::ImportServerDataFile)->trigger();

        QCOMPARE(home_->seams.files->requests.size(), size_t(1));
        const TFileDialogRequest& asked = home_->seams.files->requests[0];
        QCOMPARE(asked.Kind, QStringLiteral("Open"));
        QCOMPARE(asked.Title, QStringLiteral("Import Server Data File"));
        QCOMPARE(asked.Filter, QStringLiteral("Orvalle Server Data File (S260101120000.dat)"));
        QVERIFY(asked.Directory.endsWith(QStringLiteral("/S260101120000.dat")));
        QCOMPARE(home_->seams.messages->Captions(), QStringList{QStringLiteral("Information")});
        QCOMPARE(home_->seams.messages->Texts().value(0),
            QStringLiteral("Results incorporated.\r\nNew responses: 2\r\nResponses eliminated: 1\r\n"
                           "Total responses: 2\r\n"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 2"));
        QVERIFY(QFile::exists(Home(QStringLiteral("surveys/S260101120000.dbf"))));
        QCOMPARE(w.Survey().SRLastUpdate(), QStringLiteral("20260101120500"));

        // Cancelling the dialog does nothing; a name that does not exist is reported.
        home_->seams.files->ScriptCancel();
        w.Command(cmd::ImportServerDataFile)->trigger();
        QCOMPARE(home_->seams.messages->shown.size(), size_t(1));
        const QString missing = Home(QStringLiteral("gone.dat"));
        home_->seams.files->Script(missing);
        w.Command(cmd::ImportServerDataFile)->trigger();
        QCOMPARE(home_->seams.messages->Texts().last(),
            QStringLiteral("The file ") + missing + QStringLiteral(" could not be found."));
        QCOMPARE(w.Survey().SRResponseCount(), 2);
    }

    void resetAsksThenRemovesTheLocalResponses()
    {
        const QString survey = MakeSurvey();
        {
            TORVMainForm w(survey);
            AttachResponseCommands(w);
            home_->seams.files->Script(
                WriteFile(QStringLiteral("in.dat"), "RemoteAddr=1\r\nRemoteAddr=2\r\n"));
            w.Command(cmd::ImportServerDataFile)->trigger();
            QCOMPARE(w.Survey().SRResponseCount(), 2);
        }
        // A survey loaded with a table opens it.
        TORVMainForm w(survey);
        TSurveyResponseTable& table = AttachResponseCommands(w);
        QVERIFY(table.IsOpen());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 2"));

        home_->seams.messages->shown.clear();
        w.Command(cmd::ResetLocalResponses)->trigger(); // unscripted: No
        QCOMPARE(home_->seams.messages->Texts(),
            QStringList{QStringLiteral("Are you sure you want to reset your local responses?")});
        QCOMPARE(w.Survey().SRResponseCount(), 2);
        QVERIFY(table.IsOpen());

        home_->seams.messages->Script(TAnswer::Yes);
        w.Command(cmd::ResetLocalResponses)->trigger();
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 0"));
        QVERIFY(!table.IsOpen());
        QVERIFY(!QFile::exists(Home(QStringLiteral("surveys/S260101120000.dbf"))));
        QVERIFY(w.Survey().PubHistory().contains(QStringLiteral("Response file reset")));
        QVERIFY(!w.Survey().Modified());
    }

    // The program installs the response table before its window exists: a survey opened at
    // start-up has its table open (and tallied) at once, and the commands work on it.
    void theFactoryGivesEveryWindowItsTableAndCommands()
    {
        const QString survey = MakeSurvey();
        InstallResponseCommands();
        {
            TORVMainForm w(survey);
            home_->seams.files->Script(
                WriteFile(QStringLiteral("in.dat"), "RemoteAddr=1\r\nRemoteAddr=2\r\n"));
            w.Command(cmd::ImportServerDataFile)->trigger();
            QCOMPARE(w.Survey().SRResponseCount(), 2);
        }
        TORVMainForm w(survey);
        auto* table = dynamic_cast<TSurveyResponseTable*>(&w.ResponseTable());
        QVERIFY(table && table->IsOpen());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 2"));
        TORVMainForm::SetResponseTableFactory({});
    }

    // The handlers look the table up when they run: one replaced since is never touched.
    void commandsUseTheTableTheWindowHoldsNow()
    {
        const QString survey = MakeSurvey();
        {
            TORVMainForm w(survey);
            AttachResponseCommands(w);
            home_->seams.files->Script(
                WriteFile(QStringLiteral("in.dat"), "RemoteAddr=1\r\nRemoteAddr=2\r\n"));
            w.Command(cmd::ImportServerDataFile)->trigger();
        }
        TORVMainForm w(survey);
        AttachResponseCommands(w);
        TSurveyResponseTable& current = AttachResponseCommands(w); // the first table is gone
        QVERIFY(current.IsOpen());
        home_->seams.messages->Script(TAnswer::Yes);
        w.Command(cmd::ResetLocalResponses)->trigger();
        QVERIFY(!current.IsOpen());
        QCOMPARE(w.Survey().SRResponseCount(), 0);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 0"));
    }
};

QTEST_MAIN(ResponseCommandsTest)
#include "responsecommands_test.moc"
