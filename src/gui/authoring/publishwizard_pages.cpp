// The seven pages of the survey builder wizard.
#include "gui/authoring/publishwizard.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QLabel* Text(const QString& text, QWidget* parent, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

} // namespace

// A page with its bold heading; `body` receives the widget the page's content goes into.
QWidget* TORVPublishWizard::Page(const QString& heading, QWidget*& body)
{
    auto* page = new QWidget(nbPublishWiz);
    auto* title = new QLabel(heading, page);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() + 3);
    title->setFont(font);
    title->setWordWrap(true);
    body = new QWidget(page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(title);
    layout->addSpacing(8);
    layout->addWidget(body, 1);
    return page;
}

QWidget* TORVPublishWizard::CreateIntroPage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Welcome to the Survey Builder Wizard!"), body);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(Text(
        QStringLiteral("This wizard is designed to help you get started creating a survey within Orvalle."),
        body));
    layout->addWidget(Text(QStringLiteral("You can cancel this wizard at any point."), body));
    layout->addStretch(1);
    layout->addWidget(Text(QStringLiteral("Press Next to continue."), body));
    return page;
}

QWidget* TORVPublishWizard::CreateInformationPage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Survey Information"), body);
    eName = new QLineEdit(QStringLiteral("Sample Survey"), body);
    eAuthor = new QLineEdit(body);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("What would you like to use as the title of this survey? This will usually "
                            "appear at the top of the actual survey in large, bold type."),
            body, eName));
    layout->addWidget(eName);
    layout->addSpacing(12);
    layout->addWidget(
        Text(QStringLiteral("Please enter the name of the Author for this survey:"), body, eAuthor));
    layout->addWidget(eAuthor);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPublishWizard::CreateSamplePage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Sample Questions"), body);
    rbNoSamples = new QRadioButton(QStringLiteral("N&o, thank you"), body);
    rbNoSamples->setChecked(true);
    rbIncludeSamples = new QRadioButton(QStringLiteral("&Yes, please"), body);
    cmbSampleQuestionType = new QComboBox(body);
    lblSampleType
        = Text(QStringLiteral("What type of sample questions would you like?"), body, cmbSampleQuestionType);
    lblSampleNote = new QLabel(QStringLiteral("NOTE: This list is from the"), body);
    lblLibraryLink = new QLabel(QStringLiteral("<a href=\"help:9\">Question Library</a>"), body);
    lblLibraryLink->setToolTip(QStringLiteral("Display help on the Question Library"));
    lblLibraryLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    auto* note = new QHBoxLayout;
    note->addWidget(lblSampleNote);
    note->addWidget(lblLibraryLink);
    note->addStretch(1);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("Would you like me to populate the survey with some sample questions?"), body));
    layout->addWidget(rbNoSamples);
    layout->addWidget(rbIncludeSamples);
    layout->addSpacing(12);
    layout->addWidget(lblSampleType);
    layout->addWidget(cmbSampleQuestionType);
    layout->addLayout(note);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPublishWizard::CreateIntroductionPage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Survey Introduction"), body);
    memoInstructions = new QPlainTextEdit(body);
    memoInstructions->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("What opening instructions would you like to provide for the respondent?  "
                            "These instructions should stress the importance of completing the survey "
                            "and who sponsored it."),
            body, memoInstructions));
    layout->addWidget(memoInstructions, 1);
    return page;
}

QWidget* TORVPublishWizard::CreateClosingPage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Survey Closing Comments"), body);
    memoFinalComments = new QPlainTextEdit(body);
    memoFinalComments->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("What closing comments would you like to make to the respondent?  A note "
                            "of appreciation and information on how the results will be used are "
                            "typically entered here."),
            body, memoFinalComments));
    layout->addWidget(memoFinalComments, 1);
    return page;
}

QWidget* TORVPublishWizard::CreateAppearancePage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Survey Appearance"), body);
    cmbDisplayTemplate = new QComboBox(body);
    lblPreview = new QLabel(QStringLiteral("Preview:"), body);
    imgPreview = new QLabel(body);
    imgPreview->setMaximumSize(240, 170);
    imgPreview->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("Your web page will be formatted based on one of the display templates "
                            "below.  Please select one."),
            body, cmbDisplayTemplate));
    layout->addWidget(cmbDisplayTemplate);
    layout->addSpacing(8);
    layout->addWidget(lblPreview);
    layout->addWidget(imgPreview, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPublishWizard::CreateFinalPage()
{
    QWidget* body = nullptr;
    QWidget* page = Page(QStringLiteral("Survey Builder"), body);
    rbYesPreview = new QRadioButton(QStringLiteral("&Yes, please"), body);
    rbYesPreview->setChecked(true);
    rbNoPreview = new QRadioButton(QStringLiteral("N&o, thank you"), body);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(
        Text(QStringLiteral("I will now create the survey.  Would you like to see a preview of the "
                            "survey after this wizard closes?"),
            body));
    layout->addWidget(rbYesPreview);
    layout->addWidget(rbNoPreview);
    layout->addStretch(1);
    return page;
}
