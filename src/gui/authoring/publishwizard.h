#pragma once

#include "core/authoring/surveywizard.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// "Survey Builder Wizard": seven pages that gather a new survey's title and author, optional
// sample questions from a library, opening instructions, closing comments and a display
// template. It only asks; the caller applies the answers (Choices) on Finish.
class TORVPublishWizard : public QDialog {
    Q_OBJECT
public:
    enum TPage {
        WizardIntro = 0,
        SurveyInformation,
        SampleQuestions,
        SurveyIntro,
        SurveyClose,
        SurveyAppearance,
        Final,
    };

    TORVPublishWizard(const TWizardSetup& setup, const QString& dataDirectory, QWidget* parent = nullptr);

    int CurrentPage() const { return page_; }
    void ShowPage(int page);
    TWizardChoices Choices() const;
    bool PreviewWanted() const;

    QStackedWidget* nbPublishWiz = nullptr;
    QLineEdit* eName = nullptr;
    QLineEdit* eAuthor = nullptr;
    QRadioButton* rbNoSamples = nullptr;
    QRadioButton* rbIncludeSamples = nullptr;
    QLabel* lblSampleType = nullptr;
    QComboBox* cmbSampleQuestionType = nullptr;
    QLabel* lblSampleNote = nullptr;
    QLabel* lblLibraryLink = nullptr;
    QPlainTextEdit* memoInstructions = nullptr;
    QPlainTextEdit* memoFinalComments = nullptr;
    QComboBox* cmbDisplayTemplate = nullptr;
    QLabel* lblPreview = nullptr;
    QLabel* imgPreview = nullptr;
    QRadioButton* rbYesPreview = nullptr;
    QRadioButton* rbNoPreview = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // publishwizard_pages.cpp: the seven pages.
    QWidget* Page(const QString& heading, QWidget*& body);
    QWidget* CreateIntroPage();
    QWidget* CreateInformationPage();
    QWidget* CreateSamplePage();
    QWidget* CreateIntroductionPage();
    QWidget* CreateClosingPage();
    QWidget* CreateAppearancePage();
    QWidget* CreateFinalPage();

    void CheckButtons();
    void NextClick();
    void UpdatePreviewPicture();

    QString dataDirectory_;
    QStringList libraryPaths_;
    int page_ = WizardIntro;
};
