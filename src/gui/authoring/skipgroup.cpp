#include "gui/authoring/skipgroup.h"

#include "gui/help/help.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TORVSkipGroup::TORVSkipGroup(
    const QStringList& memberRows, const QString& ownerRow, const QStringList& options, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVSkipGroup"));
    setWindowTitle(QStringLiteral("Skip Group"));
    lbQuestions = new QListWidget(this);
    lbQuestions->addItems(memberRows);
    lbQuestions->setSelectionMode(QAbstractItemView::NoSelection);
    auto* following = new QLabel(QStringLiteral("The &following questions:"), this);
    following->setBuddy(lbQuestions);
    auto* skipped = new QLabel(
        QStringLiteral("will be skipped over if the user answers the following question:"), this);
    lblQuestion = new QLabel(ownerRow.left(250), this);
    lblQuestion->setTextFormat(Qt::PlainText);
    lblQuestion->setWordWrap(true);
    QFont bold = lblQuestion->font();
    bold.setBold(true);
    lblQuestion->setFont(bold);
    cmbResponses = new QComboBox(this);
    cmbResponses->addItems(options);
    cmbResponses->setCurrentIndex(-1);
    auto* response = new QLabel(QStringLiteral("with this &response:"), this);
    response->setBuddy(cmbResponses);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmbResponses, &QComboBox::currentIndexChanged, this,
        [this](int index) { btnOK->setEnabled(index >= 0); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(following);
    layout->addWidget(lbQuestions, 1);
    layout->addWidget(skipped);
    layout->addWidget(lblQuestion);
    layout->addWidget(response);
    layout->addWidget(cmbResponses);
    layout->addLayout(buttons);
    resize(420, 340);
    SetHelpContexts({{lbQuestions, 871}, {skipped, 872}, {lblQuestion, 872}, {cmbResponses, 873}, {btnOK, 2},
        {btnCancel, 3}});
    ShareHelpWithLabels(this);
}

int TORVSkipGroup::Response() const
{
    return cmbResponses->currentIndex();
}
