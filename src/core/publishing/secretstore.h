#pragma once

// The SMTP password in the desktop's secret store (the Secret Service or KWallet, through
// qtkeychain), never in the settings file. The calls wait for the store's answer while the event
// loop runs, so they need a QCoreApplication.

#include <QString>

#include <optional>

// The entry of one login: "smtp://user@host:port".
QString SmtpSecretKey(const QString& host, int port, const QString& user);

// The stored secret; nothing when there is none or the store cannot be reached (*error says why).
std::optional<QString> ReadSecret(const QString& key, QString* error = nullptr);
// Stores the secret (an empty one removes the entry). False with *error when the store refused.
bool WriteSecret(const QString& key, const QString& secret, QString* error = nullptr);
