#include "gui/settings/prefs.h"

#include "core/base/settingstable.h"
#include "core/base/utils.h"
#include "gui/help/help.h"
#include "gui/publishing/mailsecuritybox.h"
#include "gui/settings/seldir.h"
#include "gui/widgets/dialogposition.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
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
    // The stacked mail pages do not pass a wrapped label's height for its width up to the dialog:
    // reserve what the text needs at the narrowest width the page gets.
    label->setMinimumHeight(label->heightForWidth(400));
    return label;
}

QLineEdit* PortBox(QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setMaxLength(5);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    return box;
}

void EnableBox(QWidget* box, bool on)
{
    box->setEnabled(on);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(on ? QPalette::Base : QPalette::Button));
    box->setPalette(palette);
}

} // namespace

TORVPrefs::TORVPrefs(const TPreferenceValues& values, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ORVPrefs"));
    setWindowTitle(QStringLiteral("Preferences"));
    ChooseDirectory = [this](const QString& start) -> std::optional<QString> {
        TORVSelDir chooser(start, this);
        if (chooser.exec() != QDialog::Accepted)
            return std::nullopt;
        return chooser.Directory();
    };
    pcPrefs = new QTabWidget(this);
    pcPrefs->addTab(CreateGeneralPage(), QStringLiteral("General"));
    pcPrefs->addTab(CreateEmailPage(), QStringLiteral("Email"));
    pcPrefs->addTab(CreateAdvancedPage(), QStringLiteral("Advanced"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnBrowseDataDir, &QToolButton::clicked, this, &TORVPrefs::BrowseDataDirectory);
    connect(cmbMailType, &QComboBox::currentIndexChanged, nbMail, &QStackedWidget::setCurrentIndex);
    connect(cbUseProxy, &QCheckBox::toggled, this, &TORVPrefs::UpdateProxy);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcPrefs, 1);
    layout->addLayout(buttons);
    AssignHelpContexts();
    Fill(values);
    UpdateProxy();
}

QWidget* TORVPrefs::CreateGeneralPage()
{
    auto* page = new QWidget(this);
    eDataDir = new QLineEdit(page);
    eDataDir->setReadOnly(true);
    btnBrowseDataDir = new QToolButton(page);
    btnBrowseDataDir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnBrowseDataDir->setToolTip(QStringLiteral("Select Directory"));
    cbAutoReopenLastFile = new QCheckBox(QStringLiteral("&Automatically re-open last file"), page);
    auto* warnings = new QGroupBox(QStringLiteral("Warnings - warn when..."), page);
    cbDeleteQuestions = new QCheckBox(QStringLiteral("D&eleting questions/headers"), warnings);
    cbUngroupSkipGroup = new QCheckBox(QStringLiteral("&Ungrouping skip groups"), warnings);
    cbChangesToPublishedSurvey = new QCheckBox(
        QStringLiteral("Making &changes to a survey that has already been published"), warnings);
    cbMoveSkipGroup
        = new QCheckBox(QStringLiteral("&Moving one or more questions in a skip group"), warnings);
    cbTipsAtStartup = new QCheckBox(QStringLiteral("&Show tip of the day at startup"), page);

    auto* warningsLayout = new QVBoxLayout(warnings);
    for (QCheckBox* box :
        {cbDeleteQuestions, cbUngroupSkipGroup, cbChangesToPublishedSurvey, cbMoveSkipGroup})
        warningsLayout->addWidget(box);
    auto* dir = new QHBoxLayout;
    dir->addWidget(eDataDir, 1);
    dir->addWidget(btnBrowseDataDir);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Caption(QStringLiteral("&Data Directory:"), btnBrowseDataDir, page));
    layout->addLayout(dir);
    layout->addWidget(cbAutoReopenLastFile);
    layout->addWidget(warnings);
    layout->addWidget(cbTipsAtStartup);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPrefs::CreateEmailPage()
{
    auto* page = new QWidget(this);
    cmbMailType = new QComboBox(page);
    cmbMailType->addItems(
        {QStringLiteral("Internet Standard (POP3/SMTP)"), QStringLiteral("MAPI Compliant")});
    nbMail = new QStackedWidget(page);
    nbMail->addWidget(CreateInternetPage());
    nbMail->addWidget(CreateMapiPage());
    auto* type = new QHBoxLayout;
    type->addWidget(Caption(QStringLiteral("&Email System:"), cmbMailType, page));
    type->addWidget(cmbMailType);
    type->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(type);
    layout->addWidget(nbMail, 1);
    return page;
}

