#include "core/publishing/smtpsender.h"

#include <cstring>
#include <curl/curl.h>

namespace {

size_t ReadCallback(char* buffer, size_t size, size_t count, void* user)
{
    return static_cast<TSmtpSender*>(user)->ReadBody(buffer, size * count);
}

int DebugCallback(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    if (type == CURLINFO_HEADER_IN)
        static_cast<TSmtpSender*>(user)->ServerLine(data, size);
    return 0;
}

size_t DiscardCallback(char*, size_t size, size_t count, void*)
{
    return size * count;
}

int ProgressCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<TSmtpSender*>(user)->ShouldAbort() ? 1 : 0;
}

struct TCurlGlobal {
    TCurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

std::string Url(const TMailSettings& s)
{
    const char* scheme = s.Security == TSmtpSecurity::ImplicitTls ? "smtps://" : "smtp://";
    QString host = s.Host;
    if (host.contains(u':') && !host.startsWith(u'['))
        host = u'[' + host + u']'; // an IPv6 address
    return scheme + host.toStdString() + ':' + std::to_string(s.Port);
}

class TRecipientList {
public:
    explicit TRecipientList(const QByteArray& address)
    {
        list_ = curl_slist_append(nullptr, ('<' + address + '>').constData());
    }
    ~TRecipientList() { curl_slist_free_all(list_); }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

} // namespace

TSmtpSender::TSmtpSender(const TMailSettings& settings)
    : settings_(settings)
    , url_(Url(settings))
{
    static TCurlGlobal global;
}

TSmtpSender::~TSmtpSender()
{
    Disconnect();
}

size_t TSmtpSender::ReadBody(char* buffer, size_t size)
{
    const size_t n = std::min(size, size_t(body_.size() - bodyPos_));
    std::memcpy(buffer, body_.constData() + bodyPos_, n);
    bodyPos_ += qsizetype(n);
    return n;
}

void TSmtpSender::ServerLine(const char* data, size_t size)
{
    partialReply_.append(data, qsizetype(size));
    if (!partialReply_.endsWith('\n'))
        return;
    const QByteArray line = partialReply_.trimmed();
    partialReply_.clear();
    // A reply of several lines ("250-...", then "250 ..."): the text of every line counts.
    if (line.size() > 3 && line.at(3) == '-') {
        lastReply_ = lastReply_.startsWith(line.left(3) + '-') ? lastReply_ + ' ' + line.mid(4) : line;
        return;
    }
    if (lastReply_.size() > 3 && lastReply_.at(3) == '-' && lastReply_.startsWith(line.left(3)))
        lastReply_ = line.left(4) + lastReply_.mid(4) + ' ' + line.mid(4);
    else
        lastReply_ = line;
    // The refusal is kept: the library may say more (a reply to QUIT) before it reports.
    if (refusal_.isEmpty() && (lastReply_.startsWith('4') || lastReply_.startsWith('5')))
        refusal_ = lastReply_;
}

void TSmtpSender::SetCommonOptions()
{
    CURL* c = static_cast<CURL*>(curl_);
    curl_easy_setopt(c, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L); // the debug callback sees the server's replies
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, DebugCallback);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, DiscardCallback);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 120L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 120L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    if (settings_.Security == TSmtpSecurity::StartTls)
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!settings_.CertificateFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, settings_.CertificateFile.toLocal8Bit().constData());
    if (!settings_.UserID.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, settings_.UserID.toUtf8().constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, settings_.Password.toUtf8().constData());
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, ('<' + settings_.ReplyAddress.toUtf8() + '>').constData());
}

QString TSmtpSender::ErrorText(int code) const
{
    if (!refusal_.isEmpty() && code != CURLE_OK)
        return QString::fromUtf8(refusal_);
    QString text = QString::fromUtf8(errorBuffer_);
    if (text.isEmpty())
        text = QString::fromUtf8(curl_easy_strerror(CURLcode(code)));
    return QStringLiteral("%1 (%2:%3)").arg(text, settings_.Host).arg(settings_.Port);
}

QString TSmtpSender::Connect()
{
    if (settings_.Host.isEmpty())
        return QStringLiteral("No SMTP server is set in the preferences.");
    if (settings_.ReplyAddress.isEmpty())
        return QStringLiteral("No reply address is set in the preferences.");
    Disconnect();
    curl_ = curl_easy_init();
    if (!curl_)
        return QStringLiteral("The mail library could not be started.");
    SetCommonOptions();
    // A NOOP opens the connection (greeting, EHLO, STARTTLS, login) before the first message,
    // so that a wrong server or password is reported before anything is drawn or sent.
    CURL* c = static_cast<CURL*>(curl_);
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "NOOP");
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    lastReply_.clear();
    refusal_.clear();
    errorBuffer_[0] = 0;
    const CURLcode rc = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(c, CURLOPT_NOBODY, 0L);
    return rc == CURLE_OK ? QString() : ErrorText(rc);
}

QString TSmtpSender::Send(const QString& recipient, const QByteArray& message)
{
    if (!curl_)
        return QStringLiteral("Not connected to the SMTP server.");
    CURL* c = static_cast<CURL*>(curl_);
    TRecipientList rcpt(recipient.trimmed().toUtf8());
    body_ = message;
    bodyPos_ = 0;
    lastReply_.clear();
    refusal_.clear();
    errorBuffer_[0] = 0;
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadCallback);
    curl_easy_setopt(c, CURLOPT_READDATA, this);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    const CURLcode rc = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    body_.clear();
    return rc == CURLE_OK ? QString() : ErrorText(rc);
}

void TSmtpSender::Disconnect()
{
    if (curl_)
        curl_easy_cleanup(static_cast<CURL*>(curl_)); // says QUIT on the open connection
    curl_ = nullptr;
}
