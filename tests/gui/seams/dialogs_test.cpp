#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/base/version.h"
#include "core/survey/survey.h"
#include "gui/authoring/header.h"
#include "gui/authoring/libname.h"
#include "gui/authoring/properties.h"
#include "gui/authoring/publishwizard.h"
#include "gui/authoring/question.h"
#include "gui/authoring/rt.h"
#include "gui/authoring/skipgroup.h"
#include "gui/authoring/templatemgr.h"
#include "gui/help/about.h"
#include "gui/help/help.h"
#include "gui/help/tipofday.h"
#include "core/interaction/messages.h"
#include "gui/seams/warning.h"
#include "gui/settings/prefs.h"
#include "gui/settings/seldir.h"
#include "support/scriptedseams.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

void WriteText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { SetAppSettings(std::make_unique<TMemorySettings>()); }

    void warnOnceRemembersOnlyYesOrNoWithTheBoxTicked_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("storedAfter");
        const int yes = int(TAnswer::Yes), no = int(TAnswer::No), cancel = int(TAnswer::Cancel);
        QTest::newRow("switched off") << "1" << no << false << yes << false << "1";
        QTest::newRow("no, ticked") << "" << no << true << no << true << "1";
        QTest::newRow("yes, ticked") << "" << yes << true << yes << true << "1";
        QTest::newRow("cancel, ticked") << "" << cancel << true << cancel << true << "";
        QTest::newRow("yes, not ticked") << "0" << yes << false << yes << true << "0";
    }
    void warnOnceRemembersOnlyYesOrNoWithTheBoxTicked()
    {
        QFETCH(QString, stored);
        QFETCH(int, answer);
        QFETCH(bool, tick);
        QFETCH(int, expected);
        QFETCH(bool, asked);
        QFETCH(QString, storedAfter);
        TScriptedSeams seams;
        if (!stored.isEmpty())
            AppSettings().WriteString(settings::DisabledWarnings, settings::MoveSkipGroup, stored);
        seams.messages->Script(TAnswer(answer), tick);
        const TAnswer got = WarnOnce(QStringLiteral("Move?"), settings::MoveSkipGroup);
        QCOMPARE(int(got), expected);
        QCOMPARE(seams.messages->shown.size(), asked ? size_t(1) : size_t(0));
        QCOMPARE(
            AppSettings().ReadString(settings::DisabledWarnings, settings::MoveSkipGroup, ""), storedAfter);
    }

    void messageBoxesUseTheirCaptions()
    {
        TScriptedSeams seams;
        ShowError(QStringLiteral("e"));
        ShowWarning(QStringLiteral("w"));
        ShowInformation(QStringLiteral("i"));
        seams.messages->Script(TAnswer::Yes);
        QVERIFY(AskYesNo(QStringLiteral("q")));
        QVERIFY(!AskYesNo(QStringLiteral("unscripted")));
        QCOMPARE(AskYesNoCancel(QStringLiteral("Confirm Save"), QStringLiteral("s")), TAnswer::Cancel);
        QCOMPARE(seams.messages->Captions(),
            QStringList({"Error", "Warning", "Information", "Warning", "Warning", "Confirm Save"}));
        QCOMPARE(seams.messages->shown[0].Icon, TMessageBoxes::Icon::Error);
        QCOMPARE(seams.messages->shown[1].Icon, TMessageBoxes::Icon::Information);
    }

    void warningDialogReturnsTheButtonAndTheTick()
    {
        TORVWarning dlg(QStringLiteral("Are you sure?"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Warning"));
        QCOMPARE(dlg.memoMessage->toPlainText(), QStringLiteral("Are you sure?"));
        QVERIFY(!dlg.cbDontShow->isChecked());
        QTimer::singleShot(0, &dlg, [&] {
            dlg.cbDontShow->setChecked(true);
            QTest::mouseClick(dlg.btnNo, Qt::LeftButton);
        });
        QTimer::singleShot(5000, &dlg, &QDialog::reject); // a failing test must not hang
        QCOMPARE(dlg.Ask(), TAnswer::No);
        QVERIFY(dlg.DontShowAgain());

        QTimer::singleShot(0, &dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); });
        QTimer::singleShot(5000, &dlg, &QDialog::reject);
        QCOMPARE(dlg.Ask(), TAnswer::Cancel);
    }

    void tipOfTheDayWrapsAndRemembersTheTipShown()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/";
        WriteText(data + "tips.txt", "First tip\nSecond&CR;line\n\nThird tip\n");
        {
            TORVTipOfDay tip(data);
            QCOMPARE(tip.windowTitle(), QStringLiteral("Orvalle tip of the day"));
            QCOMPARE(tip.Tips().size(), 3);
            QCOMPARE(tip.TipIndex(), 0); // the stored -1 advances to the first tip
            QCOMPARE(tip.memoTip->toPlainText(), QStringLiteral("First tip"));
            QVERIFY(tip.cbTipsAtStartup->isChecked());
            QTest::mouseClick(tip.btnPrevious, Qt::LeftButton);
            QCOMPARE(tip.memoTip->toPlainText(), QStringLiteral("Third tip"));
            QTest::mouseClick(tip.btnNext, Qt::LeftButton);
            QCOMPARE(tip.TipIndex(), 0);
            tip.NextTip();
            QCOMPARE(tip.memoTip->toPlainText(), QStringLiteral("Second\nline"));
            tip.cbTipsAtStartup->setChecked(false);
            tip.setAttribute(Qt::WA_DeleteOnClose, false);
        }
        const TSettings& s = AppSettings();
        QCOMPARE(s.ReadInteger(settings::ApplicationDetails, settings::TipIndex, -1), 1);
        QVERIFY(!s.ReadBool(settings::Preferences, settings::TipAtStartup, true));
        QVERIFY(s.Value(settings::TipWindow, settings::Top).has_value());

        TORVTipOfDay next(data);
        next.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(next.TipIndex(), 2); // each opening shows the tip after the last one shown
        QVERIFY(!next.cbTipsAtStartup->isChecked());
    }

    void tipsFromTheOriginalPlatformAreReadAsWindows1252()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/";
        QFile file(data + "tips.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Caf\xe9 \x93quotes\x94\r\nSecond tip\rThird\r\n"); // Windows-1252, CR and CR LF
        file.close();
        TORVTipOfDay tip(data);
        tip.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(
            tip.Tips(), (QStringList{QStringLiteral("Caf\u00e9 \u201cquotes\u201d"), "Second tip", "Third"}));
    }

    void aboutBoxShowsTheVersionAndClosesOnAClick()
    {
        TScriptedSeams seams;
        TORVAbout about;
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version ") + VersionString());
        QVERIFY(VersionString().contains("  (Build "));
        about.lblWebSite->linkActivated(QStringLiteral("https://orvalle.example.org/"));
        QCOMPARE(seams.shell->opened, QStringList{"https://orvalle.example.org/"});
        about.show();
        QTest::mouseClick(about.lblTitle, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void tipOfTheDayWithoutTipsFile()
    {
        QTemporaryDir dir;
        TORVTipOfDay tip(dir.path() + "/");
        tip.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(tip.memoTip->toPlainText(), TORVTipOfDay::MissingTipsText());
        tip.NextTip();
        QCOMPARE(tip.TipIndex(), 0);
    }

    void helpOpensTopicPagesAndWhatsThisTexts()
    {
        QTemporaryDir dir;
        SetHelpDirectoryOverride(dir.path());
        WriteText(dir.filePath("topic3.html"), "<html>");
        WriteText(dir.filePath("whatsthis.txt"), "# comment\n10004=The web page&CR;file name\nbad line\n");
        TScriptedSeams seams;
        ShowHelpTopic(3);
        ShowHelpTopic(77); // no page of its own: the contents
        ShowHelpContents();
        QCOMPARE(seams.shell->opened,
            QStringList(
                {dir.filePath("topic3.html"), dir.filePath("index.html"), dir.filePath("index.html")}));
        QCOMPARE(WhatsThisText(10004), QStringLiteral("The web page\nfile name"));
        QVERIFY(WhatsThisText(1).isEmpty());
        QPushButton button;
        SetHelpContext(&button, 10004);
        QCOMPARE(HelpContext(&button), 10004);
        QCOMPARE(button.whatsThis(), QStringLiteral("The web page\nfile name"));
        SetHelpDirectoryOverride({});
    }

    void everyControlOfEveryDialogExplainsItself()
    {
        SetHelpDirectoryOverride(QStringLiteral(ORVALLE_SOURCE_DIR "/data/help"));
        QTemporaryDir data;
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.push_back(std::make_unique<TORVQuestion>(data.path() + "/"));
        dialogs.push_back(std::make_unique<TORVHeader>());
        dialogs.push_back(std::make_unique<TORVrt>());
        dialogs.push_back(std::make_unique<TORVSkipGroup>(
            QStringList{"1a) Member"}, QStringLiteral("1) Owner"), QStringList{"Yes", "No"}));
        dialogs.push_back(std::make_unique<TORVTemplateMgr>(data.path() + "/"));
        dialogs.push_back(std::make_unique<TORVWarning>(QStringLiteral("Delete?")));
        dialogs.push_back(std::make_unique<TORVLibName>());
        TSurvey survey;
        survey.NewSurvey();
        dialogs.push_back(std::make_unique<TORVProperties>(survey, data.path() + "/"));
        dialogs.push_back(std::make_unique<TORVPublishWizard>(TWizardSetup{}, data.path() + "/"));
        dialogs.push_back(std::make_unique<TORVPrefs>(TPreferenceValues{}));
        dialogs.push_back(std::make_unique<TORVSelDir>(data.path()));
        for (const auto& dialog : dialogs) {
            QStringList silent;
            for (QWidget* w : dialog->findChildren<QWidget*>()) {
                const auto* label = qobject_cast<QLabel*>(w);
                const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)
                    || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w)
                    || qobject_cast<QAbstractItemView*>(w) || qobject_cast<QAbstractSpinBox*>(w)
                    || (label && label->buddy());
                // A drop-down list's own popup, a tab bar's scroll arrows and a spin box's edit field
                // are not the dialog's controls (What's This asks the spin box for the field).
                if (!control || w->window() != dialog.get() || qobject_cast<QTabBar*>(w->parentWidget())
                    || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
                    continue;
                if (w->whatsThis().isEmpty() || w->whatsThis().startsWith("No help is available"))
                    silent << w->metaObject()->className() + QStringLiteral(" ") + w->objectName()
                            + QStringLiteral(" ") + (label ? label->text() : QString());
            }
            QVERIFY2(silent.isEmpty(), qPrintable(dialog->windowTitle() + ": " + silent.join(", ")));
        }
        SetHelpDirectoryOverride({});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
