#include "gui/publishing/mailsecuritybox.h"

#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/publishing/mailsettings.h"
#include "core/publishing/secretstore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

TMailSecurityBox::TMailSecurityBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Connection"), parent)
{
    cmbSecurity = new QComboBox(this);
    cmbSecurity->addItems(
        {QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS (SMTPS)")});
    ePassword = new QLineEdit(this);
    ePassword->setEchoMode(QLineEdit::Password);
    ePassword->setToolTip(QStringLiteral("Kept in the desktop's password store, not in the settings file"));
    sePause = new QSpinBox(this);
    sePause->setRange(0, 60000);
    sePause->setSingleStep(100);
    sePause->setSuffix(QStringLiteral(" ms"));
    lblPlainPassword = new QLabel(QStringLiteral("Without security it is sent unencrypted."), this);
    lblPlainPassword->hide();
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Se&curity:"), cmbSecurity);
    form->addRow(QStringLiteral("Pass&word:"), ePassword);
    form->addRow(QString(), lblPlainPassword);
    form->addRow(QStringLiteral("Pa&use between messages:"), sePause);
    connect(cmbSecurity, &QComboBox::currentIndexChanged, this, &TMailSecurityBox::ShowPlainPasswordWarning);
    connect(ePassword, &QLineEdit::textChanged, this, &TMailSecurityBox::ShowPlainPasswordWarning);
}

void TMailSecurityBox::ShowPlainPasswordWarning()
{
    const bool plain = cmbSecurity->currentIndex() == int(TSmtpSecurity::None);
    lblPlainPassword->setVisible(plain && !ePassword->text().isEmpty());
}

void TMailSecurityBox::Load(const TSettings& settings, const QString& host, int port, const QString& user)
{
    const TMailSettings mail = ReadMailSettings(settings);
    cmbSecurity->setCurrentIndex(int(mail.Security));
    sePause->setValue(mail.PauseMs);
    loadedPassword_
        = user.isEmpty() ? QString() : ReadSecret(SmtpSecretKey(host, port, user)).value_or(QString());
    ePassword->setText(loadedPassword_);
    loadedLogin_ = SmtpSecretKey(host, port, user);
}

bool TMailSecurityBox::Save(
    TSettings& settings, const QString& host, int port, const QString& user, QString* error)
{
    settings.WriteInteger(settings::Preferences, settings::SMTPSecurity, cmbSecurity->currentIndex());
    settings.WriteInteger(settings::Preferences, settings::SendPause, sePause->value());
    // An unchanged password for the same login is left alone, so that a desktop without a
    // password store does not complain each time the preferences are confirmed.
    const bool unchanged
        = ePassword->text() == loadedPassword_ && SmtpSecretKey(host, port, user) == loadedLogin_;
    if (user.isEmpty() || unchanged)
        return true;
    return WriteSecret(SmtpSecretKey(host, port, user), ePassword->text(), error);
}
