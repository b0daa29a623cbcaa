#include "core/base/inisettings.h"
#include "core/base/profilefile.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/help/about.h"
#include "gui/help/tipofday.h"
#include "gui/mainwindow/application.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/mainwindow/responseseam.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWhatsThis>

#include <memory>

namespace {

// A response table that reports progress as if it tallied `records` responses, and can fail.
class TFakeResponses : public TResponseTableSeam {
public:
    int records = 0;
    bool failFilter = false;
    int* progressSeen = nullptr;
    void SurveyLoaded(TSurvey&, TProgress& progress) override
    {
        progress.Start(records);
        for (int i = 1; i <= records; ++i)
            progress.Step(i);
        if (progressSeen)
            *progressSeen = records;
        progress.Finish();
    }
    void Close() override { }
    bool IsOpen() const override { return records > 0; }
    QString FilterText() const override
    {
        if (failFilter)
            throw std::runtime_error("filter table is gone");
        return {};
    }
};

QStringList MenuCaptions(QMenu* menu)
{
    QStringList captions;
    for (QAction* a : menu->actions())
        captions.append(a->text());
    return captions;
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<TScriptedSeams> seams_;

    QString Home(const QString& relative = {}) const { return home_->path() + QLatin1Char('/') + relative; }
    QString DataDir() const { return Home(QStringLiteral("data/orvalle/")); }

    // A saved survey with `count` Single Select questions.
    QString MakeSurvey(const QString& name, int count = 1)
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName(name);
        for (int i = 0; i < count; ++i)
            s.AddQuestion({QStringLiteral("Question %1").arg(i + 1), qsSingleSelect, QStringLiteral("Yes,No"),
                0, false, 40, false, 40, 0, 0, 0});
        const QString path = Home(QStringLiteral("surveys/") + name + QStringLiteral(".orv"));
        QDir().mkpath(Home(QStringLiteral("surveys")));
        s.SaveAs(path);
        return path;
    }

