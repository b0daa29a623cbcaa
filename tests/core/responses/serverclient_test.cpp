// The program's side of the server protocol against a real orvalle-server on loopback: verify,
// both register forms, the download to files, the checks of the replies, a server that is not
// there and one that never answers.

#include "core/responses/httpclient.h"
#include "core/responses/serverexchange.h"
#include "core/responses/serverprotocol.h"
#include "core/survey/survey.h"
#include "localserver.h"
#include "support/responsesurveys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "serverclient_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QString ReadAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

class ServerClientTest : public testing::Test {
protected:
    void SetUp() override
    {
        App();
        server = std::make_unique<LocalServer>(dir.path() + "/responses.sqlite");
        ASSERT_FALSE(server->Url().isEmpty());
        survey = MakeSurvey(dir.path());
        survey->SetProcessResponses(0);
        survey->SetServerURL(server->Url());
        survey->SetPassword(QStringLiteral("p&ss #1"));
        survey->SetResultURL(QStringLiteral("http://example.org/thanks.html"));
        survey->Save();
    }

    QString SurveyText() const { return ReadAll(survey->FileName()); }

    QTemporaryDir dir;
    std::unique_ptr<LocalServer> server;
    std::unique_ptr<TSurvey> survey;
    THttpClient client;
};

} // namespace

TEST_F(ServerClientTest, VerifyThenRegisterWithTheSurveyFile)
{
    EXPECT_EQ(RegisterRequest(*survey, {}).Post, false) << "a survey never verified registers with form 1";
    const auto verified = VerifyServer(*survey, client);
    ASSERT_TRUE(verified.Succeeded) << verified.Message.toStdString();
    EXPECT_EQ(survey->ServerMajorVer(), 2);
    EXPECT_EQ(survey->ServerMinorVer(), 1);
    EXPECT_TRUE(survey->PubHistory().contains(QStringLiteral("Server verified.")));

    ASSERT_TRUE(RegisterRequest(*survey, SurveyText()).Post);
    const auto registered = RegisterSurvey(*survey, client, SurveyText(), QDateTime::currentDateTime());
    ASSERT_TRUE(registered.Succeeded) << registered.Message.toStdString();
    EXPECT_TRUE(survey->RegDate().isValid());

    // Registering under another password is refused with the server's text, markup removed.
    survey->SetPassword(QStringLiteral("other"));
    const auto refused = RegisterSurvey(*survey, client, SurveyText(), QDateTime::currentDateTime());
    EXPECT_FALSE(refused.Succeeded);
    EXPECT_TRUE(refused.Message.contains(QStringLiteral("another ID"))) << refused.Message.toStdString();
    EXPECT_FALSE(refused.Message.contains(QLatin1Char('<')));
}

TEST_F(ServerClientTest, DownloadToFilesAndCheckTheResult)
{
    ASSERT_TRUE(RegisterSurvey(*survey, client, SurveyText(), QDateTime::currentDateTime()).Succeeded);
    EXPECT_TRUE(DownloadURL(*survey).endsWith(QStringLiteral("&LastUpdate=Never")));
    const QString body = dir.path() + "/r.dat", header = dir.path() + "/r.hdr";
    client.SetBodyFile(body);
    client.SetHeaderFile(header);
    QSignalSpy connected(&client, &THttpClient::Connected);
    client.Get(DownloadURL(*survey));
    QString failure;
    ASSERT_TRUE(WaitForExchange(client, failure)) << failure.toStdString();
    EXPECT_EQ(connected.count(), 1);
    EXPECT_TRUE(VerifyResultFile(body).Passed) << ReadAll(body).toStdString();
    EXPECT_TRUE(ReadAll(header).startsWith(QStringLiteral("HTTP/1.1 200")));

    survey->SetPassword(QStringLiteral("wrong"));
    client.Get(DownloadURL(*survey));
    ASSERT_TRUE(WaitForExchange(client, failure));
    const auto outcome = VerifyResultFile(body);
    EXPECT_FALSE(outcome.Passed);
    EXPECT_EQ(outcome.Reason, QStringLiteral("Error: The survey ID is not correct."));
}

