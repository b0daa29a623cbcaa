// The mailing run against a real SMTP server on loopback (smtpserver.py) and against a stand-in
// for the system mail program.

#include "core/publishing/emaillist.h"
#include "core/publishing/mailingrun.h"
#include "core/publishing/smtpsender.h"
#include "localsmtp.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRecordingObserver : TMailingObserver {
    void StatusText(const QString& text) override { statuses << text; }
    void ProgressRange(int maximum) override { Ranges.push_back(maximum); }
    void ProgressValue(int value) override { LastValue = value; }
    void MessageSent(int count, const QString& address) override
    {
        Sent << address;
        if (onSent)
            onSent(count);
    }
    QStringList statuses, Sent;
    std::vector<int> Ranges;
    int LastValue = -1;
    std::function<void(int)> onSent;
};

class MailingRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        job.SurveyName = QString::fromUtf8("Café survey");
        job.SurveyAuthor = "Dana";
        job.NotifyMessage
            = "\"Dear <FirstName> <FirstName> <LastName>:\",,\"Please take <SurveyTitle>.\",<SurveyAuthor>";
        job.ListPath = dir.filePath("list.eml");
        job.Mail.Host = "127.0.0.1";
        job.Mail.ReplyAddress = "team@example.org";
        job.Mail.DisplayName = QString::fromUtf8("Survey Tëam");
    }
    void MakeList(const std::vector<TEmailPerson>& people)
    {
        TEmailList list;
        ASSERT_EQ(list.Create(job.ListPath), QString());
        ASSERT_EQ(list.AddMany(people), QString());
    }
    static std::vector<TEmailPerson> People(int n)
    {
        std::vector<TEmailPerson> people;
        for (int i = 1; i <= n; ++i)
            people.push_back({QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i),
                QStringLiteral("p%1@example.org").arg(i)});
        return people;
    }
    TMailingOutcome RunWith(TLocalSmtpServer& server, TRecordingObserver& observer)
    {
        job.Mail.Port = server.Port();
        TSmtpSender sender(job.Mail);
        TMailingRun run(job, sender, observer);
        if (stopAfter > 0)
            observer.onSent = [&run, this](int count) {
                if (count == stopAfter)
                    run.RequestStop();
            };
        return run.Run();
    }

    QTemporaryDir dir;
    TMailingJob job;
    int stopAfter = 0;
};

using TKind = TMailingOutcome::TKind;

TEST_F(MailingRunTest, EveryAddressOverOneConnectionWithMergedBodyAndEncodedHeaders)
{
    MakeList({{"Ann", "Lee", "ann@example.org"},
        {QString::fromUtf8("Zoë"), QString::fromUtf8("Ång"), "zoe@example.org"},
        {"", "", "blank@example.org"}});
    TLocalSmtpServer server;
    ASSERT_GT(server.Port(), 0);
    TRecordingObserver observer;
    const TMailingOutcome out = RunWith(server, observer);
    ASSERT_EQ(out.Kind, TKind::Completed) << out.Message.toStdString();
    EXPECT_EQ(out.Target, 3);
    EXPECT_EQ(server.Connections(), 1);
    ASSERT_EQ(server.MessageFiles().size(), 3);
    const QJsonObject first = server.Message(1);
    EXPECT_EQ(first["rcpt_tos"].toArray().at(0).toString(), "ann@example.org");
    EXPECT_EQ(first["mail_from"].toString(), "team@example.org");
    EXPECT_EQ(first["subject"].toString(), QString::fromUtf8("Café survey"));
    EXPECT_EQ(first["x_mailer"].toString(), "Orvalle");
    EXPECT_EQ(first["body"].toString().replace("\r\n", "\n"),
        QString::fromUtf8("Dear Ann Ann Lee:\n\nPlease take Café survey.\nDana\n"));
    EXPECT_EQ(
        first["from_addresses"].toArray().at(0).toArray().at(0).toString(), QString::fromUtf8("Survey Tëam"));
    const QJsonObject second = server.Message(2);
    EXPECT_TRUE(second["body"].toString().startsWith(QString::fromUtf8("Dear Zoë Zoë Ång:")));
    EXPECT_EQ(observer.Sent, QStringList({"ann@example.org", "zoe@example.org", "blank@example.org"}));
    EXPECT_TRUE(observer.statuses.contains("zoe@example.org"));
}

TEST_F(MailingRunTest, EveryRecipientFormIsAValidAddressWithTheNamesKept)
{
    MakeList({{QString::fromUtf8("Zoë"), "Lee", "zoe@example.org"}});
    TLocalSmtpServer server;
    for (int format = 0; format <= 6; ++format) {
        job.Mail.SendFormat = format;
        TRecordingObserver observer;
        ASSERT_EQ(RunWith(server, observer).Kind, TKind::Completed) << format;
        const QJsonObject m = server.Message(format + 1);
        EXPECT_TRUE(m["to_defects"].toArray().isEmpty())
            << format << " " << m["to_raw"].toString().toStdString();
        const QJsonArray address = m["to_addresses"].toArray().at(0).toArray();
        EXPECT_EQ(address.at(1).toString(), "zoe@example.org") << format;
        EXPECT_EQ(m["rcpt_tos"].toArray().at(0).toString(), "zoe@example.org") << format;
        // The names stay: as the display name, or as a comment holding their encoded word.
        if (format == 0 || format == 2) {
            EXPECT_TRUE(server.Raw(format + 1).contains("(=?UTF-8?B?Wm/DqyBMZWU=?=)")) << format;
        } else if (format != 6) {
            EXPECT_EQ(address.at(0).toString(), QString::fromUtf8("Zoë Lee")) << format;
        }
    }
}

