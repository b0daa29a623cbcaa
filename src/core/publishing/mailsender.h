#pragma once

// Where a mailing run hands its messages: an SMTP server (smtpsender.h) or the system's mail
// program (sendmailsender.h). One sender serves one run on one thread; only Abort() may be called
// from another thread.

#include <QByteArray>
#include <QString>

#include <memory>

struct TMailSettings;

class TMailSender {
public:
    virtual ~TMailSender() = default;
    // Whether the mail service exists at all (the system mail program is installed).
    virtual bool Available() const { return true; }
    // Opens the connection (or session) for the run. Empty on success, else the message.
    virtual QString Connect() = 0;
    // Sends one message to one envelope recipient. Empty on success, else the message, in the
    // server's own words where it gave some.
    virtual QString Send(const QString& recipient, const QByteArray& message) = 0;
    virtual void Disconnect() = 0;
    // Cuts a transfer in progress short (any thread).
    virtual void Abort() = 0;
};

// The SMTP sender for EmailSystem 0, else the system mail program.
std::unique_ptr<TMailSender> MakeMailSender(const TMailSettings& settings);
