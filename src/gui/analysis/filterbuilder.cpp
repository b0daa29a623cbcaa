#include "gui/analysis/filterbuilder.h"

#include "gui/help/help.h"
#include "core/interaction/messages.h"
#include "core/survey/survey.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QLabel* Buddy(const QString& text, QWidget* control, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(control);
    return label;
}

} // namespace

TORVFilterBuilder::TORVFilterBuilder(const TSurvey& survey, const std::vector<TQuestionEntry>& questions,
    const TFilterList& active, QWidget* parent)
    : QDialog(parent)
    , survey_(survey)
{
    setWindowTitle(QStringLiteral("Filter Builder"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setModal(true);
    filter_.Assign(active);

    lbCurrentFilter = new QListWidget(this);
    lbCurrentFilter->setObjectName(QStringLiteral("lbCurrentFilter"));
    lbCurrentFilter->setMinimumHeight(90);
    lbCurrentFilter->setWordWrap(true);
    lbCurrentFilter->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnRemoveFilter = new QPushButton(QStringLiteral("&Remove"), this);
    btnClearAll = new QPushButton(QStringLiteral("&Clear All"), this);
    cmbQList = new QComboBox(this);
    cmbQList->setObjectName(QStringLiteral("cmbQList"));
    cmbQList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbQList->setMinimumContentsLength(40);
    for (const TQuestionEntry& q : questions)
        cmbQList->addItem(q.Caption, q.ItemIndex);
    cmbQList->setCurrentIndex(-1);

    nbStyles = new QStackedWidget(this);
    nbStyles->addWidget(MakeSelectListPage());
    nbStyles->addWidget(MakeTextPage());
    nbStyles->addWidget(MakeNumericPage());
    btnAddToFilter = new QPushButton(QStringLiteral("&Add to Filter"), this);

    auto* current = new QGroupBox(this);
    auto* currentLayout = new QGridLayout(current);
    currentLayout->addWidget(Buddy(QStringLiteral("Current &Filter:"), lbCurrentFilter, current), 0, 0, 1, 2);
    currentLayout->addWidget(lbCurrentFilter, 1, 0, 3, 1);
    currentLayout->addWidget(btnRemoveFilter, 1, 1);
    currentLayout->addWidget(btnClearAll, 2, 1);
    currentLayout->setColumnStretch(0, 1);
    currentLayout->setRowStretch(3, 1);

    auto* condition = new QGroupBox(this);
    auto* conditionLayout = new QGridLayout(condition);
    conditionLayout->addWidget(Buddy(QStringLiteral("&In question:"), cmbQList, condition), 0, 0);
    conditionLayout->addWidget(cmbQList, 0, 1);
    conditionLayout->addWidget(nbStyles, 1, 0, 1, 2);
    auto* addRow = new QHBoxLayout;
    addRow->addStretch(1);
    addRow->addWidget(btnAddToFilter);
    conditionLayout->addLayout(addRow, 2, 0, 1, 2);
    conditionLayout->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(current, 1);
    layout->addWidget(condition, 1);
    layout->addLayout(MakeButtons());
    resize(640, 420);

    SetHelpContext(lbCurrentFilter, 4201);
    SetHelpContext(btnRemoveFilter, 4202);
    SetHelpContext(btnClearAll, 4203);
    SetHelpContext(cmbQList, 4204);
    SetHelpContext(btnAddToFilter, 4205);

    connect(cmbQList, &QComboBox::activated, this, [this] { cmbQListClick(); });
    connect(lbCurrentFilter, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(btnRemoveFilter, &QPushButton::clicked, this, [this] {
        filter_.Delete(lbCurrentFilter->currentRow());
        RefillCurrentFilter();
    });
    connect(btnClearAll, &QPushButton::clicked, this, [this] {
        filter_.Clear();
        RefillCurrentFilter();
    });
    connect(btnAddToFilter, &QPushButton::clicked, this, [this] { btnAddToFilterClick(); });
    RefillCurrentFilter();
}

QWidget* TORVFilterBuilder::MakeSelectListPage()
{
    auto* page = new QWidget(this);
    lbResponses = new QListWidget(page);
    lbResponses->setObjectName(QStringLiteral("lbResponses"));
    rbSelected = new QRadioButton(QStringLiteral("&selected..."), page);
    rbDidNotSelect = new QRadioButton(QStringLiteral("&did not select..."), page);
    rbSelected->setChecked(true);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Buddy(QStringLiteral("the r&espondent..."), lbResponses, page), 0, 0);
    layout->addWidget(rbSelected, 1, 0);
    layout->addWidget(rbDidNotSelect, 2, 0);
    layout->addWidget(lbResponses, 0, 1, 4, 1);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 1);
    SetHelpContext(lbResponses, 4206);
    connect(lbResponses, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(lbResponses, &QListWidget::itemDoubleClicked, this, [this] {
        if (btnAddToFilter->isEnabled())
            btnAddToFilterClick();
    });
    return page;
}

QWidget* TORVFilterBuilder::MakeTextPage()
{
    auto* page = new QWidget(this);
    cmbTextOperators = new QComboBox(page);
    cmbTextOperators->addItems({QStringLiteral("contains"), QStringLiteral("does not contain")});
    cmbTextOperators->setCurrentIndex(-1);
    eTextFilter = new QLineEdit(page);
    eTextFilter->setObjectName(QStringLiteral("eTextFilter"));
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("the text response"), page), 0, 0);
    layout->addWidget(cmbTextOperators, 0, 1);
    layout->addWidget(Buddy(QStringLiteral("the following text:"), eTextFilter, page), 1, 0);
    layout->addWidget(eTextFilter, 1, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);
    SetHelpContext(eTextFilter, 4207);
    connect(cmbTextOperators, &QComboBox::currentIndexChanged, this, [this] { UpdateButtons(); });
    connect(eTextFilter, &QLineEdit::textEdited, this, [this] {
        UpdateButtons();
        MakeDefault(btnAddToFilter);
    });
    return page;
}

