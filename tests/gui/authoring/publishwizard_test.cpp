#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/publishwizard.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class WizardTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;

    static TWizardSetup Setup(QStringList libraries, QStringList templates)
    {
        TWizardSetup setup;
        setup.Instructions = QStringLiteral("Please take a few moments to complete our survey.");
        setup.FinalComments = QStringLiteral("Thank you for taking our survey!");
        setup.LibraryNames = libraries;
        for (const QString& name : libraries)
            setup.LibraryPaths.append(QStringLiteral("/nowhere/") + name + QStringLiteral(".ovl"));
        setup.DisplayTemplates = templates;
        setup.ChosenTemplate = templates.indexOf(QStringLiteral("default.ovg"));
        return setup;
    }

    // Presses Next until the wizard reaches the page (or Next is disabled).
    static void GoTo(TORVPublishWizard& wizard, int page)
    {
        while (wizard.CurrentPage() < page && wizard.btnNext->isEnabled())
            QTest::mouseClick(wizard.btnNext, Qt::LeftButton);
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }
    void cleanup() { home_.reset(); }

    void buttonStatesPageByPage()
    {
        TORVPublishWizard wizard(Setup({}, {QStringLiteral("default.ovg")}), home_->path());
        wizard.show();
        QVERIFY(!wizard.btnBack->isEnabled());
        QCOMPARE(wizard.btnNext->text(), QStringLiteral("&Next >"));
        QTest::mouseClick(wizard.btnNext, Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), 1);
        QVERIFY(wizard.btnBack->isEnabled());
        QCOMPARE(wizard.eName->selectedText(), QStringLiteral("Sample Survey"));
        QCOMPARE(wizard.focusWidget(), wizard.eName);

        QTest::mouseClick(wizard.btnNext, Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), 2);
        QVERIFY(wizard.rbNoSamples->isChecked());
        QVERIFY(!wizard.cmbSampleQuestionType->isEnabled());
        QVERIFY(wizard.btnNext->isEnabled());
        wizard.rbIncludeSamples->setChecked(true); // no libraries: cannot go on with samples
        QVERIFY(wizard.cmbSampleQuestionType->isEnabled() && wizard.lblLibraryLink->isEnabled());
        QVERIFY(!wizard.btnNext->isEnabled());
        wizard.rbNoSamples->setChecked(true);
        QVERIFY(wizard.btnNext->isEnabled());

        GoTo(wizard, TORVPublishWizard::Final);
        QCOMPARE(wizard.CurrentPage(), int(TORVPublishWizard::Final));
        QCOMPARE(wizard.btnNext->text(), QStringLiteral("&Finish"));
        QCOMPARE(wizard.focusWidget(), wizard.btnNext);
        QTest::mouseClick(wizard.btnBack, Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), int(TORVPublishWizard::SurveyAppearance));
        QCOMPARE(wizard.btnNext->text(), QStringLiteral("&Next >"));
    }

    void samplesNeedALibraryChosen()
    {
        TORVPublishWizard wizard(
            Setup({QStringLiteral("Staff")}, {QStringLiteral("default.ovg")}), home_->path());
        wizard.show();
        GoTo(wizard, TORVPublishWizard::SampleQuestions);
        wizard.rbIncludeSamples->setChecked(true);
        QVERIFY(!wizard.btnNext->isEnabled());
        wizard.cmbSampleQuestionType->setCurrentIndex(0);
        QVERIFY(wizard.btnNext->isEnabled());
        QCOMPARE(wizard.Choices().LibraryPath, QStringLiteral("/nowhere/Staff.ovl"));
    }

    void noTemplateStopsAtTheAppearancePage()
    {
        TORVPublishWizard wizard(Setup({}, {}), home_->path());
        wizard.show();
        GoTo(wizard, TORVPublishWizard::Final);
        QCOMPARE(wizard.CurrentPage(), int(TORVPublishWizard::SurveyAppearance));
        QVERIFY(!wizard.btnNext->isEnabled());
        QCOMPARE(wizard.lblPreview->text(), QStringLiteral("Preview not available"));
    }

    void templatePreviewPicture()
    {
        const QString dir = home_->path() + QLatin1Char('/');
        QImage(20, 10, QImage::Format_RGB32).save(dir + QStringLiteral("pictured.bmp"));
        TORVPublishWizard wizard(
            Setup({}, {QStringLiteral("plain.ovg"), QStringLiteral("pictured.ovg")}), dir);
        wizard.show();
        GoTo(wizard, TORVPublishWizard::SurveyAppearance);
        QVERIFY(!wizard.btnNext->isEnabled());
        wizard.cmbDisplayTemplate->setCurrentIndex(1);
        QCOMPARE(wizard.lblPreview->text(), QStringLiteral("Preview:"));
        QVERIFY(wizard.imgPreview->isVisible());
        QVERIFY(wizard.btnNext->isEnabled());
        wizard.cmbDisplayTemplate->setCurrentIndex(0);
        QCOMPARE(wizard.lblPreview->text(), QStringLiteral("Preview not available"));
        QVERIFY(!wizard.imgPreview->isVisible());
    }

    void finishWithNothingChanged()
    {
        TORVMainForm w;
        WhenModal([](QDialog* d) {
            auto* wizard = qobject_cast<TORVPublishWizard*>(d);
            if (!wizard) {
                d->reject();
                return;
            }
            for (int i = 0; i < 7; ++i)
                wizard->btnNext->click();
        });
        w.Command(cmd::SurveyBuilderWizard)->trigger();
        const TSurvey& s = w.Survey();
        QCOMPARE(s.Name(), QStringLiteral("Sample Survey"));
        QCOMPARE(s.GetInstructions(), QStringLiteral("Please take a few moments to complete our survey."));
        QCOMPARE(s.GetFinalComments(), QStringLiteral("Thank you for taking our survey!"));
        QCOMPARE(s.DisplayTemplate(), QStringLiteral("default.ovg"));
        QCOMPARE(s.QuestionCount(), 0);
        QVERIFY(s.Modified());
        QVERIFY(!s.HasFile());
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalle - Sample Survey"));
        QCOMPARE(home_->seams.shell->opened.size(), 1); // the preview at the end
        QCOMPARE(w.TempFiles(), home_->seams.shell->opened);
    }

    void samplesFromAShippedLibraryAreNumberedFromOne()
    {
        TORVMainForm w;
        WhenModal([](QDialog* d) {
            auto* wizard = qobject_cast<TORVPublishWizard*>(d);
            if (!wizard) {
                d->reject();
                return;
            }
            GoTo(*wizard, TORVPublishWizard::SampleQuestions);
            wizard->rbIncludeSamples->setChecked(true);
            wizard->cmbSampleQuestionType->setCurrentIndex(
                wizard->cmbSampleQuestionType->findText("Course Evaluation"));
            GoTo(*wizard, TORVPublishWizard::Final);
            wizard->rbNoPreview->setChecked(true);
            wizard->btnNext->click();
        });
        w.Command(cmd::SurveyBuilderWizard)->trigger();
        TSurvey& s = w.Survey();
        QVERIFY(s.QuestionCount() >= 10);
        s.Renumber();
        QVERIFY(s.GetQuestion(0).IsHeader());
        QCOMPARE(s.GetQuestion(1).NumberLabel, QStringLiteral("1"));
        QVERIFY(home_->seams.shell->opened.isEmpty());
    }

    void unsavedChangesAreOfferedFirst()
    {
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("Keep me"));
        home_->seams.messages->Script(TAnswer::Cancel);
        w.Command(cmd::SurveyBuilderWizard)->trigger();
        QCOMPARE(home_->seams.messages->Texts(),
            QStringList{"Your survey has not been saved. Would you like to save it now?"});
        QCOMPARE(w.Survey().QuestionCount(), 1);

        // Cancel in the wizard leaves the new, empty, unmodified survey.
        home_->seams.messages->Script(TAnswer::No);
        WhenModal([](QDialog* d) { d->reject(); });
        w.Command(cmd::SurveyBuilderWizard)->trigger();
        QCOMPARE(w.Survey().QuestionCount(), 0);
        QVERIFY(!w.Survey().Modified());
    }

    void screenshots()
    {
        const QString target = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (target.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR not set");
        const QString data = QStringLiteral(ORVALLE_SOURCE_DIR "/data/");
        TWizardSetup setup = ReadWizardSetup(AppSettings(), data);
        setup.Author = QStringLiteral("Mara Ellison");
        TORVPublishWizard wizard(setup, data);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        for (int page = 0; page <= TORVPublishWizard::Final; ++page) {
            if (page == TORVPublishWizard::SampleQuestions) {
                wizard.rbIncludeSamples->setChecked(true);
                wizard.cmbSampleQuestionType->setCurrentIndex(0);
            }
            wizard.ShowPage(page);
            QTest::qWait(100);
            QVERIFY(wizard.grab().save(target + QStringLiteral("/wizard-%1.png").arg(page + 1)));
        }
    }
};

QTEST_MAIN(WizardTest)
#include "publishwizard_test.moc"
