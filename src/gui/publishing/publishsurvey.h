#pragma once

// TORVPublishSurvey ("Publish Survey"): the four steps of publishing a saved survey, each with
// its button and status line: (1) generate the web page, (2) verify the response server, (3)
// register the survey with it, (4) mail the invitations. Verify and register wait for the
// server while the event loop runs; the mailing runs on a worker thread and the dialog only
// shows its progress.

#include "core/publishing/mailingrun.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class QToolButton;
class THttpClient;
class TSurvey;

// What the dialog needs from the main window.
struct TPublishContext {
    QString DataDirectory; // display templates
    QString LastDirSavedTo;
    QString HtmlExtension = QStringLiteral(".htm"); // ".htm" or ".html"
};

class TORVPublishSurvey : public QDialog {
    Q_OBJECT
public:
    TORVPublishSurvey(TSurvey& survey, TPublishContext context, QWidget* parent = nullptr);
    ~TORVPublishSurvey() override;

    // The commands (public for the tests).
    void btnSelectFileClick();
    void btnGenerateHTMLPageClick();
    void btnVerifyServerClick();
    void btnRegisterNowClick();
    void btnSendMailClick();
    void btnStopSendingClick();
    bool Sending() const { return thread_ != nullptr; }
    QString ServerAddress() const;

    QLabel* lblStep[4] = {nullptr, nullptr, nullptr, nullptr};
    QGroupBox* gbGenWebPage = nullptr;
    QLineEdit* eHTMLFileName = nullptr;
    QToolButton* btnSelectFile = nullptr;
    QPushButton* btnGenerateHTMLPage = nullptr;
    QLabel* lblGenWebStatus = nullptr;
    QGroupBox* gbVerifyServer = nullptr;
    QLabel* lblServerAddress = nullptr;
    QPushButton* btnVerifyServer = nullptr;
    QLabel* lblServerStatus = nullptr;
    QGroupBox* gbRegisterSurvey = nullptr;
    QPushButton* btnRegisterNow = nullptr;
    QLabel* lblRegisterStatus = nullptr;
    QGroupBox* gbSendEmail = nullptr;
    QLabel* lblNotificationFile = nullptr;
    QLabel* lblSampling = nullptr;
    QCheckBox* cbNotAnswered = nullptr;
    QPushButton* btnSendMail = nullptr;
    QPushButton* btnStopSending = nullptr;
    QProgressBar* pbSendMail = nullptr;
    QLabel* lblEmailStatus = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
    THttpClient* httpVerify = nullptr;

Q_SIGNALS:
    // The mailing run has ended and its outcome is recorded (tests wait for it).
    void SendingFinished();

protected:
    void reject() override;

private:
    class TObserver;
    QWidget* CreateGenerateSection();
    QWidget* CreateVerifySection();
    QWidget* CreateRegisterSection();
    QWidget* CreateSendSection();
    QWidget* Section(int step, QGroupBox* box);
    void FillFromSurvey();
    void ConnectHttpEvents();
    QLabel* ExchangeLabel() const;
    void RunExchange();
    void OnConnectionFailed();
    void OnSucceeded();
    void VerifySucceeded(const QString& body);
    void RegisterSucceeded(const QString& body);
    void SetSendingControls(bool sending);
    void SendingEnded();

    TSurvey& survey_;
    TPublishContext context_;
    QWidget* sendSection_ = nullptr;
    bool busy_ = false;
    bool registering_ = false;
    std::unique_ptr<TObserver> observer_;
    std::unique_ptr<TMailSender> sender_;
    std::unique_ptr<TMailingRun> run_;
    TMailingOutcome outcome_;
    QThread* thread_ = nullptr;
};
