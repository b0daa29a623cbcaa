#pragma once

// Mail through the system's mail program: "sendmail -t -i" reads the recipients from the
// message's To: header. Available when the program exists; there is no session to open.

#include "core/publishing/mailsender.h"

#include <QProcess>

#include <atomic>

class TSendmailSender : public TMailSender {
public:
    explicit TSendmailSender(QString program);

    bool Available() const override;
    QString Connect() override { return {}; }
    QString Send(const QString& recipient, const QByteArray& message) override;
    void Disconnect() override { }
    void Abort() override { abort_ = true; }

private:
    QString program_;
    std::atomic<bool> abort_{false};
};
