#pragma once

// The e-mail settings today's mail servers need beyond server, port and user: the connection's
// security (none, STARTTLS, TLS from the start), the password (kept in the desktop's secret
// store, never in the settings file) and a pause between two messages for providers that limit
// the rate. A group box the preferences dialog places on its e-mail page; Load and Save work on
// the settings store and the secret store directly.

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TSettings;

class TMailSecurityBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TMailSecurityBox(QWidget* parent = nullptr);

    // Fills the controls; the password is read from the secret store for this server and user.
    void Load(const TSettings& settings, const QString& host, int port, const QString& user);
    // Writes SMTPSecurity and SendPause, and the password to the secret store (an empty one
    // removes it). False, with the store's reason in *error, when the password could not be kept.
    bool Save(
        TSettings& settings, const QString& host, int port, const QString& user, QString* error = nullptr);

    QComboBox* cmbSecurity = nullptr;
    QLineEdit* ePassword = nullptr;
    QSpinBox* sePause = nullptr;
    // Shown while a password is given and the connection has no security.
    QLabel* lblPlainPassword = nullptr;

private:
    void ShowPlainPasswordWarning();

    QString loadedPassword_;
    QString loadedLogin_;
};