TEST_F(ServerClientTest, NoServerAndSilentServer)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    QSignalSpy connectionFailed(&client, &THttpClient::ConnectionFailed);
    client.Get(QStringLiteral("http://127.0.0.1:%1/orv.dll/VerifyServer").arg(port));
    QString failure;
    EXPECT_FALSE(WaitForExchange(client, failure));
    EXPECT_EQ(connectionFailed.count(), 1);

    // Accepts the connection and never answers: the transfer time-out ends it as a failed Get.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    client.SetTimeout(300);
    QSignalSpy failed(&client, &THttpClient::Failed);
    client.Get(QStringLiteral("http://127.0.0.1:%1/orv.dll/GetResults").arg(silent.serverPort()));
    EXPECT_FALSE(WaitForExchange(client, failure));
    EXPECT_EQ(failure, QStringLiteral("Get Failed"));
    ASSERT_EQ(failed.count(), 1);
}

TEST_F(ServerClientTest, AStoppedTransferSaysNothingMore)
{
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    QSignalSpy any(&client, &THttpClient::Failed);
    client.Get(QStringLiteral("http://127.0.0.1:%1/x").arg(silent.serverPort()));
    QCoreApplication::processEvents();
    client.Abort();
    EXPECT_FALSE(client.Busy());
    QCoreApplication::processEvents();
    EXPECT_EQ(any.count(), 0);
}

TEST(ServerProtocol, VersionOfAVerifyReply)
{
    struct Case {
        const char* Body;
        int major, Minor;
    };
    for (const auto& c :
        std::initializer_list<Case>{{"Orvalle Response Server 2.1", 2, 1}, {"Orvalle 12.3 beta", 12, 3},
            {"Orvalle", 0, 0}, {"Orvalle x.y", 0, 0}, {".5 Orvalle", 0, 0}, {"Orvalle 3.", 0, 0}}) {
        const auto version = ParseServerVersion(QString::fromLatin1(c.Body));
        EXPECT_EQ(version.Major, c.major) << c.Body;
        EXPECT_EQ(version.Minor, c.Minor) << c.Body;
    }
}

TEST(ServerProtocol, ResultFileChecks)
{
    QTemporaryDir dir;
    struct Case {
        QByteArray Content;
        bool Passed;
        QString Reason;
    };
    const QString path = dir.path() + "/r.dat";
    for (const auto& c : std::initializer_list<Case>{{"<data>\r\n</data>\r\n", true, {}},
             {"<DATA>\n", true, {}}, {"<ERROR>\r\nNo such survey\r\n", false, "Error: No such survey"},
             {"<html>Not found</html>", false, kResultNotFormatted}, {"", false, kResultNotFormatted}}) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(c.Content);
        file.close();
        const auto outcome = VerifyResultFile(path);
        EXPECT_EQ(outcome.Passed, c.Passed) << c.Content.toStdString();
        if (!c.Passed) {
            EXPECT_EQ(outcome.Reason, c.Reason) << c.Content.toStdString();
        }
    }
    EXPECT_FALSE(VerifyResultFile(dir.path() + "/missing.dat").Passed);
}

TEST(ServerProtocol, SurveyFileEncodingKeepsOnlyLetters)
{
    EXPECT_EQ(EncodeSurveyFile(QStringLiteral("[Details]\r\nName=A b, \"c\"\r\n")),
        QByteArray("%5BDetails%5D%2C%22Name%3DA%20b%2C%20%22%22c%22%22%22"));
    EXPECT_EQ(OperationFailedName(THttpOperation::Get), QStringLiteral("Get Failed"));
    EXPECT_EQ(OperationFailedName(THttpOperation::Wrapped), QStringLiteral("Wrapped Failed"));
}