QWidget* TORVPrefs::CreateInternetPage()
{
    auto* page = new QWidget(nbMail);
    page->setObjectName(QStringLiteral("Internet"));
    auto* server = new QGroupBox(QStringLiteral("Mail Server Information"), page);
    eSMTPServerAddress = new QLineEdit(server);
    eOutgoingPort = PortBox(server);
    eUserID = new QLineEdit(server);
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow(
        Caption(QStringLiteral("&SMTP Server Address:"), eSMTPServerAddress, server), eSMTPServerAddress);
    serverForm->addRow(Caption(QStringLiteral("O&utgoing Port:"), eOutgoingPort, server), eOutgoingPort);
    serverForm->addRow(Caption(QStringLiteral("&User ID:"), eUserID, server), eUserID);

    gbConnection = new TMailSecurityBox(page);

    auto* user = new QGroupBox(QStringLiteral("User Information"), page);
    eDisplayName = new QLineEdit(user);
    eReplyAddress = new QLineEdit(user);
    auto* userForm = new QFormLayout(user);
    userForm->addRow(
        Note(QStringLiteral("Enter the name and the reply address the survey mail is to come from, "
                            "for example Pat Example and pat@example.org."),
            user));
    userForm->addRow(Caption(QStringLiteral("&Display Name:"), eDisplayName, user), eDisplayName);
    userForm->addRow(Caption(QStringLiteral("&Reply Address:"), eReplyAddress, user), eReplyAddress);

    auto* format = new QGroupBox(QStringLiteral("Send Format"), page);
    cmbSendFormat = new QComboBox(format);
    for (int style = 0; style < 7; ++style)
        cmbSendFormat->addItem(FormatAddress(style, QStringLiteral("FirstName"), QStringLiteral("LastName"),
            QStringLiteral("pat@example.org")));
    auto* formatForm = new QFormLayout(format);
    formatForm->addRow(
        Caption(QStringLiteral("Email Addressing &Format:"), cmbSendFormat, format), cmbSendFormat);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(server);
    layout->addWidget(gbConnection);
    layout->addWidget(user);
    layout->addWidget(format);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPrefs::CreateMapiPage()
{
    auto* page = new QWidget(nbMail);
    page->setObjectName(QStringLiteral("MAPI"));
    auto* options = new QGroupBox(QStringLiteral("MAPI Options"), page);
    eGatewayText = new QLineEdit(options);
    auto* form = new QVBoxLayout(options);
    form->addWidget(Caption(QStringLiteral("&Gateway text for Email Addresses:"), eGatewayText, options));
    form->addWidget(eGatewayText);
    form->addWidget(
        Note(QStringLiteral("When the system mail program sends to an Internet address, it may need the "
                            "word SMTP: before the address, for example SMTP:pat@example.org."),
            options));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(options);
    layout->addStretch(1);
    return page;
}

QWidget* TORVPrefs::CreateAdvancedPage()
{
    auto* page = new QWidget(this);
    cmbDefaultHTML = new QComboBox(page);
    cmbDefaultHTML->addItems({QStringLiteral(".HTM"), QStringLiteral(".HTML")});
    auto* http = new QGroupBox(QStringLiteral("HTTP Settings"), page);
    cbUseProxy = new QCheckBox(QStringLiteral("Access the &Internet using a proxy server"), http);
    eProxyAddress = new QLineEdit(http);
    eProxyPort = PortBox(http);
    lblProxyAddress = Caption(QStringLiteral("A&ddress:"), eProxyAddress, http);
    lblProxyPort = Caption(QStringLiteral("&Port:"), eProxyPort, http);
    auto* proxy = new QHBoxLayout;
    proxy->addWidget(lblProxyAddress);
    proxy->addWidget(eProxyAddress, 1);
    proxy->addWidget(lblProxyPort);
    proxy->addWidget(eProxyPort);
    auto* httpLayout = new QVBoxLayout(http);
    httpLayout->addWidget(cbUseProxy);
    httpLayout->addLayout(proxy);
    auto* extension = new QHBoxLayout;
    extension->addWidget(Caption(QStringLiteral("D&efault HTML extension:"), cmbDefaultHTML, page));
    extension->addWidget(cmbDefaultHTML);
    extension->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(extension);
    layout->addWidget(http);
    layout->addStretch(1);
    return page;
}

void TORVPrefs::AssignHelpContexts()
{
    SetHelpContexts({{eDataDir, 1601}, {btnBrowseDataDir, 1601}, {cbAutoReopenLastFile, 1602},
        {cbDeleteQuestions, 1603}, {cbUngroupSkipGroup, 1603}, {cbChangesToPublishedSurvey, 1603},
        {cbMoveSkipGroup, 1603}, {cbTipsAtStartup, 1604}, {cmbMailType, 1611}, {eSMTPServerAddress, 1612},
        {eOutgoingPort, 1613}, {eUserID, 1614}, {eDisplayName, 1615}, {eReplyAddress, 1616},
        {cmbSendFormat, 1617}, {eGatewayText, 1618}, {gbConnection->cmbSecurity, 1619},
        {gbConnection->ePassword, 1620}, {gbConnection->sePause, 1625}, {cmbDefaultHTML, 1621},
        {cbUseProxy, 1622}, {eProxyAddress, 1623}, {eProxyPort, 1624}, {btnOK, 2}, {btnCancel, 3}});
    ShareHelpWithLabels(this);
}

void TORVPrefs::Fill(const TPreferenceValues& v)
{
    eDataDir->setText(v.DataDirectory);
    cbAutoReopenLastFile->setChecked(v.AutoReopen);
    cbDeleteQuestions->setChecked(v.WarnDeleteQuestions);
    cbUngroupSkipGroup->setChecked(v.WarnUngroupSkipGroup);
    cbChangesToPublishedSurvey->setChecked(v.WarnChangesToPublishedSurvey);
    cbMoveSkipGroup->setChecked(v.WarnMoveSkipGroup);
    cbTipsAtStartup->setChecked(v.TipsAtStartup);
    cmbMailType->setCurrentIndex(v.EmailSystem);
    nbMail->setCurrentIndex(v.EmailSystem);
    eSMTPServerAddress->setText(v.SmtpServerAddress);
    eOutgoingPort->setText(v.OutgoingPort);
    eUserID->setText(v.SmtpUserID);
    eDisplayName->setText(v.DisplayName);
    eReplyAddress->setText(v.ReplyAddress);
    cmbSendFormat->setCurrentIndex(v.SendFormat);
    eGatewayText->setText(v.GatewayText);
    cmbDefaultHTML->setCurrentIndex(v.DefaultHTML);
    cbUseProxy->setChecked(v.UseProxy);
    eProxyAddress->setText(v.ProxyAddress);
    eProxyPort->setText(v.ProxyPort);
}

TPreferenceValues TORVPrefs::Values() const
{
    TPreferenceValues v;
    v.DataDirectory = eDataDir->text();
    v.AutoReopen = cbAutoReopenLastFile->isChecked();
    v.WarnDeleteQuestions = cbDeleteQuestions->isChecked();
    v.WarnUngroupSkipGroup = cbUngroupSkipGroup->isChecked();
    v.WarnChangesToPublishedSurvey = cbChangesToPublishedSurvey->isChecked();
    v.WarnMoveSkipGroup = cbMoveSkipGroup->isChecked();
    v.TipsAtStartup = cbTipsAtStartup->isChecked();
    v.EmailSystem = cmbMailType->currentIndex() == 1 ? 1 : 0;
    v.SmtpServerAddress = eSMTPServerAddress->text();
    v.OutgoingPort = eOutgoingPort->text();
    v.SmtpUserID = eUserID->text();
    v.DisplayName = eDisplayName->text();
    v.ReplyAddress = eReplyAddress->text();
    v.SendFormat = qMax(0, cmbSendFormat->currentIndex());
    v.GatewayText = eGatewayText->text();
    v.DefaultHTML = cmbDefaultHTML->currentIndex() == 1 ? 1 : 0;
    v.UseProxy = cbUseProxy->isChecked();
    v.ProxyAddress = eProxyAddress->text();
    v.ProxyPort = eProxyPort->text();
    return v;
}

void TORVPrefs::UpdateProxy()
{
    const bool on = cbUseProxy->isChecked();
    lblProxyAddress->setEnabled(on);
    lblProxyPort->setEnabled(on);
    EnableBox(eProxyAddress, on);
    EnableBox(eProxyPort, on);
}

void TORVPrefs::BrowseDataDirectory()
{
    if (const std::optional<QString> chosen = ChooseDirectory(eDataDir->text()))
        eDataDir->setText(*chosen);
}

void TORVPrefs::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shownOnce_) {
        shownOnce_ = true;
        RestoreDialogPosition(this, settings::PreferencesWindow);
        pcPrefs->setCurrentIndex(0);
    }
    QDialog::showEvent(event);
}

void TORVPrefs::done(int result)
{
    StoreDialogPosition(this, settings::PreferencesWindow);
    QDialog::done(result);
}
