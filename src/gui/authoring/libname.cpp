#include "gui/authoring/libname.h"

#include "gui/help/help.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TORVLibName::TORVLibName(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVLibName"));
    setWindowTitle(QStringLiteral("New Library"));
    lblPrompt = new QLabel(QStringLiteral("Please enter a &name for the new library:"), this);
    eLibraryName = new QLineEdit(this);
    eLibraryName->setMinimumWidth(260);
    lblPrompt->setBuddy(eLibraryName);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(eLibraryName);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContexts({{eLibraryName, 921}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);
}

void TORVLibName::SetPrompt(const QString& prompt)
{
    lblPrompt->setText(prompt);
}

QString TORVLibName::Name() const
{
    return eLibraryName->text();
}
