#include "core/publishing/sendmailsender.h"

#include "core/publishing/mailsettings.h"
#include "core/publishing/smtpsender.h"

#include <QFileInfo>

TSendmailSender::TSendmailSender(QString program)
    : program_(std::move(program))
{
}

bool TSendmailSender::Available() const
{
    const QFileInfo info(program_);
    return info.isFile() && info.isExecutable();
}

QString TSendmailSender::Send(const QString&, const QByteArray& message)
{
    QProcess process;
    process.start(program_, {QStringLiteral("-t"), QStringLiteral("-i")});
    if (!process.waitForStarted(10000))
        return QStringLiteral("%1 could not be started: %2").arg(program_, process.errorString());
    process.write(message);
    process.closeWriteChannel();
    // Waits in slices so that a stop request ends a mail program that hangs.
    while (!process.waitForFinished(100)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (abort_) {
            process.kill();
            process.waitForFinished(1000);
            return QStringLiteral("Sending was stopped.");
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return QStringLiteral("%1 refused the message (exit status %2)%3")
            .arg(program_)
            .arg(process.exitCode())
            .arg(said.isEmpty() ? QString() : QStringLiteral(": ") + said);
    }
    return {};
}

std::unique_ptr<TMailSender> MakeMailSender(const TMailSettings& settings)
{
    if (settings.EmailSystem != 0)
        return std::make_unique<TSendmailSender>(settings.SendmailProgram);
    return std::make_unique<TSmtpSender>(settings);
}
