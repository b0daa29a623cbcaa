#include "gui/seams/warning.h"

#include "gui/help/help.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TORVWarning::TORVWarning(const QString& message, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Warning"));
    setModal(true);

    auto* image = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(side, side));
    image->setAlignment(Qt::AlignTop);

    memoMessage = new QPlainTextEdit(message, this);
    memoMessage->setReadOnly(true);
    memoMessage->setFrameShape(QFrame::NoFrame);
    memoMessage->viewport()->setAutoFillBackground(false);
    memoMessage->setFocusPolicy(Qt::NoFocus);
    memoMessage->setMinimumSize(320, 70);

    cbDontShow = new QCheckBox(QStringLiteral("&Don't show this warning again"), this);
    btnYes = new QPushButton(QStringLiteral("&Yes"), this);
    btnNo = new QPushButton(QStringLiteral("&No"), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnYes->setDefault(true);

    connect(btnYes, &QPushButton::clicked, this, [this] {
        answer_ = TAnswer::Yes;
        accept();
    });
    connect(btnNo, &QPushButton::clicked, this, [this] {
        answer_ = TAnswer::No;
        accept();
    });
    // Esc rejects the dialog, which leaves the answer at Cancel.
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addWidget(memoMessage, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbDontShow);
    buttons->addStretch(1);
    buttons->addWidget(btnYes);
    buttons->addWidget(btnNo);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    SetHelpContexts(
        {{memoMessage, 1401}, {cbDontShow, 1402}, {btnYes, 1403}, {btnNo, 1404}, {btnCancel, 1405}});
}

TAnswer TORVWarning::Ask()
{
    answer_ = TAnswer::Cancel;
    exec();
    return answer_;
}

bool TORVWarning::DontShowAgain() const
{
    return cbDontShow->isChecked();
}
