#include "gui/authoring/rt.h"

#include "gui/help/help.h"
#include "gui/widgets/dialogposition.h"
#include "core/base/settingstable.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

TORVrt::TORVrt(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVrt"));
    setWindowTitle(QStringLiteral("Response Template"));
    eTemplateName = new QLineEdit(this);
    eTemplateName->setMaxLength(40);
    memoResponses = new QPlainTextEdit(this);
    memoResponses->setLineWrapMode(QPlainTextEdit::NoWrap);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(eTemplateName, &QLineEdit::textChanged, this, &TORVrt::UpdateOK);
    connect(memoResponses, &QPlainTextEdit::textChanged, this, &TORVrt::UpdateOK);

    auto* name = new QLabel(QStringLiteral("&Description:"), this);
    name->setBuddy(eTemplateName);
    auto* responses = new QLabel(QStringLiteral("&Responses:"), this);
    responses->setBuddy(memoResponses);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* grid = new QGridLayout(this);
    grid->addWidget(name, 0, 0);
    grid->addWidget(eTemplateName, 0, 1);
    grid->addWidget(responses, 1, 0, 1, 2);
    grid->addWidget(memoResponses, 2, 0, 1, 2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    resize(340, 300);
    SetHelpContexts({{eTemplateName, 861}, {memoResponses, 862}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);
}

void TORVrt::UpdateOK()
{
    btnOK->setEnabled(!eTemplateName->text().isEmpty() && !memoResponses->toPlainText().isEmpty());
}

void TORVrt::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        RestoreDialogPosition(this, settings::ResponseTemplateWindow);
    QDialog::showEvent(event);
    eTemplateName->setFocus();
}

void TORVrt::done(int result)
{
    StoreDialogPosition(this, settings::ResponseTemplateWindow);
    QDialog::done(result);
}
