#pragma once

// The mail settings of a mailing run, read from the settings store's "Preferences" section.
// Besides the keys the preferences dialog has always written, three serve today's mail servers:
// SMTPSecurity (0 none, 1 STARTTLS, 2 TLS from the start), SendPause (milliseconds between two
// messages, for providers that limit the rate) and SMTPCertificateFile (a CA bundle to trust in
// place of the system's, for servers with a certificate of their own). The password is never in
// the settings: it comes from the desktop's secret store (secretstore.h) or the environment.

#include <QLatin1String>
#include <QString>

class TSettings;

namespace settings {
inline constexpr QLatin1String SMTPSecurity{"SMTPSecurity"}; // 0, 1 STARTTLS, 2 implicit TLS
inline constexpr QLatin1String SendPause{"SendPause"}; // milliseconds, 0
inline constexpr QLatin1String SMTPCertificateFile{"SMTPCertificateFile"}; // empty: system CAs
} // namespace settings

enum class TSmtpSecurity { None = 0, StartTls = 1, ImplicitTls = 2 };

struct TMailSettings {
    int EmailSystem = 0; // 0 SMTP, else the system mail program
    QString Host;
    int Port = 25;
    QString UserID;
    QString Password;
    QString ReplyAddress;
    QString DisplayName;
    int SendFormat = 0;
    QString GatewayText;
    TSmtpSecurity Security = TSmtpSecurity::None;
    int PauseMs = 0;
    QString CertificateFile;
    QString SendmailProgram = QStringLiteral("/usr/sbin/sendmail");
};

// Everything but the password.
TMailSettings ReadMailSettings(const TSettings& settings);

// The environment variable the command-line tool takes the SMTP password from.
inline constexpr const char* kSmtpPasswordVariable = "ORVALLE_SMTP_PASSWORD";
