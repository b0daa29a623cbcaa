// "&Update Now" through the real dialog against a real orvalle-server, and "&Clear Results
// From Server..." through the scripted seams.

#include "core/base/settingstable.h"
#include "core/responses/httpclient.h"
#include "core/responses/serverexchange.h"
#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "gui/responses/updateresponses.h"
#include "localserver.h"
#include "support/questionfields.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"
#include "support/updatenow.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <memory>

class UpdateResponsesTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<LocalServer> server_;

    QString Home(const QString& relative) const { return home_->path() + QLatin1Char('/') + relative; }

    // A saved survey with a generated page, registered with the server.
    QString MakeSurvey(const QString& serverUrl) const
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName(QStringLiteral("Poll"));
        s.SetUniqueName(QStringLiteral("S260101120000"));
        s.SetHTMLStatus(QStringLiteral("HTML file generated"));
        s.SetProcessResponses(0);
        s.SetServerURL(serverUrl);
        s.SetPassword(QStringLiteral("secret"));
        AddQuestionFields(s, QStringLiteral("Colour?"), qsSingleSelect, QStringLiteral("Red,Blue"), 0, false,
            40, false, 40, 0, 0, 0);
        AddQuestionFields(s, QStringLiteral("Why?"), qsFreeFormText, {}, -1, false, 40, false, 40, 0, 0, 0);
        QDir().mkpath(Home(QStringLiteral("surveys")));
        s.SaveAs(Home(QStringLiteral("surveys/poll.orv")));
        THttpClient client;
        if (!serverUrl.isEmpty())
            RegisterSurvey(s, client, {}, QDateTime::currentDateTime());
        return s.FileName();
    }

    void Post(const QString& serverUrl, const QByteArray& body) const
    {
        THttpClient client;
        client.SetEncodePostedData(false);
        client.Post(serverUrl, "SurveyFile=S260101120000&AccountID=NA&" + body);
        QString failure;
        QVERIFY2(WaitForExchange(client, failure), qPrintable(failure));
    }

    // By the server's clock: time() may still tell the old second for a few milliseconds after
    // the precise clock has moved on, and a download then would hold back the new responses.
    static void WaitForNextSecond()
    {
        const std::time_t second = std::time(nullptr);
        while (std::time(nullptr) == second)
            QTest::qWait(20);
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<TTestHome>();
        server_ = std::make_unique<LocalServer>(Home(QStringLiteral("responses.sqlite")));
        QVERIFY(!server_->Url().isEmpty());
    }

    void cleanup()
    {
        server_.reset();
        home_.reset();
    }

    void downloadsMergesAndThenFetchesOnlyNewResponses()
    {
        const QString url = server_->Url();
        TORVMainForm w(MakeSurvey(url));
        AttachResponseCommands(w);
        QVERIFY(w.Command(cmd::UpdateNow)->isEnabled());
        Post(url, "orv1=1&orv2=Caf%C3%A9%0D%0Asecond+line");
        Post(url, "orv1=0&orv2=ok");
        WaitForNextSecond();

        QStringList lines = RunUpdateNow(w);
        QCOMPARE(lines,
            (QStringList{QStringLiteral("Connecting to ") + url, QStringLiteral("Connected."),
                QStringLiteral("Result transmission completed."), QStringLiteral("Verifying server results."),
                QStringLiteral("Results incorporated."), QStringLiteral("New responses: 2"),
                QStringLiteral("Responses eliminated: 0"), QStringLiteral("Total responses: 2")}));
        QCOMPARE(w.Survey().SRResponseCount(), 2);
        QCOMPARE(w.Survey().SRLastUpdate().size(), 14);
        QCOMPARE(w.TempFiles().size(), 2);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 2"));

        Post(url, "orv1=1&orv2=third");
        WaitForNextSecond();
        lines = RunUpdateNow(w);
        QVERIFY2(lines.contains(QStringLiteral("New responses: 1")), qPrintable(lines.join('\n')));
        QVERIFY(lines.contains(QStringLiteral("Total responses: 3")));
        lines = RunUpdateNow(w);
        QVERIFY2(lines.contains(QStringLiteral("New responses: 0")), qPrintable(lines.join('\n')));
    }

    void serverErrorsAndMissingServersStoreNothing()
    {
        const QString url = server_->Url();
        TORVMainForm w(MakeSurvey(url));
        AttachResponseCommands(w);
        w.Survey().SetPassword(QStringLiteral("wrong"));
        QStringList lines = RunUpdateNow(w);
        QCOMPARE(lines.last(),
            QStringLiteral("Result verification failed.  Error: The survey ID is not correct."));

        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const QString nowhere = QStringLiteral("http://127.0.0.1:%1/orv.dll").arg(closed.serverPort());
        closed.close();
        w.Survey().SetServerURL(nowhere);
        lines = RunUpdateNow(w);
        QCOMPARE(lines.last(), QStringLiteral("Connection to server failed - update canceled."));
        QCOMPARE(w.Survey().SRResponseCount(), 0);
        QCOMPARE(w.Survey().GetSRLastUpdate(), QStringLiteral("Never"));
    }

    void stopEndsASilentTransfer()
    {
        TORVMainForm w(MakeSurvey({}));
        AttachResponseCommands(w);
        QTcpServer silent;
        silent.listen(QHostAddress::LocalHost);
        w.Survey().SetServerURL(QStringLiteral("http://127.0.0.1:%1/orv.dll").arg(silent.serverPort()));
        int outcome = -1;
        const QStringList lines = RunUpdateNow(w, true, &outcome);
        QCOMPARE(outcome, int(TORVUpdateResponses::FailedOrStopped));
        QVERIFY(!lines.contains(QStringLiteral("Result transmission completed.")));
        QCOMPARE(w.Survey().SRResponseCount(), 0);
    }

    void clearAsksThenOpensTheBrowser()
    {
        TORVMainForm w(MakeSurvey(server_->Url()));
        AttachResponseCommands(w);
        w.Survey().SetSRResponseCount(1); // the command is offered once responses came in
        w.CheckForButtons();
        w.Command(cmd::ClearResultsFromServer)->trigger(); // unscripted: No
        QCOMPARE(home_->seams.messages->Texts(), QStringList{QString::fromLatin1(kClearQuestion)});
        QVERIFY(home_->seams.shell->opened.isEmpty());
        home_->seams.messages->Script(TAnswer::Yes);
        w.Command(cmd::ClearResultsFromServer)->trigger();
        QCOMPARE(home_->seams.shell->opened,
            QStringList{server_->Url()
                + QStringLiteral("/clearSurvey?SurveyFile=S260101120000&AccountID=&ID=secret")});
    }
};

QTEST_MAIN(UpdateResponsesTest)
#include "updateresponses_test.moc"