QWidget* TORVFilterBuilder::MakeNumericPage()
{
    auto* page = new QWidget(this);
    cmbNumericOperators = new QComboBox(page);
    cmbNumericOperators->addItems(
        {QStringLiteral("is greater than"), QStringLiteral("is less than"), QStringLiteral("is equal to")});
    cmbNumericOperators->setCurrentIndex(-1);
    eNumeric = new QLineEdit(page);
    eNumeric->setObjectName(QStringLiteral("eNumeric"));
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        Buddy(QStringLiteral("the r&espondent entered an answer that"), cmbNumericOperators, page), 0, 0);
    layout->addWidget(cmbNumericOperators, 0, 1);
    layout->addWidget(Buddy(QStringLiteral("the &value:"), eNumeric, page), 1, 0);
    layout->addWidget(eNumeric, 1, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);
    SetHelpContext(eNumeric, 4208);
    connect(cmbNumericOperators, &QComboBox::currentIndexChanged, this, [this] { UpdateButtons(); });
    connect(eNumeric, &QLineEdit::textEdited, this, [this] { UpdateButtons(); });
    return page;
}

QLayout* TORVFilterBuilder::MakeButtons()
{
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetHelpContext(btnOK, 2);
    SetHelpContext(btnCancel, 3);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    MakeDefault(btnOK);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(btnOK);
    row->addWidget(btnCancel);
    return row;
}

void TORVFilterBuilder::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (cmbQList->count() > 0) {
        cmbQList->setCurrentIndex(0);
        cmbQListClick();
    }
    UpdateButtons();
}

const TQuestion* TORVFilterBuilder::SelectedQuestion() const
{
    const int item = cmbQList->currentData().isValid() ? cmbQList->currentData().toInt() : -1;
    return item >= 0 && item < survey_.QuestionCount() ? &survey_.GetQuestion(item) : nullptr;
}

