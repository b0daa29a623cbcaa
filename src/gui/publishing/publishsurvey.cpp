#include "gui/publishing/publishsurvey.h"

#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/base/textfile.h"
#include "core/base/utils.h"
#include "core/publishing/secretstore.h"
#include "core/responses/httpclient.h"
#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"
#include "core/webform/page.h"
#include "gui/help/help.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QToolButton>

namespace {

const QChar kCircledDigits[4] = {QChar(0x2460), QChar(0x2461), QChar(0x2462), QChar(0x2463)};

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

QLabel* StatusLabel(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 60);
    return label;
}

} // namespace

// Hands the run's reports, made on the worker thread, to the dialog's thread.
class TORVPublishSurvey::TObserver : public TMailingObserver {
public:
    explicit TObserver(TORVPublishSurvey* dialog)
        : dialog_(dialog)
    {
    }
    void StatusText(const QString& text) override
    {
        Post([d = dialog_, text] { d->lblEmailStatus->setText(text); });
    }
    void ProgressRange(int maximum) override
    {
        Post([d = dialog_, maximum] { d->pbSendMail->setRange(0, std::max(maximum, 1)); });
    }
    void ProgressValue(int value) override
    {
        Post([d = dialog_, value] { d->pbSendMail->setValue(value); });
    }
    void MessageSent(int, const QString&) override { }

private:
    template <typename F> void Post(F f)
    {
        QMetaObject::invokeMethod(dialog_, std::move(f), Qt::QueuedConnection);
    }
    TORVPublishSurvey* dialog_;
};

TORVPublishSurvey::TORVPublishSurvey(TSurvey& survey, TPublishContext context, QWidget* parent)
    : QDialog(parent)
    , survey_(survey)
    , context_(std::move(context))
{
    setWindowTitle(QStringLiteral("Publish Survey"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    httpVerify = new THttpClient(this);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(3);
    layout->addWidget(CreateGenerateSection());
    layout->addWidget(CreateVerifySection());
    layout->addWidget(CreateRegisterSection());
    sendSection_ = CreateSendSection();
    layout->addWidget(sendSection_);
    btnCancel = new QPushButton(QStringLiteral("Close"), this);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(3); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    // The dialog takes the height of its visible sections: without a list it has three.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContexts({{gbGenWebPage, 10001}, {eHTMLFileName, 10004}, {btnGenerateHTMLPage, 10005},
        {gbVerifyServer, 10002}, {btnVerifyServer, 10007}, {gbRegisterSurvey, 10010}, {btnRegisterNow, 10011},
        {gbSendEmail, 10003}, {btnSendMail, 10010}, {btnCancel, 10}, {btnHelp, 4}});
    ShareHelpWithLabels(this);
    ConnectHttpEvents();
    FillFromSurvey();
}

TORVPublishSurvey::~TORVPublishSurvey()
{
    if (thread_) {
        run_->RequestStop();
        thread_->wait();
    }
}

QWidget* TORVPublishSurvey::Section(int step, QGroupBox* box)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    lblStep[step] = new QLabel(QString(kCircledDigits[step]), row);
    QFont digitFont = lblStep[step]->font();
    digitFont.setPointSizeF(digitFont.pointSizeF() * 2.4);
    lblStep[step]->setFont(digitFont);
    lblStep[step]->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblStep[step]->setMinimumWidth(lblStep[step]->fontMetrics().horizontalAdvance(kCircledDigits[0]) + 6);
    layout->addWidget(lblStep[step]);
    layout->addWidget(box, 1);
    return row;
}

