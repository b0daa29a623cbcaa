#include "gui/reports/destination.h"

#include "gui/help/help.h"
#include "core/interaction/filedialogs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TORVDestination::TORVDestination(const QString& directory, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Report Destination"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Where would you like this report to be generated?"), this));
    rbPrinter = new QRadioButton(QStringLiteral("To the &printer"), this);
    rbWebPage = new QRadioButton(QStringLiteral("To a &web page"), this);
    rbPrinter->setChecked(true);
    layout->addWidget(rbPrinter);
    layout->addWidget(rbWebPage);
    auto* label = new QLabel(QStringLiteral("&Directory for web page:"), this);
    eDirectory = new QLineEdit(directory, this);
    eDirectory->setMinimumWidth(320);
    label->setBuddy(eDirectory);
    btnSelectDir = new QToolButton(this);
    btnSelectDir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnSelectDir->setToolTip(QStringLiteral("Select Directory"));
    auto* row = new QHBoxLayout;
    row->addWidget(eDirectory, 1);
    row->addWidget(btnSelectDir);
    layout->addWidget(label);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnHelp = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    btnOK->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(15); });
    connect(rbWebPage, &QRadioButton::toggled, this, &TORVDestination::UpdateControls);
    connect(eDirectory, &QLineEdit::textChanged, this, &TORVDestination::UpdateControls);
    connect(btnSelectDir, &QToolButton::clicked, this, &TORVDestination::btnSelectDirClick);
    SetHelpContexts({{rbPrinter, 14012}, {rbWebPage, 14013}, {eDirectory, 14014}, {btnOK, 2}, {btnCancel, 3},
        {btnHelp, 4}});
    UpdateControls();
}

bool TORVDestination::ToWebPage() const
{
    return rbWebPage->isChecked();
}

QString TORVDestination::Directory() const
{
    return eDirectory->text().trimmed();
}

void TORVDestination::UpdateControls()
{
    const bool web = ToWebPage();
    eDirectory->setEnabled(web);
    btnSelectDir->setEnabled(web);
    btnOK->setEnabled(!web || !Directory().isEmpty());
}

void TORVDestination::btnSelectDirClick()
{
    if (const auto chosen = FileDialogs().Directory(QStringLiteral("Select Directory"), Directory()))
        eDirectory->setText(*chosen);
}