void TORVFilterBuilder::cmbQListClick()
{
    const TQuestion* q = SelectedQuestion();
    if (!q)
        return;
    if (q->Style == qsFreeFormText) {
        nbStyles->setCurrentIndex(pgText);
    } else if (q->Style == qsNumericValue) {
        nbStyles->setCurrentIndex(pgNumeric);
    } else {
        nbStyles->setCurrentIndex(pgSelectList);
        lbResponses->clear();
        lbResponses->addItems(q->OptionList());
    }
    UpdateButtons();
}

void TORVFilterBuilder::UpdateButtons()
{
    bool canAdd = SelectedQuestion() != nullptr;
    switch (nbStyles->currentIndex()) {
    case pgText:
        canAdd = canAdd && cmbTextOperators->currentIndex() >= 0 && !eTextFilter->text().trimmed().isEmpty();
        break;
    case pgNumeric:
        canAdd = canAdd && cmbNumericOperators->currentIndex() >= 0 && !eNumeric->text().isEmpty();
        break;
    default:
        canAdd = canAdd && lbResponses->currentRow() >= 0 && !lbResponses->selectedItems().isEmpty();
        break;
    }
    btnAddToFilter->setEnabled(canAdd);
    btnRemoveFilter->setEnabled(lbCurrentFilter->count() > 0 && !lbCurrentFilter->selectedItems().isEmpty());
    btnClearAll->setEnabled(lbCurrentFilter->count() > 0);
}

// Adds the condition the controls describe to `candidate`; false (after telling why) when the
// typed value cannot stand in an expression.
bool TORVFilterBuilder::AddCondition(const TQuestion& question, TFilterList& candidate)
{
    if (question.Style == qsFreeFormText) {
        const QString text = upper_ ? upper_(eTextFilter->text()) : eTextFilter->text().toUpper();
        if (candidate.AddTextItem(question, cmbTextOperators->currentIndex() == 0, text))
            return true;
        ShowError(
            QStringLiteral("The search text cannot hold double quotes, single quotes and closing square "
                           "brackets all at once.  Please leave out one of them."));
        return false;
    }
    if (question.Style == qsNumericValue) {
        if (candidate.AddNumericItem(question, cmbNumericOperators->currentIndex(), eNumeric->text()))
            return true;
        ShowError(QStringLiteral("\"%1\" is not a number.  Please enter a number such as 5, -2 or 2.5.")
                      .arg(eNumeric->text()));
        return false;
    }
    candidate.AddChoiceItem(question, rbSelected->isChecked(), lbResponses->currentRow());
    return true;
}

void TORVFilterBuilder::btnAddToFilterClick()
{
    const TQuestion* q = SelectedQuestion();
    if (!q || !btnAddToFilter->isEnabled())
        return;
    TFilterList candidate;
    candidate.Assign(filter_);
    if (!AddCondition(*q, candidate))
        return;
    const QString refusal = validator_ ? validator_(candidate.GetFilterExpression()) : QString();
    if (!refusal.isEmpty()) {
        ShowError(QStringLiteral("This condition cannot be added to the filter.\r\n\r\n") + refusal);
        return;
    }
    filter_.Assign(candidate);
    eNumeric->clear();
    lbResponses->clearSelection();
    lbResponses->setCurrentRow(-1);
    RefillCurrentFilter();
    eTextFilter->clear();
    UpdateButtons();
    MakeDefault(btnOK);
}

void TORVFilterBuilder::RefillCurrentFilter()
{
    lbCurrentFilter->clear();
    lbCurrentFilter->addItems(filter_.Descriptions());
    UpdateButtons();
}

void TORVFilterBuilder::MakeDefault(QPushButton* button)
{
    btnOK->setDefault(button == btnOK);
    btnAddToFilter->setDefault(button == btnAddToFilter);
    btnOK->setAutoDefault(button == btnOK);
    btnAddToFilter->setAutoDefault(button == btnAddToFilter);
}