QWidget* TORVPublishSurvey::CreateGenerateSection()
{
    gbGenWebPage = new QGroupBox(QStringLiteral("Generate Survey Web Page"), this);
    auto* label = new QLabel(QStringLiteral("&Filename:"), gbGenWebPage);
    eHTMLFileName = new QLineEdit(gbGenWebPage);
    label->setBuddy(eHTMLFileName);
    btnSelectFile = new QToolButton(gbGenWebPage);
    btnSelectFile->setText(QStringLiteral("..."));
    btnSelectFile->setToolTip(QStringLiteral("Select File"));
    btnGenerateHTMLPage = new QPushButton(QStringLiteral("&Generate Now"), gbGenWebPage);
    lblGenWebStatus = StatusLabel(gbGenWebPage, {});
    connect(btnSelectFile, &QToolButton::clicked, this, &TORVPublishSurvey::btnSelectFileClick);
    connect(btnGenerateHTMLPage, &QPushButton::clicked, this, &TORVPublishSurvey::btnGenerateHTMLPageClick);
    auto* grid = new QGridLayout(gbGenWebPage);
    grid->addWidget(label, 0, 0);
    grid->addWidget(eHTMLFileName, 0, 1);
    grid->addWidget(btnSelectFile, 0, 2);
    grid->addWidget(btnGenerateHTMLPage, 0, 3);
    grid->addWidget(lblGenWebStatus, 1, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    return Section(0, gbGenWebPage);
}

QWidget* TORVPublishSurvey::CreateVerifySection()
{
    gbVerifyServer = new QGroupBox(QStringLiteral("Verify Web Server"), this);
    lblServerAddress = StatusLabel(gbVerifyServer, {});
    btnVerifyServer = new QPushButton(QStringLiteral("&Verify Now"), gbVerifyServer);
    lblServerStatus = StatusLabel(gbVerifyServer, {});
    connect(btnVerifyServer, &QPushButton::clicked, this, &TORVPublishSurvey::btnVerifyServerClick);
    auto* grid = new QGridLayout(gbVerifyServer);
    grid->addWidget(lblServerAddress, 0, 0);
    grid->addWidget(btnVerifyServer, 0, 1);
    grid->addWidget(lblServerStatus, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    return Section(1, gbVerifyServer);
}

QWidget* TORVPublishSurvey::CreateRegisterSection()
{
    gbRegisterSurvey = new QGroupBox(QStringLiteral("Register Survey with Web Server"), this);
    btnRegisterNow = new QPushButton(QStringLiteral("&Register Now"), gbRegisterSurvey);
    lblRegisterStatus = StatusLabel(gbRegisterSurvey, {});
    connect(btnRegisterNow, &QPushButton::clicked, this, &TORVPublishSurvey::btnRegisterNowClick);
    auto* grid = new QGridLayout(gbRegisterSurvey);
    grid->addWidget(lblRegisterStatus, 0, 0);
    grid->addWidget(btnRegisterNow, 0, 1);
    grid->setColumnStretch(0, 1);
    return Section(2, gbRegisterSurvey);
}

QWidget* TORVPublishSurvey::CreateSendSection()
{
    gbSendEmail = new QGroupBox(QStringLiteral("Send Survey Emails"), this);
    lblNotificationFile = StatusLabel(gbSendEmail, {});
    lblSampling = StatusLabel(gbSendEmail, {});
    btnSendMail = new QPushButton(QStringLiteral("&Send Now"), gbSendEmail);
    btnStopSending = new QPushButton(QStringLiteral("St&op Sending"), gbSendEmail);
    cbNotAnswered = new QCheckBox(QStringLiteral("Only to addresses with no &response yet"), gbSendEmail);
    pbSendMail = new QProgressBar(gbSendEmail);
    lblEmailStatus = StatusLabel(gbSendEmail, {});
    btnStopSending->hide();
    pbSendMail->hide();
    // Keeps the section's height while the progress bar comes and goes.
    QSizePolicy keep = pbSendMail->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    pbSendMail->setSizePolicy(keep);
    connect(btnSendMail, &QPushButton::clicked, this, &TORVPublishSurvey::btnSendMailClick);
    connect(btnStopSending, &QPushButton::clicked, this, &TORVPublishSurvey::btnStopSendingClick);
    auto* grid = new QGridLayout(gbSendEmail);
    grid->addWidget(lblNotificationFile, 0, 0);
    grid->addWidget(btnSendMail, 0, 1);
    grid->addWidget(lblSampling, 1, 0);
    grid->addWidget(btnStopSending, 1, 1);
    grid->addWidget(cbNotAnswered, 2, 0, 1, 2);
    grid->addWidget(pbSendMail, 3, 0, 1, 2);
    grid->addWidget(lblEmailStatus, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    return Section(3, gbSendEmail);
}

QString TORVPublishSurvey::ServerAddress() const
{
    return survey_.GetFormAction();
}

void TORVPublishSurvey::FillFromSurvey()
{
    lblGenWebStatus->setText(survey_.HTMLStatus());
    lblServerStatus->setText(survey_.ServerStatus());
    const bool registered = survey_.RegDate().isValid() && survey_.RegDate() != ZeroDateTime();
    lblRegisterStatus->setText(registered
            ? QStringLiteral("Survey registered at ") + FormatDateAndTime(survey_.RegDate())
            : QStringLiteral("Survey not registered"));
    lblEmailStatus->setText(survey_.EMailStatus());
    eHTMLFileName->setText(survey_.HTMLFileName());
    lblServerAddress->setText(QStringLiteral("Server Address: ") + ServerAddress());
    const QString list = survey_.NotificationFile();
    sendSection_->setVisible(!list.isEmpty());
    lblNotificationFile->setText(QStringLiteral("Notification List: ") + list);
    lblSampling->setText(survey_.AllAddresses()
            ? QStringLiteral("Sampling: All addresses on list")
            : QStringLiteral("Sampling: %1% of list.").arg(survey_.SamplingPercent()));
    // Reminders need the respondents' addresses, which only a survey that asks for them has.
    cbNotAnswered->setVisible(survey_.Only1Email());
    const bool mapi = AppSettings().ReadInteger(settings::Preferences, settings::EmailSystem, 0) != 0;
    gbSendEmail->setTitle(mapi ? QStringLiteral("Send Survey Notifications via MAPI")
                               : QStringLiteral("Send Survey Notifications via SMTP"));
}

void TORVPublishSurvey::btnSelectFileClick()
{
    const QString current = eHTMLFileName->text();
    const QString folder = current.isEmpty() ? context_.LastDirSavedTo : QFileInfo(current).absolutePath();
    const QString& ext = context_.HtmlExtension;
    const auto chosen = FileDialogs().SaveFile(QStringLiteral("Select an HTM file"),
        QStringLiteral("HTML Files (*%1);;All Files (*)").arg(ext), folder, QString());
    if (!chosen)
        return;
    const QString name = EnsureExtension(*chosen, ext);
    eHTMLFileName->setText(name);
    survey_.SetHTMLFileName(name);
}

void TORVPublishSurvey::btnGenerateHTMLPageClick()
{
    TWaitCursor wait;
    const QString name = eHTMLFileName->text();
    if (name.isEmpty()) {
        MessageBoxes().Tell(TMessageBoxes::Icon::Error, QStringLiteral("Publish Survey Error"),
            QStringLiteral("You must specify a file name for the web page"));
        eHTMLFileName->setFocus();
        return;
    }
    if (GeneratePage(survey_, name, context_.DataDirectory).Succeeded()) {
        QApplication::beep();
        survey_.AddHistory(survey_.HTMLStatus());
    } else {
        ShowError(QString::fromUtf8(kPageFailureMessage));
    }
    lblGenWebStatus->setText(survey_.HTMLStatus());
}

// ---- verify and register --------------------------------------------------------------------

QLabel* TORVPublishSurvey::ExchangeLabel() const
{
    return registering_ ? lblRegisterStatus : lblServerStatus;
}

void TORVPublishSurvey::ConnectHttpEvents()
{
    connect(httpVerify, &THttpClient::Connected, this,
        [this] { ExchangeLabel()->setText(QStringLiteral("Connected to server...")); });
    connect(httpVerify, &THttpClient::Status, this,
        [this](const QString& text) { ExchangeLabel()->setText(QStringLiteral("Status: ") + text); });
    connect(httpVerify, &THttpClient::ConnectionFailed, this, &TORVPublishSurvey::OnConnectionFailed);
    connect(httpVerify, &THttpClient::Failed, this, &TORVPublishSurvey::OnConnectionFailed);
    connect(httpVerify, &THttpClient::Succeeded, this, &TORVPublishSurvey::OnSucceeded);
}

void TORVPublishSurvey::RunExchange()
{
    QEventLoop loop;
    const auto conn
        = connect(httpVerify, &THttpClient::Failed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const auto conn2
        = connect(httpVerify, &THttpClient::ConnectionFailed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const auto conn3
        = connect(httpVerify, &THttpClient::Succeeded, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    if (httpVerify->Busy())
        loop.exec();
    disconnect(conn);
    disconnect(conn2);
    disconnect(conn3);
    busy_ = false;
}

void TORVPublishSurvey::OnConnectionFailed()
{
    ExchangeLabel()->setText(QStringLiteral("Connection to server failed..."));
    busy_ = false;
    MessageBoxes().Tell(TMessageBoxes::Icon::Error,
        registering_ ? QStringLiteral("Survey Registration Failed")
                     : QStringLiteral("Server Verification Failed"),
        QStringLiteral("The connection to %1 failed.").arg(ServerAddress()));
    registering_ = false;
}

void TORVPublishSurvey::OnSucceeded()
{
    const QString body = QString::fromUtf8(httpVerify->Body());
    if (registering_)
        RegisterSucceeded(body);
    else
        VerifySucceeded(body);
    busy_ = false;
}

void TORVPublishSurvey::VerifySucceeded(const QString& body)
{
    if (!IsVerifyReply(body)) {
        lblServerStatus->setText(QStringLiteral("Server did not pass verification."));
        MessageBoxes().Tell(TMessageBoxes::Icon::Error, QStringLiteral("Server Verification Failed"),
            QStringLiteral("The verification of %1 failed: An invalid verification code was passed.")
                .arg(ServerAddress()));
        return;
    }
    const TServerVersion version = ParseServerVersion(body);
    survey_.SetServerMajorVer(version.Major);
    survey_.SetServerMinorVer(version.Minor);
    QApplication::beep();
    const QString v = version.Major != 0 ? QStringLiteral("%1.%2").arg(version.Major).arg(version.Minor)
                                         : QStringLiteral("N/A");
    const QString status
        = QStringLiteral("Server version %1 verified at %2").arg(v, FormatDateAndTime(Now()));
    lblServerStatus->setText(status);
    survey_.SetServerStatus(status);
    survey_.AddHistory(QStringLiteral("Server verified."));
}

void TORVPublishSurvey::RegisterSucceeded(const QString& body)
{
    if (IsRegistrationComplete(body)) {
        QApplication::beep();
        const QDateTime now = Now();
        lblRegisterStatus->setText(QStringLiteral("Survey registered at ") + FormatDateAndTime(now));
        survey_.SetRegistered(now);
    } else {
        lblRegisterStatus->setText(QStringLiteral("Survey failed to register."));
        ShowError(QStringLiteral("The survey failed to register.  The following error was returned:\r\n\r\n")
            + StripTags(body));
        survey_.SetRegDate(ZeroDateTime());
    }
    registering_ = false;
}

void TORVPublishSurvey::btnVerifyServerClick()
{
    if (busy_)
        return;
    TWaitCursor wait;
    busy_ = true;
    registering_ = false;
    httpVerify->ApplyProxySettings(AppSettings());
    httpVerify->SetBodyFile({});
    httpVerify->SetHeaderFile({});
    httpVerify->Get(VerifyURL(survey_));
    RunExchange();
}

void TORVPublishSurvey::btnRegisterNowClick()
{
    if (busy_)
        return;
    TWaitCursor wait;
    busy_ = true;
    registering_ = true;
    httpVerify->ApplyProxySettings(AppSettings());
    httpVerify->SetBodyFile({});
    httpVerify->SetHeaderFile({});
    QByteArray fileBytes;
    ReadFileBytes(survey_.FileName(), fileBytes);
    const TRegisterRequest request = RegisterRequest(survey_, DecodeFileText(fileBytes));
    if (request.Post) {
        httpVerify->SetEncodePostedData(false);
        httpVerify->Post(request.URL, request.Body);
        httpVerify->SetEncodePostedData(true);
    } else {
        httpVerify->Get(request.URL);
    }
    RunExchange();
    registering_ = false;
}

// ---- mailing ---------------------------------------------------------------------------------

void TORVPublishSurvey::SetSendingControls(bool sending)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             btnGenerateHTMLPage, btnVerifyServer, btnSendMail, btnCancel, btnHelp, cbNotAnswered})
        w->setEnabled(!sending);
    btnStopSending->setVisible(sending);
    pbSendMail->setVisible(sending);
    if (sending) {
        pbSendMail->setRange(0, 1);
        pbSendMail->setValue(0);
        btnStopSending->setFocus();
    }
}

void TORVPublishSurvey::btnSendMailClick()
{
    if (thread_)
        return;
    TMailSettings mail = ReadMailSettings(AppSettings());
    if (mail.EmailSystem == 0 && !mail.UserID.isEmpty())
        mail.Password = ReadSecret(SmtpSecretKey(mail.Host, mail.Port, mail.UserID)).value_or(QString());
    TMailingJob job = MailingJobOf(survey_, mail);
    if (cbNotAnswered->isVisible() && cbNotAnswered->isChecked()) {
        QString error;
        job.NotAnsweredOnly = true;
        job.Answered = AnsweredAddressesOf(survey_, &error);
        if (!error.isEmpty()) {
            ShowError(QStringLiteral("The following internal error occurred: ") + error);
            return;
        }
    }
    SetSendingControls(true);
    observer_ = std::make_unique<TObserver>(this);
    sender_ = MakeMailSender(job.Mail);
    run_ = std::make_unique<TMailingRun>(std::move(job), *sender_, *observer_);
    thread_ = QThread::create([this] { outcome_ = run_->Run(); });
    connect(thread_, &QThread::finished, this, &TORVPublishSurvey::SendingEnded);
    thread_->start();
}

void TORVPublishSurvey::btnStopSendingClick()
{
    if (run_)
        run_->RequestStop();
}

void TORVPublishSurvey::SendingEnded()
{
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    QCoreApplication::sendPostedEvents(this); // the run's last progress reports first
    using TKind = TMailingOutcome::TKind;
    switch (outcome_.Kind) {
    case TKind::Completed: {
        survey_.AddHistory(QStringLiteral("%1 Notifications sent.").arg(outcome_.Target));
        const QString status = QStringLiteral("%1 Notifications sent on %2")
                                   .arg(outcome_.Target)
                                   .arg(FormatDateAndTime(Now()));
        lblEmailStatus->setText(status);
        survey_.SetEMailStatus(status);
        break;
    }
    case TKind::Stopped:
        survey_.AddHistory(outcome_.Message);
        lblEmailStatus->setText(outcome_.Message);
        survey_.SetEMailStatus(outcome_.Message);
        break;
    case TKind::NotStarted:
        ShowError(outcome_.Message);
        break;
    case TKind::Failed:
        ShowError(QStringLiteral("Error: ") + outcome_.Message);
        break;
    }
    run_.reset();
    sender_.reset();
    observer_.reset();
    SetSendingControls(false);
    Q_EMIT SendingFinished();
}

void TORVPublishSurvey::reject()
{
    if (thread_ || busy_)
        return; // Close is disabled while sending; Esc waits as well
    QDialog::reject();
}
