#include "core/responses/httpclient.h"

#include "core/base/settings.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

#include <array>

QString OperationFailedName(THttpOperation operation)
{
    static const std::array<const char*, 13> names{"Get Failed", "Options Failed", "Head Failed",
        "Post Failed", "Put Failed", "Patch Failed", "Copy Failed", "Move Failed", "Delete Failed",
        "Link Failed", "UnLink Failed", "Trace Failed", "Wrapped Failed"};
    return QString::fromLatin1(names[static_cast<std::size_t>(operation)]);
}

namespace {

// Errors that mean no connection was made at all.
bool IsConnectionError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

QByteArray EncodePairs(const QByteArray& body)
{
    QList<QByteArray> pairs = body.split('&');
    for (auto& pair : pairs) {
        const qsizetype eq = pair.indexOf('=');
        pair = eq < 0 ? QUrl::toPercentEncoding(QString::fromUtf8(pair))
                      : QUrl::toPercentEncoding(QString::fromUtf8(pair.left(eq))) + '='
                + QUrl::toPercentEncoding(QString::fromUtf8(pair.mid(eq + 1)));
    }
    return pairs.join('&');
}

} // namespace

THttpClient::THttpClient(QObject* parent)
    : QObject(parent)
    , manager_(std::make_unique<QNetworkAccessManager>())
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, &THttpClient::OnTimeout);
}

THttpClient::~THttpClient()
{
    Abort();
}

void THttpClient::SetProxy(const QString& host, int port)
{
    proxy_ = host.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy)
                            : QNetworkProxy(QNetworkProxy::HttpProxy, host, static_cast<quint16>(port));
}

void THttpClient::ApplyProxySettings(const TSettings& settings)
{
    const QString section = QStringLiteral("Preferences");
    if (!settings.ReadBool(section, QStringLiteral("UseProxy"), false)) {
        SetProxy({}, 0);
        return;
    }
    SetProxy(settings.ReadString(section, QStringLiteral("ProxyAddress"), {}),
        settings.ReadInteger(section, QStringLiteral("ProxyPort"), 0));
}

void THttpClient::Get(const QString& url)
{
    Start(THttpOperation::Get, url, {});
}

void THttpClient::Post(const QString& url, const QByteArray& body)
{
    Start(THttpOperation::Post, url, encodePosted_ ? EncodePairs(body) : body);
}

void THttpClient::Start(THttpOperation operation, const QString& url, const QByteArray& body)
{
    Abort();
    operation_ = operation;
    body_.clear();
    errorText_.clear();
    statusCode_ = 0;
    connected_ = writeFailed_ = timedOut_ = false;
    if (!bodyPath_.isEmpty() && !OpenBodyFile()) {
        errorText_ = QStringLiteral("The file %1 cannot be written.").arg(bodyPath_);
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT Failed(operation_); }, Qt::QueuedConnection);
        return;
    }
    manager_->setProxy(proxy_);
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    Q_EMIT Status(QStringLiteral("Resolving ") + request.url().host());
    if (operation == THttpOperation::Post) {
        request.setHeader(
            QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        reply_ = manager_->post(request, body);
    } else {
        reply_ = manager_->get(request);
    }
    connect(reply_, &QNetworkReply::requestSent, this, [this] {
        connected_ = true;
        Q_EMIT Connected();
    });
    connect(reply_, &QNetworkReply::readyRead, this, &THttpClient::OnReadyRead);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this] { timeout_.start(timeoutMs_); });
    connect(reply_, &QNetworkReply::uploadProgress, this, [this] { timeout_.start(timeoutMs_); });
    connect(reply_, &QNetworkReply::finished, this, &THttpClient::OnFinished);
    timeout_.start(timeoutMs_);
}

bool THttpClient::OpenBodyFile()
{
    bodyFile_ = std::make_unique<QFile>(bodyPath_);
    return bodyFile_->open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void THttpClient::OnReadyRead()
{
    const QByteArray chunk = reply_->readAll();
    if (!bodyFile_) {
        body_ += chunk;
        return;
    }
    if (bodyFile_->write(chunk) != chunk.size() && !writeFailed_) {
        writeFailed_ = true;
        errorText_ = bodyFile_->errorString();
        reply_->abort();
    }
}

bool THttpClient::WriteHeaderFile()
{
    if (headerPath_.isEmpty())
        return true;
    QSaveFile file(headerPath_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray reason = reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    file.write("HTTP/1.1 " + QByteArray::number(statusCode_) + ' ' + reason + "\r\n");
    for (const auto& [name, value] : reply_->rawHeaderPairs())
        file.write(name + ": " + value + "\r\n");
    return file.commit();
}

void THttpClient::OnFinished()
{
    timeout_.stop();
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    if (reply->bytesAvailable() > 0)
        OnReadyRead();
    statusCode_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto error = reply->error();
    const bool fileOk = !bodyFile_ || bodyFile_->flush();
    if (bodyFile_)
        bodyFile_->close();
    const bool headerOk = error == QNetworkReply::NoError && WriteHeaderFile();
    if (errorText_.isEmpty() && error != QNetworkReply::NoError)
        errorText_ = timedOut_ ? QStringLiteral("The transfer timed out.") : reply->errorString();
    Finish();
    if (!connected_ && (IsConnectionError(error) || timedOut_))
        Q_EMIT ConnectionFailed();
    else if (error != QNetworkReply::NoError || writeFailed_ || !fileOk || !headerOk || statusCode_ >= 300)
        Q_EMIT Failed(operation_);
    else
        Q_EMIT Succeeded(operation_);
}

void THttpClient::OnTimeout()
{
    if (!reply_)
        return;
    timedOut_ = true;
    Q_EMIT Status(QStringLiteral("Timed out"));
    reply_->abort();
}

void THttpClient::Abort()
{
    timeout_.stop();
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply->disconnect(this);
    reply->abort();
    Finish();
}

void THttpClient::Finish()
{
    if (reply_)
        reply_->deleteLater();
    reply_.clear();
    bodyFile_.reset();
}
