#pragma once

// Mail over SMTP through libcurl: one connection for the whole run (the easy handle keeps it
// open between messages), STARTTLS or TLS from the start, login when a user is set.

#include "core/publishing/mailsender.h"
#include "core/publishing/mailsettings.h"

#include <atomic>
#include <string>

class TSmtpSender : public TMailSender {
public:
    explicit TSmtpSender(const TMailSettings& settings);
    ~TSmtpSender() override;

    QString Connect() override;
    QString Send(const QString& recipient, const QByteArray& message) override;
    void Disconnect() override;
    void Abort() override { abort_ = true; }

    // Set by Abort(); the transfer it cut short failed for that reason.
    bool Aborted() const { return abort_; }

    // libcurl callbacks (public for the C trampolines).
    size_t ReadBody(char* buffer, size_t size);
    void ServerLine(const char* data, size_t size);
    bool ShouldAbort() const { return abort_; }

private:
    void SetCommonOptions();
    QString ErrorText(int code) const;

    TMailSettings settings_;
    void* curl_ = nullptr;
    std::string url_;
    QByteArray body_;
    qsizetype bodyPos_ = 0;
    QByteArray lastReply_; // the server's last complete reply
    QByteArray partialReply_;
    QByteArray refusal_; // the first reply of the transfer that refused something
    char errorBuffer_[256] = {};
    std::atomic<bool> abort_{false};
};
