// The five tabs of the survey properties dialog.
#include "core/authoring/surveyproperties.h"
#include "gui/authoring/properties.h"
#include "gui/help/help.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel* Note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QPlainTextEdit* Memo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setTabChangesFocus(true);
    return memo;
}

} // namespace

QWidget* TORVProperties::CreateDetailsPage()
{
    auto* page = new QWidget(this);
    eName = new QLineEdit(page);
    eName->setObjectName(QStringLiteral("eName"));
    eAuthor = new QLineEdit(page);
    memoInstructions = Memo(page);
    memoFinalComments = Memo(page);
    ePassword = new QLineEdit(page);
    ePassword->setMaxLength(kMaxPasswordLength);
    ePassword->setMaximumWidth(ePassword->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 12);

    auto* layout = new QGridLayout(page);
    layout->addWidget(Caption(QStringLiteral("Survey &Name:"), eName, page), 0, 0);
    layout->addWidget(eName, 0, 1);
    layout->addWidget(Caption(QStringLiteral("&Author:"), eAuthor, page), 1, 0);
    layout->addWidget(eAuthor, 1, 1);
    layout->addWidget(
        Caption(QStringLiteral("&Instructions to survey respondent:"), memoInstructions, page), 2, 0, 1, 2);
    layout->addWidget(memoInstructions, 3, 0, 1, 2);
    layout->addWidget(
        Caption(QStringLiteral("&Closing comments to respondent:"), memoFinalComments, page), 4, 0, 1, 2);
    layout->addWidget(memoFinalComments, 5, 0, 1, 2);
    auto* password = new QHBoxLayout;
    password->addWidget(ePassword);
    password->addStretch(1);
    layout->addWidget(Caption(QStringLiteral("Survey &Password:"), ePassword, page), 6, 0);
    layout->addLayout(password, 6, 1);
    layout->setRowStretch(3, 1);
    layout->setRowStretch(5, 1);
    return page;
}

QWidget* TORVProperties::CreateWebServerPage()
{
    auto* page = new QWidget(this);
    cmbDisplayTemplate = new QComboBox(page);
    cmbDisplayTemplate->setObjectName(QStringLiteral("cmbDisplayTemplate"));
    cmbDisplayTemplate->setMinimumContentsLength(20);
    btnPreview = new QPushButton(QStringLiteral("&Preview"), page);
    cmbServerStyle = new QComboBox(page);
    cmbServerStyle->addItems(
        {QStringLiteral("Private Web Server Extension"), QStringLiteral("Orvalle Service")});
    nbServer = new QStackedWidget(page);

    auto* privatePage = new QWidget(nbServer);
    privatePage->setObjectName(QStringLiteral("Private"));
    eServerURL = new QLineEdit(privatePage);
    eServerURL->setObjectName(QStringLiteral("eServerURL"));
    auto* privateLayout = new QVBoxLayout(privatePage);
    privateLayout->setContentsMargins(0, 0, 0, 0);
    privateLayout->addWidget(
        Caption(QStringLiteral("&URL for web server extension:"), eServerURL, privatePage));
    privateLayout->addWidget(eServerURL);
    privateLayout->addWidget(
        Note(QStringLiteral("Example: http://www.example.com/scripts/orv.dll"), privatePage));
    privateLayout->addStretch(1);
    nbServer->addWidget(privatePage);

    auto* publicPage = new QWidget(nbServer);
    publicPage->setObjectName(QStringLiteral("Public"));
    eAccountID = new QLineEdit(publicPage);
    eAccountID->setObjectName(QStringLiteral("eAccountID"));
    auto* publicLayout = new QVBoxLayout(publicPage);
    publicLayout->setContentsMargins(0, 0, 0, 0);
    publicLayout->addWidget(Caption(QStringLiteral("&Orvalle Account ID:"), eAccountID, publicPage));
    publicLayout->addWidget(eAccountID);
    publicLayout->addWidget(Note(QStringLiteral("Your account ID comes with your subscription to the Orvalle "
                                                "Service."),
        publicPage));
    publicLayout->addWidget(
        Note(QStringLiteral("With an account the survey's responses are collected by the "
                            "Orvalle Service's public response server, so you need no web "
                            "server of your own."),
            publicPage));
    publicLayout->addStretch(1);
    nbServer->addWidget(publicPage);

    eResultURL = new QLineEdit(page);
    eResultURL->setObjectName(QStringLiteral("eResultURL"));

    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(cmbDisplayTemplate, 1);
    templateRow->addWidget(btnPreview);
    auto* form = new QFormLayout;
    form->addRow(Caption(QStringLiteral("HTML display &template:"), cmbDisplayTemplate, page), templateRow);
    form->addRow(Caption(QStringLiteral("&Server Type:"), cmbServerStyle, page), cmbServerStyle);
    auto* server = new QGroupBox(QStringLiteral("Server"), page);
    auto* serverLayout = new QVBoxLayout(server);
    serverLayout->addLayout(form);
    serverLayout->addWidget(nbServer);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(server);
    layout->addWidget(
        Caption(QStringLiteral("URL users will be &directed to after submitting survey:"), eResultURL, page));
    layout->addWidget(eResultURL);
    layout->addWidget(Note(QStringLiteral("Example: http://www.example.com/result.html"), page));
    layout->addStretch(1);
    return page;
}

