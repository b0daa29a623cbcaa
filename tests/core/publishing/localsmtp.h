#pragma once

// A throw-away SMTP server on loopback (smtpserver.py on Debian's aiosmtpd), started by the test
// and stopped when the object goes. Messages it received are read back as parsed JSON.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class TLocalSmtpServer {
public:
    explicit TLocalSmtpServer(const QStringList& extraArgs = {})
    {
        const QString script = QStringLiteral(ORVALLE_SOURCE_DIR "/tests/core/publishing/smtpserver.py");
        process_.start(QStringLiteral("/usr/bin/python3"),
            QStringList{script, QStringLiteral("--dir"), dir_.path()} + extraArgs);
        if (!process_.waitForStarted(10000))
            return;
        while (process_.waitForReadyRead(20000)) {
            const QByteArray line = process_.readLine().trimmed();
            if (line.startsWith("READY ")) {
                port_ = line.mid(6).toInt();
                return;
            }
        }
    }
    ~TLocalSmtpServer()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    int Port() const { return port_; }
    QString Folder() const { return dir_.path(); }

    int Connections() const
    {
        QFile f(dir_.filePath(QStringLiteral("connections")));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    }
    QStringList MessageFiles(const QString& suffix = QStringLiteral("*.json")) const
    {
        return QDir(dir_.path()).entryList({suffix}, QDir::Files, QDir::Name);
    }
    QJsonObject Message(int n) const // 1-based
    {
        QFile f(dir_.filePath(QStringLiteral("%1.json").arg(n, 6, 10, QLatin1Char('0'))));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    QByteArray Raw(int n) const
    {
        QFile f(dir_.filePath(QStringLiteral("%1.eml").arg(n, 6, 10, QLatin1Char('0'))));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};