TEST_F(MailingRunTest, AttachmentArrivesByteForByte)
{
    MakeList(People(2));
    job.AttachSurvey = true;
    job.HtmlFile = dir.filePath(QString::fromUtf8("página.htm"));
    QByteArray page;
    for (int i = 0; i < 5000; ++i)
        page += char(i * 7);
    page += QString::fromUtf8("<p>é</p>\r\n.\r\n").toUtf8();
    QFile f(job.HtmlFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(page);
    f.close();
    TLocalSmtpServer server;
    TRecordingObserver observer;
    ASSERT_EQ(RunWith(server, observer).Kind, TKind::Completed);
    const QJsonArray attachments = server.Message(2)["attachments"].toArray();
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_EQ(attachments.at(0)["filename"].toString(), QString::fromUtf8("página.htm"));
    EXPECT_EQ(QByteArray::fromHex(attachments.at(0)["hex"].toString().toLatin1()), page);
}

TEST_F(MailingRunTest, RefusedRecipientEndsTheRunWithTheServersWords)
{
    MakeList({{"A", "A", "a@example.org"}, {"B", "B", "refuse-me@example.org"}, {"C", "C", "c@example.org"}});
    TLocalSmtpServer server({"--refuse", "refuse-me"});
    TRecordingObserver observer;
    const TMailingOutcome out = RunWith(server, observer);
    EXPECT_EQ(out.Kind, TKind::Failed);
    EXPECT_EQ(out.Sent, 1);
    EXPECT_TRUE(out.Message.contains("550")) << out.Message.toStdString();
    EXPECT_TRUE(out.Message.contains("Recipient address rejected: no such person here"))
        << out.Message.toStdString();
    EXPECT_EQ(server.MessageFiles().size(), 1);
}

TEST_F(MailingRunTest, StopAfterThreeMessages)
{
    MakeList(People(10));
    stopAfter = 3;
    TLocalSmtpServer server;
    TRecordingObserver observer;
    const TMailingOutcome out = RunWith(server, observer);
    EXPECT_EQ(out.Kind, TKind::Stopped);
    EXPECT_EQ(out.Message, "Send notifications stopped by user - 3 sent.");
    EXPECT_EQ(server.MessageFiles().size(), 3);
}

TEST_F(MailingRunTest, SampleIsSentInTextOrder)
{
    MakeList(People(12));
    job.AllAddresses = false;
    job.SamplingPercent = 100;
    TLocalSmtpServer server({"--no-store"});
    TRecordingObserver observer;
    const TMailingOutcome out = RunWith(server, observer);
    ASSERT_EQ(out.Kind, TKind::Completed);
    EXPECT_EQ(out.Target, 12);
    EXPECT_EQ(observer.Sent.mid(0, 5),
        QStringList(
            {"p1@example.org", "p10@example.org", "p11@example.org", "p12@example.org", "p2@example.org"}));
    EXPECT_TRUE(observer.statuses.contains("Selecting random addresses"));
    EXPECT_TRUE(observer.statuses.contains("Sending 12 messages."));
}

TEST_F(MailingRunTest, ReminderSkipsThoseWhoAnswered)
{
    MakeList(People(4));
    // A response table with two of them (one in other letters' case) and a stranger.
    const QString responses = dir.filePath("responses.dbf");
    {
        xbase::TTable t;
        ASSERT_TRUE(t.CreateTable(responses, {{"EMAIL", 'C', 250, 0}, {"ORV1", 'C', 10, 0}}).ok());
        for (const char* a : {"P2@Example.org ", "p4@example.org", "other@example.org"}) {
            ASSERT_TRUE(t.Append().ok());
            ASSERT_TRUE(t.AssignField("EMAIL", QString::fromLatin1(a)).ok());
        }
        ASSERT_TRUE(t.Commit().ok());
    }
    job.NotAnsweredOnly = true;
    job.Answered = AnsweredAddresses(responses);
    TLocalSmtpServer server({"--no-store"});
    TRecordingObserver observer;
    const TMailingOutcome out = RunWith(server, observer);
    ASSERT_EQ(out.Kind, TKind::Completed);
    EXPECT_EQ(out.Target, 2);
    EXPECT_EQ(observer.Sent, QStringList({"p1@example.org", "p3@example.org"}));
}

TEST_F(MailingRunTest, ChecksBeforeAnyConnection)
{
    TLocalSmtpServer server;
    TRecordingObserver observer;
    TMailingOutcome out = RunWith(server, observer);
    EXPECT_EQ(out.Kind, TKind::NotStarted);
    EXPECT_EQ(out.Message,
        "The Notification File " + job.ListPath + " could not be found. Notifications were not sent.");
    MakeList(People(1));
    job.AttachSurvey = true;
    job.HtmlFile = dir.filePath("nope.htm");
    out = RunWith(server, observer);
    EXPECT_EQ(out.Message,
        "The survey HTML file " + job.HtmlFile
            + " could not be found. Notifications were not sent.\r\nYou must first generate the Survey Web "
              "Page.");
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(MailingRunTest, EmptyListCompletesWithNone)
{
    MakeList({});
    TLocalSmtpServer server;
    for (bool all : {true, false}) {
        job.AllAddresses = all;
        TRecordingObserver observer;
        const TMailingOutcome out = RunWith(server, observer);
        EXPECT_EQ(out.Kind, TKind::Completed);
        EXPECT_EQ(out.Target, 0);
    }
}

TEST_F(MailingRunTest, UnreachableServerIsAnError)
{
    MakeList(People(1));
    job.Mail.Port = 1; // nothing listens there
    TSmtpSender sender(job.Mail);
    TRecordingObserver observer;
    TMailingRun run(job, sender, observer);
    const TMailingOutcome out = run.Run();
    EXPECT_EQ(out.Kind, TKind::Failed);
    EXPECT_TRUE(out.Message.contains("127.0.0.1:1")) << out.Message.toStdString();
}

class TlsTest : public MailingRunTest {
protected:
    void MakeCertificate()
    {
        cert = dir.filePath("cert.pem");
        key = dir.filePath("key.pem");
        QProcess openssl;
        openssl.start("openssl",
            {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "1",
                "-subj", "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        ASSERT_TRUE(openssl.waitForFinished(60000));
        ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    }
    QString cert, key;
};

TEST_F(TlsTest, StartTlsWithLoginAndImplicitTls)
{
    MakeCertificate();
    MakeList(People(2));
    job.Mail.CertificateFile = cert;
    {
        TLocalSmtpServer server({"--starttls", cert, key, "--user", "mailer", "--password", "s3cret"});
        job.Mail.Security = TSmtpSecurity::StartTls;
        job.Mail.UserID = "mailer";
        job.Mail.Password = "wrong";
        TRecordingObserver refused;
        EXPECT_EQ(RunWith(server, refused).Kind, TKind::Failed);
        job.Mail.Password = "s3cret";
        TRecordingObserver observer;
        const TMailingOutcome out = RunWith(server, observer);
        ASSERT_EQ(out.Kind, TKind::Completed) << out.Message.toStdString();
        EXPECT_EQ(server.MessageFiles().size(), 2);
    }
    {
        TLocalSmtpServer server({"--implicit-tls", cert, key});
        job.Mail.Security = TSmtpSecurity::ImplicitTls;
        job.Mail.UserID.clear();
        TRecordingObserver observer;
        const TMailingOutcome out = RunWith(server, observer);
        ASSERT_EQ(out.Kind, TKind::Completed) << out.Message.toStdString();
        EXPECT_EQ(server.MessageFiles().size(), 2);
    }
    {
        // Without trusting the throw-away certificate the run refuses to go on.
        TLocalSmtpServer server({"--starttls", cert, key});
        job.Mail.Security = TSmtpSecurity::StartTls;
        job.Mail.CertificateFile.clear();
        TRecordingObserver observer;
        EXPECT_EQ(RunWith(server, observer).Kind, TKind::Failed);
        EXPECT_EQ(server.MessageFiles().size(), 0);
    }
}

TEST_F(MailingRunTest, SystemMailProgram)
{
    MakeList({{"Ann", "Lee", "ann@example.org"}, {"Bo", "Wu", "bo@example.org"}});
    const QString out = dir.filePath("sent.txt");
    const QString program = dir.filePath("sendmail");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\necho \"$@\" >> '" + out + "'\ncat >> '" + out + "'\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    job.Mail.EmailSystem = 1;
    job.Mail.GatewayText = "smtp:";
    job.Mail.SendmailProgram = program;
    std::unique_ptr<TMailSender> sender = MakeMailSender(job.Mail);
    TRecordingObserver observer;
    TMailingOutcome result = TMailingRun(job, *sender, observer).Run();
    ASSERT_EQ(result.Kind, TKind::Completed) << result.Message.toStdString();
    QFile sent(out);
    ASSERT_TRUE(sent.open(QIODevice::ReadOnly));
    const QByteArray all = sent.readAll();
    EXPECT_EQ(all.count("-t -i\n"), 2);
    EXPECT_TRUE(all.contains("To: smtp:bo@example.org\r\n"));
    EXPECT_TRUE(observer.statuses.isEmpty()); // the system mail run shows no addresses

    job.Mail.SendmailProgram = dir.filePath("absent");
    sender = MakeMailSender(job.Mail);
    result = TMailingRun(job, *sender, observer).Run();
    EXPECT_EQ(result.Kind, TKind::NotStarted);
    EXPECT_EQ(result.Message,
        "MAPI Services could not be found. Please ensure that a MAPI compliant mail system is installed.");
}

} // namespace