    void RestartSettings()
    {
        SetAppSettings(nullptr);
        SetAppSettings(std::make_unique<TIniSettings>(DefaultSettingsFileName()));
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("HOME", home_->path().toUtf8());
        qputenv("XDG_CONFIG_HOME", Home(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", Home(QStringLiteral("data")).toUtf8());
        RestartSettings();
        seams_ = std::make_unique<TScriptedSeams>();
    }

    void cleanup()
    {
        seams_.reset();
        SetAppSettings(nullptr);
        home_.reset();
    }

    void firstStartOnACleanHome()
    {
        {
            TORVMainForm w;
            QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - (Untitled)"));
            QCOMPARE(w.size(), QSize(600, 450));
            const QPoint centre = QApplication::primaryScreen()->availableGeometry().center();
            QVERIFY((w.geometry().center() - centre).manhattanLength() <= 2);
            QCOMPARE(w.DataDirectory(), DataDir());
            QVERIFY(QFile::exists(DataDir() + "tips.txt")); // seeded from the installed data
            QVERIFY(QFile::exists(DataDir() + "help/index.html"));
            const TProfileFile yesno(DataDir() + "yesno.ovt");
            QCOMPARE(yesno.ReadString("Details", "Title", ""), QStringLiteral("Yes / No"));
            QCOMPARE(yesno.ReadString("Values", "3", ""), QStringLiteral("Don't Know"));
            const TProfileFile agree(DataDir() + "agree.ovt");
            QCOMPARE(agree.ReadString("Values", "5", ""), QStringLiteral("Strongly Disagree"));
            QVERIFY(MenuCaptions(w.CommandMenu(cmd::ApplyResponseTemplate)).contains("Yes / No"));
            QVERIFY(QFile::exists(Home("data/mime/packages/orvalle.xml")));
            QVERIFY(QFile::exists(Home("data/applications/orvalle.desktop")));

            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.findChildren<TORVTipOfDay*>().size(), 1);
            QVERIFY(w.close());
        }
        const TSettings& s = AppSettings();
        QCOMPARE(s.ReadString(settings::ApplicationDetails, settings::DataDirectory, ""), DataDir());
        QCOMPARE(s.ReadInteger(settings::ApplicationDetails, settings::TipIndex, -1), 0);
        QCOMPARE(s.ReadString(settings::WindowDetails, settings::Maximized, ""), QStringLiteral("0"));
        QCOMPARE(s.ReadInteger(settings::WindowDetails, settings::Width, 0), 600);
    }

    void closingWhileMaximizedKeepsTheNormalBounds()
    {
        AppSettings().WriteInteger(settings::WindowDetails, settings::Top, 40);
        AppSettings().WriteInteger(settings::WindowDetails, settings::Left, 50);
        AppSettings().WriteInteger(settings::WindowDetails, settings::Width, 700);
        AppSettings().WriteInteger(settings::WindowDetails, settings::Height, 500);
        AppSettings().WriteBool(settings::Preferences, settings::TipAtStartup, false);
        TORVMainForm w;
        QCOMPARE(w.size(), QSize(700, 500));
        w.showMaximized();
        QVERIFY(w.close());
        const TSettings& s = AppSettings();
        QCOMPARE(s.ReadString(settings::WindowDetails, settings::Maximized, ""), QStringLiteral("1"));
        QCOMPARE(s.ReadInteger(settings::WindowDetails, settings::Width, 0), 700);
        QCOMPARE(s.ReadInteger(settings::WindowDetails, settings::Top, 0), 40);
    }

    void startupFileChoice_data()
    {
        QTest::addColumn<bool>("autoReopen");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("lastOpen");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("command line") << false << "cmd"
                                      << ""
                                      << "cmd";
        QTest::newRow("auto reopen") << true << ""
                                     << "last"
                                     << "last";
        QTest::newRow("auto reopen off") << false << ""
                                         << "last"
                                         << "(Untitled)";
        QTest::newRow("auto reopen, file deleted") << true << ""
                                                   << "gone"
                                                   << "(Untitled)";
        QTest::newRow("missing command-line file wins") << true << "gone"
                                                        << "last"
                                                        << "(Untitled)";
    }
    void startupFileChoice()
    {
        QFETCH(bool, autoReopen);
        QFETCH(QString, commandLine);
        QFETCH(QString, lastOpen);
        QFETCH(QString, expectedName);
        auto pathOf = [this](const QString& name) {
            if (name.isEmpty())
                return QString();
            if (name == QLatin1String("gone"))
                return Home("surveys/gone.orv");
            return MakeSurvey(name);
        };
        AppSettings().WriteBool(settings::Preferences, settings::AutoReopen, autoReopen);
        AppSettings().WriteString(settings::ApplicationDetails, settings::LastOpenFile, pathOf(lastOpen));
        TORVMainForm w(pathOf(commandLine));
        QCOMPARE(w.Survey().Name(), expectedName);
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - ") + expectedName);
        QVERIFY(seams_->messages->shown.empty());
    }

    void recentFilesMoveAndDrop()
    {
        QStringList files;
        for (int i = 1; i <= 7; ++i)
            files.append(MakeSurvey(QStringLiteral("s%1").arg(i)));
        TORVMainForm w;
        for (const QString& f : files) {
            seams_->files->Script(f);
            QVERIFY(w.FileOpen());
        }
        // Six entries; the open survey (s7) is not among them yet, the seventh open dropped none of
        // the six it left behind except the oldest.
        QCOMPARE(w.RecentFiles().Count(), 6);
        QCOMPARE(w.RecentFiles().Files().first(), files[5]);
        QCOMPARE(w.RecentFiles().Files().last(), files[0]);
        QVERIFY(!w.CommandMenu(cmd::FileReopen)->actions().isEmpty());
        for (QAction* a : w.CommandMenu(cmd::FileReopen)->actions())
            QVERIFY(a->data().toString() != files[6]); // never the open survey's own file

        QVERIFY(w.Reopen(files[2]));
        QCOMPARE(w.Survey().Name(), QStringLiteral("s3"));
        QCOMPARE(w.RecentFiles().Files().first(), files[6]); // the file being left goes on top
        QCOMPARE(w.RecentFiles().Files().count(files[6]), 1);
        QCOMPARE(w.RecentFiles().Count(), 6);

        QFile::remove(files[3]);
        QVERIFY(!w.Reopen(files[3]));
        QCOMPARE(seams_->messages->Captions(), QStringList{"File Not Found"});
        QCOMPARE(seams_->messages->Texts().first(),
            files[3] + " is no longer there.  It may have been deleted or moved.");
        QVERIFY(!w.RecentFiles().Files().contains(files[3]));
        QCOMPARE(w.Survey().Name(), QStringLiteral("s3")); // the open survey stays open
        QVERIFY(w.close());

        RestartSettings();
        TORVMainForm again;
        QVERIFY(!again.RecentFiles().Files().contains(files[3]));
    }

    void confirmSaveGuardsReplacingAndClosing()
    {
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("Unsaved"));
        w.CheckForButtons();
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("pnlStatus0"))->text(), QStringLiteral(" Modified "));
        QVERIFY(w.Command(cmd::FileSave)->isEnabled());

        seams_->messages->Script(TAnswer::Cancel);
        QVERIFY(!w.FileNew());
        QCOMPARE(w.Survey().QuestionCount(), 1);
        QCOMPARE(seams_->messages->shown.back().Caption, QStringLiteral("Confirm Save"));
        QCOMPARE(seams_->messages->shown.back().Text,
            QStringLiteral("Your survey has not been saved. Would you like to save it now?"));

        seams_->messages->Script(TAnswer::Cancel);
        QVERIFY(!w.close());

        // Yes on a survey without a file goes through Save As; cancelling that dialog stops.
        seams_->messages->Script(TAnswer::Yes);
        seams_->files->ScriptCancel();
        QVERIFY(!w.FileNew());
        QCOMPARE(seams_->files->requests.back().Title, QStringLiteral("Save Survey"));

        seams_->messages->Script(TAnswer::Yes);
        seams_->files->Script(Home("kept"));
        QVERIFY(w.FileNew());
        QVERIFY(QFile::exists(Home("kept.ORV")));
        QCOMPARE(w.RecentFiles().Files().first(), Home("kept.ORV"));
        QCOMPARE(w.Survey().QuestionCount(), 0);
        QVERIFY(w.close());
    }

    void saveAsAppendsTheExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "plain"
                                      << "plain.ORV";
        QTest::newRow("other extension") << "notes.txt"
                                         << "notes.txt.ORV";
        QTest::newRow("lower case") << "ok.orv"
                                    << "ok.orv";
    }
    void saveAsAppendsTheExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("H"));
        seams_->files->Script(Home(typed));
        QVERIFY(w.SaveSurveyAs());
        QCOMPARE(w.Survey().FileName(), Home(saved));
        QVERIFY(QFile::exists(Home(saved)));
        QCOMPARE(w.LastDirSavedTo(), QDir(Home()).absolutePath());
    }

    void saveAsToANewNameMakesAFreshCopy()
    {
        TORVMainForm w;
        TSurvey& s = w.Survey();
        s.SetName(QStringLiteral("Customer survey"));
        s.SetPassword(QStringLiteral("secret"));
        for (int i = 0; i < 5; ++i)
            s.AddQuestion({QStringLiteral("Q%1").arg(i), qsSingleSelect, QStringLiteral("Yes,No"), 0, false,
                40, false, 40, 0, 0, 0});
        s.DeleteQuestion(0);
        s.GetQuestion(0).SkipGroupOfResponse = 1;
        s.GetQuestion(1).SkipGroupOfQuestion = s.GetQuestion(0).ID;
        s.SetSRResponseCount(12);
        s.SetHTMLStatus(QStringLiteral("HTML file generated at noon"));
        seams_->files->Script(Home("old.orv"));
        QVERIFY(w.SaveSurveyAs());
        const QString old = w.Survey().FileName();

        seams_->files->Script(Home("copy.orv"));
        QVERIFY(w.SaveSurveyAs());
        TSurvey& copy = w.Survey();
        QCOMPARE(copy.FileName(), Home("copy.orv"));
        QCOMPARE(copy.Name(), QStringLiteral("Customer survey"));
        QCOMPARE(copy.QuestionCount(), 4);
        QCOMPARE(copy.GetQuestion(0).ID, 1); // new identifiers
        QCOMPARE(copy.GetQuestion(0).SkipGroupOfResponse, -1);
        QCOMPARE(copy.GetQuestion(1).SkipGroupOfQuestion, -1);
        QVERIFY(copy.Password().isEmpty());
        QCOMPARE(copy.SRResponseCount(), 0);
        QCOMPARE(copy.HTMLStatus(), QStringLiteral("HTML file not generated"));
        QVERIFY(!copy.Modified());
        QCOMPARE(w.RecentFiles().Files().first(), Home("copy.orv"));
        QVERIFY(w.RecentFiles().Files().contains(old));

        TSurvey reread;
        reread.Load(old); // the old file keeps its password and responses
        QCOMPARE(reread.Password(), QStringLiteral("secret"));
        QCOMPARE(reread.SRResponseCount(), 12);
    }

    void listShowsNumbersAndFillsTheAnalysisCombo()
    {
        TORVMainForm w;
        TSurvey& s = w.Survey();
        s.AddHeader(QStringLiteral("Intro"));
        for (const char* t : {"Owner", "Member one", "Member two", "After"})
            s.AddQuestion({QString::fromUtf8(t), qsSingleSelect, QStringLiteral("Yes,No"), 0, false, 40,
                false, 40, 0, 0, 0});
        s.GetQuestion(1).SkipGroupOfResponse = 0;
        s.GetQuestion(2).SkipGroupOfQuestion = s.GetQuestion(1).ID;
        s.GetQuestion(3).SkipGroupOfQuestion = s.GetQuestion(1).ID;
        w.RefreshQuestionList();
        w.CheckForButtons();
        QStringList rows;
        for (int i = 0; i < w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))->rowCount();
             ++i)
            rows.append(w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))
                            ->index(i, 0)
                            .data()
                            .toString());
        QCOMPARE(rows, QStringList({"Intro", "1) Owner", "1a) Member one", "1b) Member two", "2) After"}));
        QCOMPARE(s.GetQuestion(1).SkipDistance, 3);
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmbQuestionList"))->count(), 4);
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmbQuestionList"))->itemData(0).toInt(), 1);
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmbQuestionList"))->currentIndex(), 0);

        // Row heights: headers from the font, questions from the 32-pixel images.
        const QRect header
            = w.findChild<QListView*>(QStringLiteral("lbQuestions"))
                  ->visualRect(
                      w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))->index(0, 0));
        const QRect question
            = w.findChild<QListView*>(QStringLiteral("lbQuestions"))
                  ->visualRect(
                      w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))->index(1, 0));
        QCOMPARE(question.height(), 36);
        QCOMPARE(header.height(),
            TQuestionDelegate::HeaderRowHeight(
                w.findChild<QListView*>(QStringLiteral("lbQuestions"))->font()));

        w.SelectRows({2});
        QCOMPARE(w.SkipGroupButtonOffer(), TSkipGroupOffer::Ungroup);
        QCOMPARE(MenuCaptions(w.findChild<QPushButton*>(QStringLiteral("tbSkipGroup"))->menu()),
            QStringList{"Ungroup..."});
        w.SelectRows({4});
        QCOMPARE(w.SkipGroupButtonOffer(), TSkipGroupOffer::None); // the item before is a member
        QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("tbSkipGroup"))->isEnabled());
        QVERIFY(w.Command(cmd::MoveUp)->isEnabled());
        QVERIFY(!w.Command(cmd::MoveDown)->isEnabled());
        QVERIFY(w.Command(cmd::EditItem)->isEnabled());
        w.SelectRows({0, 1});
        QVERIFY(!w.Command(cmd::EditItem)->isEnabled());
        QVERIFY(!w.Command(cmd::MoveUp)->isEnabled());
    }

    void printAndPublishEnabling()
    {
        TORVMainForm w;
        QVERIFY(!w.Command(cmd::FilePrint)->isEnabled());
        QVERIFY(!w.Command(cmd::PublishSurvey)->isEnabled());
        QVERIFY(!w.Command(cmd::PreviewAsWebPage)->isEnabled());
        QVERIFY(w.Command(cmd::Preview)->isEnabled());
        QVERIFY(!w.Command(cmd::FileSave)->isEnabled());

        w.Survey().AddHeader(QStringLiteral("Only a header"));
        w.RefreshQuestionList();
        w.CheckForButtons();
        QVERIFY(w.Command(cmd::FilePrint)->isEnabled());
        QVERIFY(w.Command(cmd::PublishSurvey)->isEnabled());
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("cmbQuestionList"))->count(), 0);

        w.findChild<QTabWidget*>(QStringLiteral("pcMain"))
            ->setCurrentIndex(1); // Analysis: printing needs responses
        QCOMPARE(w.Command(cmd::FilePrint)->text(), QStringLiteral("&Print Analysis..."));
        QCOMPARE(w.Command(cmd::FilePrint)->toolTip(), QStringLiteral("Print Analysis"));
        QVERIFY(!w.Command(cmd::FilePrint)->isEnabled());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblLastUpdated"))->text(),
            QStringLiteral("Last Updated: Never"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 0"));
        QCOMPARE(
            w.findChild<QLabel*>(QStringLiteral("lblCurrentFilter"))->text(), QStringLiteral("Filter: None"));
        w.Survey().SetSRResponseCount(3);
        w.CheckForButtons();
        QVERIFY(w.Command(cmd::FilePrint)->isEnabled());
        QVERIFY(w.Command(cmd::RawResultsEditing)->isEnabled());
        QVERIFY(!w.Command(cmd::FileExport)->isEnabled()); // no response table is open
    }

    void changesToPublishedSurveyAreGuarded()
    {
        TORVMainForm w;
        QVERIFY(w.ConfirmChangesToPublished()); // never generated: nothing to ask
        QVERIFY(seams_->messages->shown.empty());
        w.Survey().SetHTMLStatus(QStringLiteral("HTML file generated at noon"));
        w.CheckForButtons();
        QVERIFY(w.Command(cmd::UpdateNow)->isEnabled());
        seams_->messages->Script(TAnswer::No);
        QVERIFY(!w.ConfirmChangesToPublished());
        QCOMPARE(seams_->messages->shown.back().Kind, QStringLiteral("Warn"));
        AppSettings().WriteBool(settings::DisabledWarnings, settings::ChangesToPublishedSurvey, true);
        QVERIFY(w.ConfirmChangesToPublished());
    }

    void droppedFileReplacesTheSurvey()
    {
        const QString first = MakeSurvey(QStringLiteral("first"), 2);
        const QString second = MakeSurvey(QStringLiteral("second"), 3);
        TORVMainForm w(first);
        QVERIFY(w.OpenDroppedFile(second));
        QCOMPARE(w.Survey().Name(), QStringLiteral("second"));
        QCOMPARE(w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))->rowCount(), 3);
        QCOMPARE(w.RecentFiles().Files().first(), first);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("pnlStatus1"))->text(),
            second); // not in the last save folder: the full path
    }

    void startupLoadShowsProgressOnTheSplash()
    {
        const QString path = MakeSurvey(QStringLiteral("answered"));
        int seen = 0;
        TORVMainForm::SetResponseTableFactory([&seen](TORVMainForm&) {
            auto table = std::make_unique<TFakeResponses>();
            table->records = 40;
            table->progressSeen = &seen;
            return table;
        });
        TORVAbout splash;
        splash.show();
        int maximum = 0;
        connect(splash.pbAnalyzing, &QProgressBar::valueChanged, &splash,
            [&] { maximum = splash.pbAnalyzing->maximum(); });
        {
            TORVMainForm w(path, &splash);
            QCOMPARE(seen, 40);
            QCOMPARE(maximum, 40);
            QVERIFY(splash.pbAnalyzing->isHidden()); // shown only while the loop runs
            QVERIFY(
                w.Command(cmd::FileExport)->isEnabled() == false); // no responses received yet in the survey
            w.show();
            QVERIFY(!splash.isVisible()); // showing the window closes the splash screen

            // Afterwards the status bar carries the progress.
            int statusMaximum = 0;
            connect(w.findChild<QProgressBar*>(QStringLiteral("pbStatus")), &QProgressBar::valueChanged, &w,
                [&] { statusMaximum = w.findChild<QProgressBar*>(QStringLiteral("pbStatus"))->maximum(); });
            seams_->files->Script(MakeSurvey(QStringLiteral("another")));
            QVERIFY(w.FileOpen());
            QCOMPARE(statusMaximum, 40);
            QVERIFY(w.findChild<QProgressBar*>(QStringLiteral("pbStatus"))->isHidden());
        }
        TORVMainForm::SetResponseTableFactory({});
    }

    void failureInsideCheckForButtonsIsLogged()
    {
        TORVMainForm w;
        auto table = std::make_unique<TFakeResponses>();
        table->failFilter = true;
        w.SetResponseTable(std::move(table));
        QFile log(w.DataDirectory() + "ERROR.LOG");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(":Exception thrown during CheckForButtons - filter table is gone"),
            qPrintable(text));
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - (Untitled)")); // what was set before stays
    }

    void implementedCommandsReplaceTheNotAvailableBox()
    {
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("H"));
        w.RefreshQuestionList();
        w.SelectRows({0});

        int edits = 0;
        w.SetHandler(cmd::EditItem, [&edits] { ++edits; });
        QPushButton* sideEdit = nullptr;
        for (QPushButton* b : w.findChild<QWidget*>(QStringLiteral("tbSurvey"))->findChildren<QPushButton*>())
            if (b->text() == QLatin1String("&Edit selected item..."))
                sideEdit = b;
        QVERIFY(sideEdit && sideEdit->isEnabled());
        QTest::mouseClick(sideEdit, Qt::LeftButton);
        w.Command(cmd::EditItem)->trigger();
        QCOMPARE(edits, 2);
        QVERIFY(seams_->messages->shown.empty());
    }

    void commandsCarryWhatsThisTexts()
    {
        TORVMainForm w;
        QVERIFY(w.Command(cmd::FileSaveAs)->whatsThis().contains("without its responses"));
        QVERIFY(w.findChild<QPushButton*>(QStringLiteral("tbSkipGroup"))->whatsThis().contains("skip group"));
        QVERIFY(w.findChild<QListView*>(QStringLiteral("lbQuestions"))->whatsThis().contains("Insert"));
        int sideButtonsWithHelp = 0;
        for (QPushButton* b : w.findChild<QWidget*>(QStringLiteral("tbSurvey"))->findChildren<QPushButton*>())
            sideButtonsWithHelp += !b->whatsThis().isEmpty();
        QCOMPARE(sideButtonsWithHelp,
            w.findChild<QWidget*>(QStringLiteral("tbSurvey"))->findChildren<QPushButton*>().size());
    }

    void previewWritesATemporaryPageAndKeepsThePageState()
    {
        TORVMainForm w;
        w.Survey().AddQuestion({QStringLiteral("Shown?"), qsSingleSelect, QStringLiteral("Yes,No"), 0, false,
            40, false, 40, 0, 0, 0});
        w.Survey().SetModified(false);
        w.Preview();
        QCOMPARE(w.TempFiles().size(), 1);
        const QString page = w.TempFiles().first();
        QCOMPARE(seams_->shell->opened, QStringList{page});
        QVERIFY(QFile::exists(page));
        QCOMPARE(w.Survey().HTMLStatus(), QStringLiteral("HTML file not generated"));
        QVERIFY(!w.Survey().Modified());
        QVERIFY(w.close());
        QVERIFY(!QFile::exists(page)); // deleted at close

        TORVMainForm broken;
        broken.Survey().SetDisplayTemplate(QStringLiteral("missing.ovg"));
        broken.Preview();
        QVERIFY(broken.TempFiles().isEmpty());
        QCOMPARE(seams_->messages->Captions(), QStringList{"Error"});
    }

    // Delete and Insert in the list run their commands only when pressed alone and not held.
    void deleteAndInsertActOnlyOnAPlainKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("autoRepeat");
        QTest::addColumn<int>("deletes");
        QTest::addColumn<int>("inserts");
        QTest::newRow("Del") << int(Qt::Key_Delete) << int(Qt::NoModifier) << false << 1 << 0;
        QTest::newRow("Shift+Del") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << false << 0 << 0;
        QTest::newRow("Ctrl+Del") << int(Qt::Key_Delete) << int(Qt::ControlModifier) << false << 0 << 0;
        QTest::newRow("held Del") << int(Qt::Key_Delete) << int(Qt::NoModifier) << true << 0 << 0;
        QTest::newRow("keypad Del") << int(Qt::Key_Delete) << int(Qt::KeypadModifier) << false << 1 << 0;
        QTest::newRow("Ins") << int(Qt::Key_Insert) << int(Qt::NoModifier) << false << 0 << 1;
        QTest::newRow("Ctrl+Ins") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << false << 0 << 0;
        QTest::newRow("Shift+Ins") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << false << 0 << 0;
        QTest::newRow("held Ins") << int(Qt::Key_Insert) << int(Qt::NoModifier) << true << 0 << 0;
    }

    void deleteAndInsertActOnlyOnAPlainKey()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, autoRepeat);
        QFETCH(int, deletes);
        QFETCH(int, inserts);
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("H"));
        w.RefreshQuestionList();
        w.SelectRows({0});
        int deleted = 0;
        int inserted = 0;
        w.SetHandler(cmd::DeleteItem, [&deleted] { ++deleted; });
        w.SetHandler(cmd::AddQuestion, [&inserted] { ++inserted; });
        auto* list = w.findChild<QListView*>(QStringLiteral("lbQuestions"));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers), QString(), autoRepeat);
        QCoreApplication::sendEvent(list, &release);
        QCOMPARE(deleted, deletes);
        QCOMPARE(inserted, inserts);
    }

    // The window follows the survey: no caller has to refresh it.
    void windowFollowsTheSurveysChanges()
    {
        TORVMainForm w;
        QVERIFY(!w.Command(cmd::UpdateNow)->isEnabled());
        w.Survey().SetName(QStringLiteral("Poll"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - Poll"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("pnlStatus0"))->text(), QStringLiteral(" Modified "));
        QVERIFY(w.Command(cmd::FileSave)->isEnabled());
        w.Survey().SetModified(false);
        QVERIFY(!w.Command(cmd::FileSave)->isEnabled());
        w.Survey().SetHTMLStatus(QStringLiteral("HTML file generated"));
        QVERIFY(w.Command(cmd::UpdateNow)->isEnabled());
        w.Survey().SetSRResponseCount(3);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblResponsesReceived"))->text(),
            QStringLiteral("Responses Received: 3"));
        QVERIFY(w.Command(cmd::ClearResultsFromServer)->isEnabled());
        w.Survey().SetEMailStatus(QStringLiteral("Sent"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblNotificationsSent"))->text(),
            QStringLiteral("Notifications: Sent"));
        QVERIFY(!w.Command(cmd::EditPaste)->isEnabled());
        w.ClipboardSurvey().AddHeader(QStringLiteral("copied"));
        QVERIFY(w.Command(cmd::EditPaste)->isEnabled());
        QVERIFY(!w.Command(cmd::PublishSurvey)->isEnabled());
        w.Survey().AddHeader(QStringLiteral("H"));
        QVERIFY(w.Command(cmd::PublishSurvey)->isEnabled());
    }

    // A module's handler replaces only the "not available" box: buttons and other receivers of
    // the command stay connected, and a command registered later is listed like the window's own.
    void commandRegistryHandlersAndRules()
    {
        TORVMainForm w;
        QAction* unbuilt = w.RegisterCommand(
            {.Id = QStringLiteral("miUnbuilt"), .Caption = QStringLiteral("&Unbuilt...")});
        int otherReceiver = 0;
        connect(unbuilt, &QAction::triggered, &w, [&otherReceiver] { ++otherReceiver; });
        unbuilt->trigger();
        QCOMPARE(seams_->messages->Texts(),
            QStringList{"\"Unbuilt\" is not available in this version of Orvalle yet."});
        int handled = 0;
        QVERIFY(w.SetHandler(QStringLiteral("miUnbuilt"), [&handled] { ++handled; }));
        unbuilt->trigger();
        QCOMPARE(handled, 1);
        QCOMPARE(otherReceiver, 2);
        QCOMPARE(seams_->messages->shown.size(), size_t(1));
        QVERIFY(!w.SetHandler(QStringLiteral("noSuchCommand"), [] {}));

        int ran = 0;
        QAction* added = w.RegisterCommand({.Id = QStringLiteral("btnSomething"),
            .Caption = QStringLiteral("&Something..."),
            .EnabledWhen = [](const TCommandState& s) { return s.Items > 1; },
            .Handler = [&ran] { ++ran; }});
        QCOMPARE(w.Command(QStringLiteral("btnSomething")), added);
        QCOMPARE(added->toolTip(), QStringLiteral("Something"));
        w.Survey().AddHeader(QStringLiteral("one"));
        QVERIFY(!added->isEnabled());
        w.Survey().AddHeader(QStringLiteral("two"));
        QVERIFY(added->isEnabled());
        added->trigger();
        QCOMPARE(ran, 1);
    }

    void aboutFromTheHelpMenuIsCentredOnTheScreen()
    {
        TORVMainForm w;
        w.show();
        w.move(0, 0);
        QPoint centre;
        WhenModal([&centre](QDialog* d) {
            centre = d->frameGeometry().center();
            d->reject();
        });
        w.Command(cmd::About)->trigger();
        const QPoint screen = QApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((centre - screen).manhattanLength() <= 2,
            qPrintable(QStringLiteral("about box centred at %1,%2, screen at %3,%4")
                           .arg(centre.x())
                           .arg(centre.y())
                           .arg(screen.x())
                           .arg(screen.y())));
    }

    // The title is exactly "Orvalle - <name>": the program sets no display name that the
    // platform would append to every window title.
    void titleCarriesNoDisplayName()
    {
        const QString name = QCoreApplication::applicationName();
        SetUpApplication();
        QCoreApplication::setApplicationName(QStringLiteral("probe"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
        QCoreApplication::setApplicationName(name);
        TORVMainForm w;
        w.Survey().SetName(QStringLiteral("Cafe"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - Cafe"));
    }

    void failedPreviewLeavesNoPage()
    {
        const QString temp = Home(QStringLiteral("tmp"));
        QDir().mkpath(temp);
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.toUtf8());
        {
            TORVMainForm broken;
            broken.Survey().SetDisplayTemplate(QStringLiteral("missing.ovg"));
            broken.Preview();
            QCOMPARE(seams_->messages->Captions(), QStringList{"Error"});
            QCOMPARE(QDir(temp).entryList(QDir::Files), QStringList());
        }
        qputenv("TMPDIR", oldTemp);
    }
};

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
