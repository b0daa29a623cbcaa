#include "gui/reports/importsurvey.h"

#include "core/authoring/questionimport.h"
#include "core/survey/question.h"
#include "gui/help/help.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TORVImportSurvey::TORVImportSurvey(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Import Survey from Text File"));
    auto* layout = new QVBoxLayout(this);
    auto* intro
        = new QLabel(QStringLiteral("You can import text files in a specific format directly into Orvalle.  "
                                    "This is handy when you are developing a survey with a very large "
                                    "number of questions."),
            this);
    intro->setWordWrap(true);
    auto* help = new QLabel(
        QStringLiteral("To obtain the required text file layout, please click the help button below."), this);
    help->setWordWrap(true);
    auto* label
        = new QLabel(QStringLiteral("&Please select the Question Style for all of the questions:"), this);
    cmbStyle = new QComboBox(this);
    for (int style : ImportStyles())
        cmbStyle->addItem(StyleName(style), style);
    cmbStyle->setCurrentIndex(0);
    label->setBuddy(cmbStyle);
    layout->addWidget(intro);
    layout->addWidget(help);
    layout->addWidget(label);
    layout->addWidget(cmbStyle);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnHelp = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    btnOK->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(20); });
    SetHelpContext(cmbStyle, 14002);
    setMinimumWidth(420);
}

int TORVImportSurvey::Style() const
{
    return cmbStyle->currentData().toInt();
}
