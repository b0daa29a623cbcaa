#include "gui/reports/rangeselect.h"

#include "gui/help/help.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TORVRangeSelect::TORVRangeSelect(QWidget* parent, bool questionSelected)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Range"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("What would you like to generate a web page for?"), this));
    rbSelected = new QRadioButton(QStringLiteral("&Selected question only"), this);
    rbAll = new QRadioButton(QStringLiteral("&All questions"), this);
    rbAll->setChecked(true);
    rbSelected->setEnabled(questionSelected);
    layout->addWidget(rbSelected);
    layout->addWidget(rbAll);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetHelpContexts({{rbSelected, 14011}, {rbAll, 14010}});
}

bool TORVRangeSelect::SelectedOnly() const
{
    return rbSelected->isChecked();
}