QWidget* TORVProperties::CreateNotificationsPage()
{
    auto* page = new QWidget(this);
    eListFileName = new QLineEdit(page);
    btnSelectFile = new QToolButton(page);
    btnSelectFile->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnSelectFile->setToolTip(QStringLiteral("Select File"));
    btnEMailLibrary = new QToolButton(page);
    btnEMailLibrary->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    btnEMailLibrary->setToolTip(QStringLiteral("E-Mail List Manager"));
    rbSendNotificationsAll = new QRadioButton(QStringLiteral("&All addresses"), page);
    rbSendNotificationsRandom = new QRadioButton(QStringLiteral("A &random sampling"), page);
    tbSampling = new QSlider(Qt::Horizontal, page);
    tbSampling->setRange(1, 100);
    tbSampling->setTickInterval(10);
    tbSampling->setTickPosition(QSlider::TicksBelow);
    tbSampling->setPageStep(10);
    lblSamplingCaption = Caption(QStringLiteral("&Sampling quantity:"), tbSampling, page);
    lblSampling = new QLabel(page);
    lblSampling->setMinimumWidth(
        lblSampling->fontMetrics().horizontalAdvance(QStringLiteral("100% of list")) + 4);
    memoNotifyMessage = Memo(page);
    cbAttachSurvey = new QCheckBox(QStringLiteral("Attach &survey to notification message"), page);

    auto* file = new QHBoxLayout;
    file->addWidget(eListFileName, 1);
    file->addWidget(btnSelectFile);
    file->addWidget(btnEMailLibrary);
    auto* send = new QHBoxLayout;
    send->addWidget(new QLabel(QStringLiteral("Send notifications to:"), page));
    send->addWidget(rbSendNotificationsAll);
    send->addWidget(rbSendNotificationsRandom);
    send->addStretch(1);
    auto* sampling = new QHBoxLayout;
    sampling->addWidget(lblSamplingCaption);
    sampling->addWidget(tbSampling, 1);
    sampling->addWidget(lblSampling);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        Note(QStringLiteral("If you would like notifications sent to potential respondents, please "
                            "fill in the information below.  You can also attach the survey "
                            "directly to the notification message."),
            page));
    layout->addWidget(Caption(QStringLiteral("&Notification file:"), eListFileName, page));
    layout->addLayout(file);
    layout->addLayout(send);
    layout->addLayout(sampling);
    layout->addWidget(Caption(QStringLiteral("Notification &message:"), memoNotifyMessage, page));
    layout->addWidget(memoNotifyMessage, 1);
    layout->addWidget(cbAttachSurvey);
    return page;
}

QWidget* TORVProperties::CreateHistoryPage()
{
    auto* page = new QWidget(this);
    memoPublicationHistory = new QPlainTextEdit(page);
    memoPublicationHistory->setReadOnly(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Caption(QStringLiteral("Publication History:"), memoPublicationHistory, page));
    layout->addWidget(memoPublicationHistory, 1);
    return page;
}

QWidget* TORVProperties::CreateSecurityPage()
{
    auto* page = new QWidget(this);
    cbOnly1Email
        = new QCheckBox(QStringLiteral("Allo&w only 1 survey response from each e-mail address"), page);
    cbOnly1IP = new QCheckBox(QStringLiteral("A&llow only 1 survey response per IP address"), page);
    cbLimitByIP
        = new QCheckBox(QStringLiteral("Respondent &IP addresses must contain one of the following:"), page);
    lbIPAddresses = new QListWidget(page);
    eIPToAdd = new QLineEdit(page);
    eIPToAdd->setMaxLength(kMaxIPEntryLength);
    btnAddIP = new QPushButton(QStringLiteral("&Add"), page);
    btnAddIP->setAutoDefault(true);
    btnDeleteIP = new QPushButton(QStringLiteral("&Delete"), page);

    auto* group = new QGroupBox(QStringLiteral("Limit incoming responses to the following:"), page);
    auto* entry = new QHBoxLayout;
    entry->addWidget(eIPToAdd, 1);
    entry->addWidget(btnAddIP);
    entry->addWidget(btnDeleteIP);
    auto* ipLayout = new QVBoxLayout;
    ipLayout->setContentsMargins(20, 0, 0, 0);
    ipLayout->addWidget(lbIPAddresses, 1);
    ipLayout->addLayout(entry);
    ipLayout->addWidget(
        Note(QStringLiteral("An entry made of the first three numbers of an address, such as "
                            "192.168.10, admits only respondents whose IP address lies in that "
                            "range: 192.168.10.0 through 192.168.10.255."),
            page));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(cbOnly1Email);
    groupLayout->addWidget(cbOnly1IP);
    groupLayout->addWidget(cbLimitByIP);
    groupLayout->addLayout(ipLayout, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group, 1);
    return page;
}

void TORVProperties::AssignHelpContexts()
{
    SetHelpContexts({{eName, 1501}, {eAuthor, 1502}, {memoInstructions, 1503}, {memoFinalComments, 1504},
        {ePassword, 1505}, {cmbDisplayTemplate, 1511}, {btnPreview, 1512}, {cmbServerStyle, 1513},
        {eServerURL, 1514}, {eAccountID, 1515}, {eResultURL, 1516}, {eListFileName, 1521},
        {btnSelectFile, 1522}, {btnEMailLibrary, 1523}, {rbSendNotificationsAll, 1524},
        {rbSendNotificationsRandom, 1524}, {tbSampling, 1525}, {memoNotifyMessage, 1526},
        {cbAttachSurvey, 1527}, {memoPublicationHistory, 1531}, {cbOnly1Email, 1541}, {cbOnly1IP, 1542},
        {cbLimitByIP, 1543}, {lbIPAddresses, 1544}, {eIPToAdd, 1544}, {btnAddIP, 1545}, {btnDeleteIP, 1546},
        {cbMakeDefault, 1551}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);
}
