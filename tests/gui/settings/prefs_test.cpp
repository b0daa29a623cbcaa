#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/interaction/messages.h"
#include "core/publishing/mailsettings.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/publishing/mailsecuritybox.h"
#include "gui/settings/prefs.h"
#include "gui/settings/prefscommand.h"
#include "gui/settings/seldir.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class PrefsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestHome> home_;
    QString Home(const QString& relative) const { return home_->path() + QLatin1Char('/') + relative; }

    // Runs the Preferences command with `act` on the dialog before OK.
    void RunWithOK(TORVMainForm& w, std::function<void(TORVPrefs&)> act)
    {
        WhenModal([act](QDialog* d) {
            auto* prefs = qobject_cast<TORVPrefs*>(d);
            if (!prefs) {
                d->reject();
                return;
            }
            act(*prefs);
            prefs->btnOK->click();
        });
        w.Command(cmd::Preferences)->trigger();
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }
    void cleanup() { home_.reset(); }

    void showsTheSettingsAndFollowsTheChoices()
    {
        AppSettings().WriteInteger(settings::Preferences, settings::EmailSystem, 1);
        AppSettings().WriteBool(settings::DisabledWarnings, settings::UngroupSkipGroup, true);
        TPreferenceValues v = ReadPreferences(AppSettings(), QStringLiteral("/data/"));
        TORVPrefs prefs(v);
        prefs.show();
        QCOMPARE(prefs.pcPrefs->currentIndex(), 0);
        QCOMPARE(prefs.nbMail->currentIndex(), 1);
        QVERIFY(prefs.cbDeleteQuestions->isChecked());
        QVERIFY(!prefs.cbUngroupSkipGroup->isChecked());
        QVERIFY(prefs.eDataDir->isReadOnly());
        QCOMPARE(prefs.eOutgoingPort->text(), QStringLiteral("25"));
        prefs.cmbMailType->setCurrentIndex(0);
        QCOMPARE(prefs.nbMail->currentWidget()->objectName(), QStringLiteral("Internet"));
        QVERIFY(!prefs.eProxyAddress->isEnabled() && !prefs.lblProxyPort->isEnabled());
        prefs.cbUseProxy->setChecked(true);
        QVERIFY(prefs.eProxyAddress->isEnabled() && prefs.eProxyPort->isEnabled()
            && prefs.lblProxyAddress->isEnabled());
        QCOMPARE(prefs.cmbSendFormat->count(), 7);
    }

    void okWritesEverySettingWithItsFallbacks()
    {
        TORVMainForm w;
        RunWithOK(w, [](TORVPrefs& p) {
            p.eOutgoingPort->setText(QStringLiteral("abc"));
            p.cbUseProxy->setChecked(true);
            p.eProxyPort->setText(QStringLiteral("abc"));
            p.eSMTPServerAddress->setText(QStringLiteral("mail.example.org"));
            p.cbDeleteQuestions->setChecked(false);
            p.cmbDefaultHTML->setCurrentIndex(1);
            p.cmbSendFormat->setCurrentIndex(3);
        });
        const TSettings& s = AppSettings();
        QCOMPARE(s.ReadString(settings::Preferences, settings::OutgoingPort, {}), QStringLiteral("25"));
        QCOMPARE(s.ReadString(settings::Preferences, settings::ProxyPort, {}), QStringLiteral("0"));
        QVERIFY(s.ReadBool(settings::Preferences, settings::UseProxy, false));
        QCOMPARE(s.ReadString(settings::Preferences, settings::SMTPServerAddress, {}),
            QStringLiteral("mail.example.org"));
        QCOMPARE(s.ReadInteger(settings::Preferences, settings::SendFormat, 0), 3);
        QVERIFY(s.ReadBool(settings::DisabledWarnings, settings::DeleteQuestions, false));
        QCOMPARE(w.HtmlExtension(), QStringLiteral(".html"));

        // The delete warning is now off: Delete runs without asking.
        w.Survey().AddHeader(QStringLiteral("H"));
        w.RefreshQuestionList();
        w.SelectRows({0});
        w.Command(cmd::DeleteItem)->trigger();
        QCOMPARE(w.Survey().QuestionCount(), 0);
        QVERIFY(home_->seams.messages->shown.empty());

        // Checking it again brings the question back.
        RunWithOK(w, [](TORVPrefs& p) { p.cbDeleteQuestions->setChecked(true); });
        w.Survey().AddHeader(QStringLiteral("H"));
        w.RefreshQuestionList();
        w.SelectRows({0});
        w.Command(cmd::DeleteItem)->trigger();
        QCOMPARE(w.Survey().QuestionCount(), 1);
        QCOMPARE(home_->seams.messages->shown.size(), size_t(1));
    }

    // The connection box of the e-mail page (security and pause) is filled from the settings and
    // written back on OK; without a user ID no password is looked up or stored.
    void theMailConnectionIsReadAndWrittenWithTheRest()
    {
        AppSettings().WriteInteger(settings::Preferences, settings::SMTPSecurity, 1);
        TORVMainForm w;
        RunWithOK(w, [](TORVPrefs& p) {
            QCOMPARE(p.gbConnection->cmbSecurity->currentIndex(), 1);
            QVERIFY(!p.gbConnection->cmbSecurity->whatsThis().isEmpty());
            // A password on a connection without security is flagged while both hold.
            auto* warning = p.gbConnection->lblPlainPassword;
            p.gbConnection->ePassword->setText(QStringLiteral("secret"));
            QVERIFY(warning->isHidden());
            p.gbConnection->cmbSecurity->setCurrentIndex(0);
            QVERIFY(!warning->isHidden());
            p.gbConnection->ePassword->clear();
            QVERIFY(warning->isHidden());
            p.gbConnection->cmbSecurity->setCurrentIndex(2);
            p.gbConnection->sePause->setValue(1500);
        });
        QCOMPARE(AppSettings().ReadInteger(settings::Preferences, settings::SMTPSecurity, 0), 2);
        QCOMPARE(AppSettings().ReadInteger(settings::Preferences, settings::SendPause, 0), 1500);
        QVERIFY(home_->seams.messages->shown.empty());
    }

    void cancelWritesNothing()
    {
        TORVMainForm w;
        WhenModal([](QDialog* d) {
            if (auto* p = qobject_cast<TORVPrefs*>(d))
                p->eOutgoingPort->setText(QStringLiteral("2525"));
            d->reject();
        });
        w.Command(cmd::Preferences)->trigger();
        QVERIFY(!AppSettings().Value(settings::Preferences, settings::OutgoingPort));
    }

    void aNewDataDirectoryIsStoredWithASlashAndItsListsAreRead()
    {
        TORVMainForm w;
        const QString other = Home(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(other));
        TSurvey lib;
        lib.NewSurvey();
        lib.SetName(QStringLiteral("Only here"));
        lib.SaveAs(other + QStringLiteral("/mine.ovl"));
        RunWithOK(w, [other](TORVPrefs& p) {
            p.ChooseDirectory = [other](const QString&) { return std::optional<QString>(other); };
            p.btnBrowseDataDir->click();
            QCOMPARE(p.eDataDir->text(), other);
        });
        QCOMPARE(w.DataDirectory(), other + QLatin1Char('/'));
        QCOMPARE(AppSettings().ReadString(settings::ApplicationDetails, settings::DataDirectory, {}),
            other + QLatin1Char('/'));
        QCOMPARE(w.LibraryFiles(), QStringList{other + QStringLiteral("/mine.ovl")});
        QCOMPARE(w.CommandMenu(cmd::AddToQuestionLibrary)->actions().value(0)->text(),
            QStringLiteral("Only here"));
    }

    // An empty directory is furnished like a first start's: the response templates are there at
    // once, not only after the next start.
    void anEmptyNewDataDirectoryGetsTheStockFiles()
    {
        TORVMainForm w;
        const QString empty = Home(QStringLiteral("empty"));
        QVERIFY(QDir().mkpath(empty));
        RunWithOK(w, [empty](TORVPrefs& p) {
            p.ChooseDirectory = [empty](const QString&) { return std::optional<QString>(empty); };
            p.btnBrowseDataDir->click();
        });
        QCOMPARE(w.DataDirectory(), empty + QLatin1Char('/'));
        QVERIFY(!QDir(empty).entryList({QStringLiteral("*.ovt")}, QDir::Files).isEmpty());
        QVERIFY(!w.CommandMenu(cmd::ApplyResponseTemplate)->actions().isEmpty());
    }

    void directoryChooserCreatesWhatIsMissing()
    {
        const QString wanted = Home(QStringLiteral("new/deeper"));
        TORVSelDir chooser(home_->path());
        chooser.show();
        QCOMPARE(chooser.eDirectory->text(), home_->path());
        chooser.eDirectory->setText(wanted);
        QTest::mouseClick(chooser.btnOK, Qt::LeftButton); // unscripted: No, stays open
        QVERIFY(chooser.isVisible());
        QCOMPARE(home_->seams.messages->shown.back().Caption, QStringLiteral("Confirm Create"));
        QCOMPARE(home_->seams.messages->shown.back().Text,
            QStringLiteral("The directory named ") + wanted
                + QStringLiteral(" does not exists.  Create it?"));
        QVERIFY(!QDir(wanted).exists());
        home_->seams.messages->Script(TAnswer::Yes);
        QTest::mouseClick(chooser.btnOK, Qt::LeftButton);
        QVERIFY(QDir(wanted).exists());
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
        QCOMPARE(chooser.Directory(), wanted);
    }

    void aDirectoryThatCannotBeCreatedKeepsTheChooserOpen()
    {
        QFile blocker(Home(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString wanted = Home(QStringLiteral("file/sub"));
        TORVSelDir chooser(home_->path());
        chooser.show();
        chooser.eDirectory->setText(wanted);
        home_->seams.messages->Script(TAnswer::Yes);
        QTest::mouseClick(chooser.btnOK, Qt::LeftButton);
        QVERIFY(chooser.isVisible());
        QCOMPARE(home_->seams.messages->shown.back().Caption, QStringLiteral("Directory Error"));
        QCOMPARE(home_->seams.messages->shown.back().Text,
            QStringLiteral("Error creating directory ") + wanted
                + QStringLiteral(".  Please try another name."));
    }

    void screenshots()
    {
        const QString target = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (target.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR not set");
        TPreferenceValues v = ReadPreferences(AppSettings(), {});
        v.DataDirectory = QStringLiteral("/home/mara/.local/share/orvalle/");
        v.SmtpServerAddress = QStringLiteral("mail.example.org");
        v.DisplayName = QStringLiteral("Mara Ellison");
        v.ReplyAddress = QStringLiteral("mara@example.org");
        TORVPrefs prefs(v);
        prefs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prefs));
        const char* files[]
            = {"preferences-general.png", "preferences-email.png", "preferences-advanced.png"};
        for (int tab = 0; tab < 3; ++tab) {
            prefs.pcPrefs->setCurrentIndex(tab);
            QTest::qWait(100);
            QVERIFY(prefs.grab().save(target + QLatin1Char('/') + QLatin1String(files[tab])));
        }
        prefs.cmbMailType->setCurrentIndex(1);
        prefs.pcPrefs->setCurrentIndex(1);
        QTest::qWait(100);
        QVERIFY(prefs.grab().save(target + QStringLiteral("/preferences-email-mapi.png")));
        TORVSelDir chooser(QStringLiteral("/usr/share"));
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        QTest::qWait(300);
        QVERIFY(chooser.grab().save(target + QStringLiteral("/select-directory.png")));
    }
};

QTEST_MAIN(PrefsTest)
#include "prefs_test.moc"
