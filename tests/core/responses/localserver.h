#pragma once

// A real orvalle-server on a free loopback port for the tests of the program's side of the
// protocol; stopped with SIGTERM at the end of the test.

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

// A real orvalle-server on a free loopback port, stopped at the end of the test.
class LocalServer {
public:
    explicit LocalServer(const QString& database)
    {
        process_.setProgram(QStringLiteral(ORVALLE_SERVER_BINARY));
        process_.setArguments({"--port", "0", "--database", database});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        const QRegularExpression listening(QStringLiteral("listening on (http://\\S+)"));
        QByteArray log;
        for (int i = 0; i < 100 && url_.isEmpty(); ++i) {
            process_.waitForReadyRead(100);
            log += process_.readAll();
            const auto match = listening.match(QString::fromUtf8(log));
            if (match.hasMatch())
                url_ = match.captured(1);
        }
    }
    ~LocalServer()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    const QString& Url() const { return url_; }

private:
    QProcess process_;
    QString url_;
};
