#include "gui/publishing/emailaddress.h"

#include "core/base/settingstable.h"
#include "gui/widgets/dialogposition.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TORVEmailAddress::TORVEmailAddress(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Address"));
    eFirstName = new QLineEdit(this);
    eFirstName->setMaxLength(emaillist::NameWidth);
    eLastName = new QLineEdit(this);
    eLastName->setMaxLength(emaillist::NameWidth);
    eEmailAddress = new QLineEdit(this);
    eEmailAddress->setMaxLength(emaillist::EmailWidth);
    eEmailAddress->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&First Name:"), eFirstName);
    form->addRow(QStringLiteral("&Last Name:"), eLastName);
    form->addRow(QStringLiteral("&Email Address:"), eEmailAddress);
    auto* hint = new QLabel(QStringLiteral("(Example: jane.doe@example.org)"), this);
    hint->setEnabled(false);
    form->addRow(QString(), hint);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    RestoreDialogPosition(this, settings::AddressWindow);
}

TORVEmailAddress::~TORVEmailAddress()
{
    StoreDialogPosition(this, settings::AddressWindow);
}

void TORVEmailAddress::SetPerson(const TEmailPerson& person)
{
    eFirstName->setText(person.FirstName.trimmed());
    eLastName->setText(person.LastName.trimmed());
    eEmailAddress->setText(person.Email.trimmed());
}

TEmailPerson TORVEmailAddress::Person() const
{
    return {eFirstName->text(), eLastName->text(), eEmailAddress->text()};
}
