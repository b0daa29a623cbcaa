#include "gui/authoring/header.h"

#include "gui/help/help.h"
#include "gui/widgets/dialogposition.h"
#include "core/base/settingstable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TORVHeader::TORVHeader(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVHeader"));
    setWindowTitle(QStringLiteral("Header Details"));
    setModal(true);
    memoText = new QPlainTextEdit(this);
    memoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->setTabChangesFocus(true);
    auto* label = new QLabel(QStringLiteral("Header &Text:"), this);
    label->setBuddy(memoText);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(memoText, 1);
    layout->addLayout(buttons);
    resize(400, 220);
    SetHelpContexts({{memoText, 851}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);
}

void TORVHeader::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        RestoreDialogPosition(this, settings::HeaderWindow);
    QDialog::showEvent(event);
    memoText->setFocus();
}

void TORVHeader::done(int result)
{
    StoreDialogPosition(this, settings::HeaderWindow);
    QDialog::done(result);
}
