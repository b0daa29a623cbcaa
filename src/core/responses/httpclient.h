#pragma once

// The asynchronous HTTP client of the server exchanges, over QNetworkAccessManager. It reports
// through signals on the event loop: Connected, ConnectionFailed, Status (text for a status
// line), Succeeded and Failed (naming the operation). A reply is kept in memory or written to a
// named file, with its header to another; a transfer that makes no progress for the time-out
// fails. One request runs at a time.

#include <QByteArray>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QFile;
class TSettings;
class QNetworkAccessManager;
class QNetworkReply;

enum class THttpOperation {
    Get,
    Options,
    Head,
    Post,
    Put,
    Patch,
    Copy,
    Move,
    Delete,
    Link,
    UnLink,
    Trace,
    Wrapped
};

// "Get Failed", "Post Failed", ...
QString OperationFailedName(THttpOperation operation);

class THttpClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 60000;

    explicit THttpClient(QObject* parent = nullptr);
    ~THttpClient() override;

    // An empty host means a direct connection.
    void SetProxy(const QString& host, int port);
    // Reads UseProxy, ProxyAddress and ProxyPort of the Preferences settings.
    void ApplyProxySettings(const TSettings& settings);
    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    // Empty paths keep the body in memory (Body()) and drop the header.
    void SetBodyFile(const QString& path) { bodyPath_ = path; }
    void SetHeaderFile(const QString& path) { headerPath_ = path; }
    // When set, a posted body of Name=Value pairs has each name and value percent-encoded.
    void SetEncodePostedData(bool on) { encodePosted_ = on; }

    void Get(const QString& url);
    void Post(const QString& url, const QByteArray& body);
    // Ends the transfer without any further signal.
    void Abort();
    bool Busy() const { return !reply_.isNull(); }

    const QByteArray& Body() const { return body_; }
    int StatusCode() const { return statusCode_; }
    QString ErrorText() const { return errorText_; }

Q_SIGNALS:
    void Connected();
    void ConnectionFailed();
    void Status(const QString& text);
    void Succeeded(THttpOperation operation);
    void Failed(THttpOperation operation);

private:
    void Start(THttpOperation operation, const QString& url, const QByteArray& body);
    void OnReadyRead();
    void OnFinished();
    void OnTimeout();
    bool OpenBodyFile();
    bool WriteHeaderFile();
    void Finish();

    std::unique_ptr<QNetworkAccessManager> manager_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QFile> bodyFile_;
    QTimer timeout_;
    QNetworkProxy proxy_{QNetworkProxy::NoProxy};
    THttpOperation operation_ = THttpOperation::Get;
    QString bodyPath_, headerPath_;
    QByteArray body_;
    QString errorText_;
    int statusCode_ = 0;
    int timeoutMs_ = kDefaultTimeoutMs;
    bool encodePosted_ = true;
    bool connected_ = false;
    bool writeFailed_ = false;
    bool timedOut_ = false;
};
