#include "core/publishing/secretstore.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Orvalle");

// Runs the job to its end; true when it succeeded.
bool RunJob(QKeychain::Job& job, QString* error)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::NoError)
        return true;
    if (error)
        *error = job.errorString();
    return false;
}

} // namespace

QString SmtpSecretKey(const QString& host, int port, const QString& user)
{
    return QStringLiteral("smtp://%1@%2:%3").arg(user, host).arg(port);
}

std::optional<QString> ReadSecret(const QString& key, QString* error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    if (!RunJob(job, error))
        return std::nullopt;
    return job.textData();
}

bool WriteSecret(const QString& key, const QString& secret, QString* error)
{
    if (secret.isEmpty()) {
        QKeychain::DeletePasswordJob job(kService);
        job.setKey(key);
        QString ignored;
        RunJob(job, &ignored); // nothing stored is as good as removed
        return true;
    }
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(secret);
    return RunJob(job, error);
}
