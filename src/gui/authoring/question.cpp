#include "gui/authoring/question.h"

#include "core/authoring/questionrules.h"
#include "core/authoring/responsetemplate.h"
#include "core/base/settingstable.h"
#include "core/survey/question.h"
#include "gui/authoring/rt.h"
#include "gui/help/help.h"
#include "core/interaction/messages.h"
#include "gui/widgets/dialogposition.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit* NumberBox(QWidget* parent, int digits, bool digitsOnly, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setMaxLength(digits);
    if (digitsOnly)
        box->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), box));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 3) + 12);
    return box;
}

QLabel* Buddy(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// An edit box greyed with its label and range hint while its check box is clear.
void EnableLength(bool on, QLabel* label, QLabel* range, QLineEdit* box)
{
    label->setEnabled(on);
    range->setEnabled(on);
    box->setEnabled(on);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base,
        on ? QApplication::palette().color(QPalette::Base) : QApplication::palette().color(QPalette::Button));
    box->setPalette(palette);
}

} // namespace

TORVQuestion::TORVQuestion(const QString& dataDirectory, QWidget* parent)
    : QDialog(parent)
    , dataDirectory_(dataDirectory)
{
    setObjectName(QStringLiteral("ORVQuestion"));
    setWindowTitle(QStringLiteral("Question Details"));
    setModal(true);

    memoText = new QPlainTextEdit(this);
    QFont font = memoText->font();
    font.setPointSize(10);
    memoText->setFont(font);
    memoText->setTabChangesFocus(true);
    memoText->setMaximumHeight(80);
    cmbStyle = new QComboBox(this);
    for (int style = qsSingleSelect; style <= qsNumericValue; ++style)
        cmbStyle->addItem(StyleName(style));
    nbStyle = new QStackedWidget(this);
    nbStyle->addWidget(CreateResponsesPage());
    nbStyle->addWidget(CreateFullTextPage());
    nbStyle->addWidget(CreateNumericPage());

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    connect(btnOK, &QPushButton::clicked, this, &TORVQuestion::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(8); });
    connect(cmbStyle, &QComboBox::currentIndexChanged, this, &TORVQuestion::ShowStylePage);

    auto* top = new QGridLayout;
    top->addWidget(Buddy(QStringLiteral("Question &Text:"), memoText, this), 0, 0, Qt::AlignTop);
    top->addWidget(memoText, 0, 1);
    top->addWidget(Buddy(QStringLiteral("Question &Style:"), cmbStyle, this), 1, 0);
    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(cmbStyle);
    styleRow->addStretch(1);
    top->addLayout(styleRow, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(nbStyle, 1);
    layout->addLayout(buttons);
    resize(500, 420);

    AssignHelpContexts();
    LoadTemplateList();
}

void TORVQuestion::AssignHelpContexts()
{
    SetHelpContexts({{memoText, 801}, {cmbStyle, 802}, {memoResponses, 803}, {btnOptions, 804},
        {cbIncludeSpecify, 805}, {eOtherLength, 806}, {lblOtherLength, 806}, {lblOtherRange, 806},
        {cbIncludeComment, 807}, {eCommentLength, 808}, {lblCommentLength, 808}, {lblCommentRange, 808},
        {rbLimited, 809}, {eLengthOfResponse, 810}, {rbVerbose, 811}, {eMinValue, 812}, {eMaxValue, 813},
        {eStepValue, 814}, {lblStepGroup, 814}, {btnOK, 2}, {btnCancel, 3}, {btnHelp, 4}});
    ShareHelpWithLabels(this);
}

