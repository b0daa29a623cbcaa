#include "gui/authoring/publishwizard.h"

#include "gui/help/help.h"
#include "gui/widgets/styleimages.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The picture down the wizard's left side: the style images on a teal wash.
class TWizardSide : public QWidget {
public:
    explicit TWizardSide(QWidget* parent)
        : QWidget(parent)
    {
        setFixedWidth(120);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient wash(0, 0, 0, height());
        wash.setColorAt(0, QColor(0, 128, 128));
        wash.setColorAt(1, QColor(0, 64, 96));
        painter.fillRect(rect(), wash);
        const int x = (width() - kStyleImageWidth) / 2;
        for (int i = 0; i < 6; ++i) {
            const QRectF cell(x, 24 + i * (kStyleImageHeight + 14), kStyleImageWidth, kStyleImageHeight);
            painter.fillRect(cell.adjusted(-4, -4, 4, 4), QColor(255, 255, 255, 230));
            PaintStyleImage(painter, cell, i);
        }
    }
};

} // namespace

TORVPublishWizard::TORVPublishWizard(const TWizardSetup& setup, const QString& dataDirectory, QWidget* parent)
    : QDialog(parent)
    , dataDirectory_(dataDirectory)
    , libraryPaths_(setup.LibraryPaths)
{
    setObjectName(QStringLiteral("ORVPublishWizard"));
    setWindowTitle(QStringLiteral("Survey Builder Wizard"));
    nbPublishWiz = new QStackedWidget(this);
    for (QWidget* page : {CreateIntroPage(), CreateInformationPage(), CreateSamplePage(),
             CreateIntroductionPage(), CreateClosingPage(), CreateAppearancePage(), CreateFinalPage()})
        nbPublishWiz->addWidget(page);
    btnBack = new QPushButton(QStringLiteral("< &Back"), this);
    btnNext = new QPushButton(QStringLiteral("&Next >"), this);
    btnNext->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("Cancel"), this);

    eAuthor->setText(setup.Author);
    cmbSampleQuestionType->addItems(setup.LibraryNames);
    cmbSampleQuestionType->setCurrentIndex(-1);
    memoInstructions->setPlainText(setup.Instructions);
    memoFinalComments->setPlainText(setup.FinalComments);
    cmbDisplayTemplate->addItems(setup.DisplayTemplates);
    cmbDisplayTemplate->setCurrentIndex(setup.ChosenTemplate);
    UpdatePreviewPicture();

    connect(btnBack, &QPushButton::clicked, this, [this] { ShowPage(page_ - 1); });
    connect(btnNext, &QPushButton::clicked, this, &TORVPublishWizard::NextClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbNoSamples, &QRadioButton::toggled, this, &TORVPublishWizard::CheckButtons);
    connect(cmbSampleQuestionType, &QComboBox::currentIndexChanged, this, &TORVPublishWizard::CheckButtons);
    connect(cmbDisplayTemplate, &QComboBox::currentIndexChanged, this, [this] {
        UpdatePreviewPicture();
        CheckButtons();
    });
    connect(lblLibraryLink, &QLabel::linkActivated, this, [] { ShowHelpTopic(9); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addSpacing(12);
    buttons->addWidget(btnClose);
    auto* body = new QHBoxLayout;
    body->addWidget(new TWizardSide(this));
    body->addWidget(nbPublishWiz, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(560, 400);
    SetHelpContexts({{eName, 1701}, {eAuthor, 1702}, {rbNoSamples, 1703}, {rbIncludeSamples, 1703},
        {cmbSampleQuestionType, 1704}, {memoInstructions, 1705}, {memoFinalComments, 1706},
        {cmbDisplayTemplate, 1707}, {rbYesPreview, 1708}, {rbNoPreview, 1708}, {btnBack, 1709},
        {btnNext, 1710}, {btnClose, 3}});
    ShareHelpWithLabels(this);
    ShowPage(WizardIntro);
}

void TORVPublishWizard::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CheckButtons();
}

void TORVPublishWizard::ShowPage(int page)
{
    page_ = qBound(0, page, static_cast<int>(Final));
    nbPublishWiz->setCurrentIndex(page_);
    CheckButtons();
    if (page_ == SurveyInformation) {
        eName->selectAll();
        eName->setFocus();
    }
}

void TORVPublishWizard::NextClick()
{
    if (!btnNext->isEnabled())
        return;
    if (page_ == Final)
        accept();
    else
        ShowPage(page_ + 1);
}

void TORVPublishWizard::CheckButtons()
{
    btnBack->setEnabled(page_ != WizardIntro);
    btnNext->setText(page_ == Final ? QStringLiteral("&Finish") : QStringLiteral("&Next >"));
    const bool samples = rbIncludeSamples->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(lblSampleType), static_cast<QWidget*>(cmbSampleQuestionType),
             static_cast<QWidget*>(lblSampleNote), static_cast<QWidget*>(lblLibraryLink)})
        w->setEnabled(samples);
    bool next = true;
    if (page_ == SampleQuestions)
        next = !samples || cmbSampleQuestionType->currentIndex() >= 0;
    else if (page_ == SurveyAppearance)
        next = cmbDisplayTemplate->currentIndex() >= 0;
    btnNext->setEnabled(next);
    if (page_ == Final)
        btnNext->setFocus();
}

void TORVPublishWizard::UpdatePreviewPicture()
{
    QPixmap picture;
    if (cmbDisplayTemplate->currentIndex() >= 0) {
        const QString file = TemplatePreviewPicture(dataDirectory_, cmbDisplayTemplate->currentText());
        if (QFileInfo(file).isFile())
            picture.load(file);
    }
    if (picture.isNull()) {
        imgPreview->hide();
        lblPreview->setText(QStringLiteral("Preview not available"));
        return;
    }
    imgPreview->setPixmap(
        picture.scaled(imgPreview->maximumSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    imgPreview->show();
    lblPreview->setText(QStringLiteral("Preview:"));
}

TWizardChoices TORVPublishWizard::Choices() const
{
    TWizardChoices c;
    c.Name = eName->text();
    c.Author = eAuthor->text();
    c.IncludeSamples = rbIncludeSamples->isChecked();
    const int library = cmbSampleQuestionType->currentIndex();
    if (library >= 0 && library < libraryPaths_.size()) {
        c.LibraryName = cmbSampleQuestionType->currentText();
        c.LibraryPath = libraryPaths_[library];
    }
    c.Instructions = memoInstructions->toPlainText();
    c.FinalComments = memoFinalComments->toPlainText();
    c.DisplayTemplate
        = cmbDisplayTemplate->currentIndex() >= 0 ? cmbDisplayTemplate->currentText() : QString();
    return c;
}

bool TORVPublishWizard::PreviewWanted() const
{
    return rbYesPreview->isChecked();
}
