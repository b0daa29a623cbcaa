#include "gui/help/about.h"
#include "support/scriptedseams.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/mainwindow/responseseam.h"
#include "gui/help/tipofday.h"
#include "core/base/inisettings.h"
#include "core/base/profilefile.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
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
            s.AddQuestion(QStringLiteral("Question %1").arg(i + 1), qsSingleSelect, QStringLiteral("Yes,No"),
                0, false, 40, false, 40, 0, 0, 0);
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
            QVERIFY(MenuCaptions(w.miApplyResponseTemplate).contains("Yes / No"));
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
        QVERIFY(!w.miFileReopen->actions().isEmpty());
        for (QAction* a : w.miFileReopen->actions())
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
        QCOMPARE(w.pnlStatus[0]->text(), QStringLiteral(" Modified "));
        QVERIFY(w.miFileSave->isEnabled());

        seams_->messages->Script(TAnswer::Cancel);
        QVERIFY(!w.FileNew());
        QCOMPARE(w.Survey().QuestionCount(), 1);
        QCOMPARE(seams_->messages->shown.back().caption, QStringLiteral("Confirm Save"));
        QCOMPARE(seams_->messages->shown.back().text,
            QStringLiteral("Your survey has not been saved. Would you like to save it now?"));

        seams_->messages->Script(TAnswer::Cancel);
        QVERIFY(!w.close());

        // Yes on a survey without a file goes through Save As; cancelling that dialog stops.
        seams_->messages->Script(TAnswer::Yes);
        seams_->files->ScriptCancel();
        QVERIFY(!w.FileNew());
        QCOMPARE(seams_->files->requests.back().title, QStringLiteral("Save Survey"));

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
            s.AddQuestion(QStringLiteral("Q%1").arg(i), qsSingleSelect, QStringLiteral("Yes,No"), 0, false,
                40, false, 40, 0, 0, 0);
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
            s.AddQuestion(QString::fromUtf8(t), qsSingleSelect, QStringLiteral("Yes,No"), 0, false, 40, false,
                40, 0, 0, 0);
        s.GetQuestion(1).SkipGroupOfResponse = 0;
        s.GetQuestion(2).SkipGroupOfQuestion = s.GetQuestion(1).ID;
        s.GetQuestion(3).SkipGroupOfQuestion = s.GetQuestion(1).ID;
        w.RefreshQuestionList();
        w.CheckForButtons();
        QStringList rows;
        for (int i = 0; i < w.questionModel->rowCount(); ++i)
            rows.append(w.questionModel->index(i, 0).data().toString());
        QCOMPARE(rows, QStringList({"Intro", "1) Owner", "1a) Member one", "1b) Member two", "2) After"}));
        QCOMPARE(s.GetQuestion(1).SkipDistance, 3);
        QCOMPARE(w.cmbQuestionList->count(), 4);
        QCOMPARE(w.cmbQuestionList->itemData(0).toInt(), 1);
        QCOMPARE(w.cmbQuestionList->currentIndex(), 0);

        // Row heights: headers from the font, questions from the 32-pixel images.
        const QRect header = w.lbQuestions->visualRect(w.questionModel->index(0, 0));
        const QRect question = w.lbQuestions->visualRect(w.questionModel->index(1, 0));
        QCOMPARE(question.height(), 36);
        QCOMPARE(header.height(), TQuestionDelegate::HeaderRowHeight(w.lbQuestions->font()));

        w.SelectRows({2});
        QCOMPARE(w.SkipGroupButtonOffer(), TSkipGroupOffer::Ungroup);
        QCOMPARE(MenuCaptions(w.tbSkipGroup->menu()), QStringList{"Ungroup..."});
        w.SelectRows({4});
        QCOMPARE(w.SkipGroupButtonOffer(), TSkipGroupOffer::None); // the item before is a member
        QVERIFY(!w.tbSkipGroup->isEnabled());
        QVERIFY(w.tbMoveUp->isEnabled());
        QVERIFY(!w.tbMoveDown->isEnabled());
        QVERIFY(w.miEditItem->isEnabled());
        w.SelectRows({0, 1});
        QVERIFY(!w.miEditItem->isEnabled());
        QVERIFY(!w.tbMoveUp->isEnabled());
    }

    void printAndPublishEnabling()
    {
        TORVMainForm w;
        QVERIFY(!w.miFilePrint->isEnabled());
        QVERIFY(!w.miPublishSurvey->isEnabled());
        QVERIFY(!w.tbPreviewAsWebPage->isEnabled());
        QVERIFY(w.tbPreview->isEnabled());
        QVERIFY(!w.miFileSave->isEnabled());

        w.Survey().AddHeader(QStringLiteral("Only a header"));
        w.RefreshQuestionList();
        w.CheckForButtons();
        QVERIFY(w.miFilePrint->isEnabled());
        QVERIFY(w.miPublishSurvey->isEnabled());
        QCOMPARE(w.cmbQuestionList->count(), 0);

        w.pcMain->setCurrentIndex(1); // Analysis: printing needs responses
        QCOMPARE(w.miFilePrint->text(), QStringLiteral("&Print Analysis..."));
        QCOMPARE(w.miFilePrint->toolTip(), QStringLiteral("Print Analysis"));
        QVERIFY(!w.miFilePrint->isEnabled());
        QCOMPARE(w.lblLastUpdated->text(), QStringLiteral("Last Updated: Never"));
        QCOMPARE(w.lblResponsesReceived->text(), QStringLiteral("Responses Received: 0"));
        QCOMPARE(w.lblCurrentFilter->text(), QStringLiteral("Filter: None"));
        w.Survey().SetSRResponseCount(3);
        w.CheckForButtons();
        QVERIFY(w.miFilePrint->isEnabled());
        QVERIFY(w.miRawResultsEditing->isEnabled());
        QVERIFY(!w.miFileExport->isEnabled()); // no response table is open
    }

    void changesToPublishedSurveyAreGuarded()
    {
        TORVMainForm w;
        QVERIFY(w.ConfirmChangesToPublished()); // never generated: nothing to ask
        QVERIFY(seams_->messages->shown.empty());
        w.Survey().SetHTMLStatus(QStringLiteral("HTML file generated at noon"));
        w.CheckForButtons();
        QVERIFY(w.btnUpdateNow->isEnabled());
        seams_->messages->Script(TAnswer::No);
        QVERIFY(!w.ConfirmChangesToPublished());
        QCOMPARE(seams_->messages->shown.back().kind, QStringLiteral("Warn"));
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
        QCOMPARE(w.questionModel->rowCount(), 3);
        QCOMPARE(w.RecentFiles().Files().first(), first);
        QCOMPARE(w.pnlStatus[1]->text(), second); // not in the last save folder: the full path
    }

    void startupLoadShowsProgressOnTheSplash()
    {
        const QString path = MakeSurvey(QStringLiteral("answered"));
        int seen = 0;
        TORVMainForm::SetResponseTableFactory([&seen] {
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
            QVERIFY(w.miFileExport->isEnabled() == false); // no responses received yet in the survey
            w.show();
            QVERIFY(!splash.isVisible()); // showing the window closes the splash screen

            // Afterwards the status bar carries the progress.
            int statusMaximum = 0;
            connect(
                w.pbStatus, &QProgressBar::valueChanged, &w, [&] { statusMaximum = w.pbStatus->maximum(); });
            seams_->files->Script(MakeSurvey(QStringLiteral("another")));
            QVERIFY(w.FileOpen());
            QCOMPARE(statusMaximum, 40);
            QVERIFY(w.pbStatus->isHidden());
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
        w.SetCommand(w.miEditItem, [&edits] { ++edits; });
        QPushButton* sideEdit = nullptr;
        for (QPushButton* b : w.tbSurvey->findChildren<QPushButton*>())
            if (b->text() == QLatin1String("&Edit selected item..."))
                sideEdit = b;
        QVERIFY(sideEdit && sideEdit->isEnabled());
        QTest::mouseClick(sideEdit, Qt::LeftButton);
        w.miEditItem->trigger();
        QCOMPARE(edits, 2);
        QVERIFY(seams_->messages->shown.empty());
    }

    void commandsCarryWhatsThisTexts()
    {
        TORVMainForm w;
        QVERIFY(w.miFileSaveAs->whatsThis().contains("without its responses"));
        QVERIFY(w.tbSkipGroup->whatsThis().contains("skip group"));
        QVERIFY(w.lbQuestions->whatsThis().contains("Insert"));
        int sideButtonsWithHelp = 0;
        for (QPushButton* b : w.tbSurvey->findChildren<QPushButton*>())
            sideButtonsWithHelp += !b->whatsThis().isEmpty();
        QCOMPARE(sideButtonsWithHelp, w.tbSurvey->findChildren<QPushButton*>().size());
    }

    void previewWritesATemporaryPageAndKeepsThePageState()
    {
        TORVMainForm w;
        w.Survey().AddQuestion(QStringLiteral("Shown?"), qsSingleSelect, QStringLiteral("Yes,No"), 0, false,
            40, false, 40, 0, 0, 0);
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
};

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