QWidget* TORVQuestion::CreateResponsesPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Responses"));
    memoResponses = new QPlainTextEdit(page);
    memoResponses->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoResponses->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoResponses->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnOptions = new QPushButton(QStringLiteral("Optio&ns"), page);
    pmOptions = new QMenu(btnOptions);
    miInsertFromTemplate = pmOptions->addMenu(QStringLiteral("Insert from Template"));
    miClearAll = pmOptions->addAction(QStringLiteral("Clear All"), this, [this] { memoResponses->clear(); });
    miSaveToTemplate
        = pmOptions->addAction(QStringLiteral("Save to Template"), this, &TORVQuestion::SaveToTemplate);
    connect(btnOptions, &QPushButton::clicked, this,
        [this] { pmOptions->popup(btnOptions->mapToGlobal(QPoint(0, btnOptions->height()))); });

    cbIncludeSpecify
        = new QCheckBox(QStringLiteral("&Include \"Other - please specify\" text response"), page);
    eOtherLength = NumberBox(page, 3, false, QStringLiteral("40"));
    lblOtherLength = Buddy(QStringLiteral("&Length:"), eOtherLength, page);
    lblOtherRange = new QLabel(QStringLiteral("(30-250)"), page);
    cbIncludeComment = new QCheckBox(QStringLiteral("Include \"&Comments\" field"), page);
    eCommentLength = NumberBox(page, 3, false, QStringLiteral("40"));
    lblCommentLength = Buddy(QStringLiteral("Comment L&ength:"), eCommentLength, page);
    lblCommentRange = new QLabel(QStringLiteral("(30-250)"), page);
    connect(cbIncludeSpecify, &QCheckBox::toggled, this, &TORVQuestion::UpdateLengthControls);
    connect(cbIncludeComment, &QCheckBox::toggled, this, &TORVQuestion::UpdateLengthControls);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Buddy(QStringLiteral("&Responses:"), memoResponses, page), 0, 0, 1, 3);
    grid->addWidget(memoResponses, 1, 0, 1, 4);
    grid->addWidget(btnOptions, 1, 4, Qt::AlignTop);
    grid->addWidget(cbIncludeSpecify, 2, 0, 1, 5);
    auto* other = new QHBoxLayout;
    other->addSpacing(20);
    other->addWidget(lblOtherLength);
    other->addWidget(eOtherLength);
    other->addWidget(lblOtherRange);
    other->addStretch(1);
    grid->addLayout(other, 3, 0, 1, 5);
    grid->addWidget(cbIncludeComment, 4, 0, 1, 5);
    auto* comment = new QHBoxLayout;
    comment->addSpacing(20);
    comment->addWidget(lblCommentLength);
    comment->addWidget(eCommentLength);
    comment->addWidget(lblCommentRange);
    comment->addStretch(1);
    grid->addLayout(comment, 5, 0, 1, 5);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* TORVQuestion::CreateFullTextPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("FullText"));
    auto* group = new QGroupBox(QStringLiteral("Length of text response:"), page);
    rbLimited = new QRadioButton(QStringLiteral("&Limit to "), group);
    eLengthOfResponse = NumberBox(group, 3, true, QStringLiteral("40"));
    rbVerbose = new QRadioButton(QStringLiteral("&Verbose text response"), group);
    rbLimited->setChecked(true);
    auto* limited = new QHBoxLayout;
    limited->addWidget(rbLimited);
    limited->addWidget(eLengthOfResponse);
    limited->addWidget(new QLabel(QStringLiteral("characters"), group));
    limited->addWidget(new QLabel(QStringLiteral("(generates INPUT boxes)"), group));
    limited->addStretch(1);
    auto* verbose = new QHBoxLayout;
    verbose->addWidget(rbVerbose);
    verbose->addWidget(new QLabel(QStringLiteral("(generates TEXTAREA boxes)"), group));
    verbose->addStretch(1);
    auto* inner = new QVBoxLayout(group);
    inner->addLayout(limited);
    inner->addLayout(verbose);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TORVQuestion::CreateNumericPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Numeric"));
    auto* group = new QGroupBox(QStringLiteral("Range of values:"), page);
    eMinValue = NumberBox(group, 5, true, QStringLiteral("1"));
    eMaxValue = NumberBox(group, 5, true, QStringLiteral("10"));
    eStepValue = NumberBox(group, 5, true, QStringLiteral("10"));
    lblStepGroup = new QLabel(StepGroupCaption(1), group);
    for (QLineEdit* box : {eMinValue, eMaxValue, eStepValue})
        box->installEventFilter(this);
    connect(eMinValue, &QLineEdit::textChanged, this, &TORVQuestion::MinMaxChanged);
    connect(eMaxValue, &QLineEdit::textChanged, this, &TORVQuestion::MinMaxChanged);
    connect(eStepValue, &QLineEdit::textChanged, this, &TORVQuestion::StepChanged);
    auto* grid = new QGridLayout(group);
    grid->addWidget(Buddy(QStringLiteral("M&inimum:"), eMinValue, group), 0, 0);
    grid->addWidget(eMinValue, 0, 1);
    grid->addWidget(Buddy(QStringLiteral("M&aximum:"), eMaxValue, group), 1, 0);
    grid->addWidget(eMaxValue, 1, 1);
    grid->addWidget(Buddy(QStringLiteral("Step &value when presenting results:"), eStepValue, group), 2, 0);
    grid->addWidget(eStepValue, 2, 1);
    grid->addWidget(lblStepGroup, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

void TORVQuestion::ResetEditor()
{
    nbStyle->setCurrentIndex(pgResponses);
    cmbStyle->setCurrentIndex(0);
    memoText->clear();
    memoResponses->clear();
    cbIncludeSpecify->setChecked(false);
}

void TORVQuestion::Fill(const TEditorValues& v)
{
    memoText->setPlainText(v.Text);
    cmbStyle->setCurrentIndex(qBound(0, v.Style - 1, cmbStyle->count() - 1));
    memoResponses->setPlainText(v.Responses);
    cbIncludeSpecify->setChecked(v.IncludeOther);
    eOtherLength->setText(v.OtherLength);
    cbIncludeComment->setChecked(v.IncludeComment);
    eCommentLength->setText(v.CommentLength);
    if (v.Limited) {
        rbLimited->setChecked(true);
        eLengthOfResponse->setText(v.Length);
    } else {
        rbVerbose->setChecked(true);
        eLengthOfResponse->clear();
    }
    eMinValue->setText(v.MinValue);
    eMaxValue->setText(v.MaxValue);
    eStepValue->setText(v.StepValue);
    ShowStylePage();
}

TEditorValues TORVQuestion::Values() const
{
    TEditorValues v;
    v.Text = memoText->toPlainText();
    v.Style = cmbStyle->currentIndex() + 1;
    v.Responses = memoResponses->toPlainText();
    v.IncludeOther = cbIncludeSpecify->isChecked();
    v.OtherLength = eOtherLength->text();
    v.IncludeComment = cbIncludeComment->isChecked();
    v.CommentLength = eCommentLength->text();
    v.Limited = rbLimited->isChecked();
    v.Length = eLengthOfResponse->text();
    v.MinValue = eMinValue->text();
    v.MaxValue = eMaxValue->text();
    v.StepValue = eStepValue->text();
    return v;
}

void TORVQuestion::ShowStylePage()
{
    switch (cmbStyle->currentIndex() + 1) {
    case qsFreeFormText:
        nbStyle->setCurrentIndex(pgFullText);
        break;
    case qsNumericValue:
        nbStyle->setCurrentIndex(pgNumeric);
        break;
    default:
        nbStyle->setCurrentIndex(pgResponses);
    }
}

bool TORVQuestion::ResponsesPageShown() const
{
    return nbStyle->currentIndex() == pgResponses;
}

void TORVQuestion::UpdateLengthControls()
{
    EnableLength(cbIncludeSpecify->isChecked(), lblOtherLength, lblOtherRange, eOtherLength);
    EnableLength(cbIncludeComment->isChecked(), lblCommentLength, lblCommentRange, eCommentLength);
}

void TORVQuestion::MinMaxChanged()
{
    const TStepProposal proposal = AutomaticStep(eMinValue->text(), eMaxValue->text());
    eStepValue->setText(QString::number(proposal.Step));
    lblStepGroup->setText(StepGroupCaption(proposal.Groups));
}

void TORVQuestion::StepChanged()
{
    lblStepGroup->setText(
        StepGroupCaption(StepGroups(eMinValue->text(), eMaxValue->text(), eStepValue->text())));
}

bool TORVQuestion::eventFilter(QObject* watched, QEvent* event)
{
    // A range box may not be left empty: it keeps the focus until it holds something.
    if (event->type() == QEvent::FocusOut && isVisible()) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && box->text().trimmed().isEmpty()) {
            QApplication::beep();
            QTimer::singleShot(0, box, [box] {
                if (box->isVisible())
                    box->setFocus();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TORVQuestion::btnOKClick()
{
    try {
        ValidateQuestionLengths(cbIncludeSpecify->isChecked(), ResponsesPageShown(), eOtherLength->text(),
            cbIncludeComment->isChecked(), eCommentLength->text());
    } catch (const EValidationException& e) {
        ShowError(e.Message());
        QLineEdit* box = e.Field() == QLatin1String("eOtherLength") ? eOtherLength : eCommentLength;
        box->setFocus();
        box->selectAll();
        return;
    }
    accept();
}

void TORVQuestion::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        RestoreDialogPosition(this, settings::QuestionWindow);
    QDialog::showEvent(event);
    memoText->setFocus();
    UpdateLengthControls();
}

void TORVQuestion::done(int result)
{
    StoreDialogPosition(this, settings::QuestionWindow);
    QDialog::done(result);
}

void TORVQuestion::SetDataDirectory(const QString& dataDirectory)
{
    dataDirectory_ = dataDirectory;
    LoadTemplateList();
}

void TORVQuestion::LoadTemplateList()
{
    templates_ = ResponseTemplateFiles(dataDirectory_);
    miInsertFromTemplate->clear();
    for (int i = 0; i < templates_.size(); ++i) {
        const QString title = ResponseTemplateTitle(dataDirectory_ + templates_[i]);
        QAction* entry = miInsertFromTemplate->addAction(title);
        entry->setData(i);
        connect(entry, &QAction::triggered, this, [this, i] { InsertFromTemplate(i); });
    }
}

void TORVQuestion::InsertFromTemplate(int position)
{
    memoResponses->clear();
    if (position < 0 || position >= templates_.size())
        return;
    // A file that vanished since the list was read has no options: the box stays empty.
    const TResponseTemplate t = ReadResponseTemplate(dataDirectory_ + templates_[position]);
    memoResponses->setPlainText(t.Options.join(QLatin1Char('\n')));
}

void TORVQuestion::SaveToTemplate()
{
    TORVrt dialog(this);
    dialog.memoResponses->setPlainText(memoResponses->toPlainText());
    if (dialog.exec() == QDialog::Accepted) {
        const QStringList lines = MemoLines(dialog.memoResponses->toPlainText());
        if (!CreateResponseTemplate(dataDirectory_, dialog.eTemplateName->text(), lines))
            ShowError(QStringLiteral("The response file could not be created."));
    }
    LoadTemplateList();
}
