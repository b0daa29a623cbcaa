// The publish dialog against a real orvalle-server (verify, register by GET and by POST) and a
// local SMTP server (Send Now on the worker thread, and Stop).

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/publishing/emaillist.h"
#include "core/publishing/mailsettings.h"
#include "core/survey/survey.h"
#include "gui/publishing/publishsurvey.h"
#include "localsmtp.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A real orvalle-server on a free loopback port; its request log tells GET from POST.
class TResponseServer {
public:
    explicit TResponseServer(const QString& database)
    {
        process_.setProgram(QStringLiteral(ORVALLE_SERVER_BINARY));
        process_.setArguments({"--port", "0", "--database", database});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        const QRegularExpression listening(QStringLiteral("listening on (http://\\S+)"));
        for (int i = 0; i < 100 && url_.isEmpty(); ++i) {
            process_.waitForReadyRead(100);
            log_ += process_.readAll();
            const auto match = listening.match(QString::fromUtf8(log_));
            if (match.hasMatch())
                url_ = match.captured(1);
        }
    }
    ~TResponseServer()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    const QString& Url() const { return url_; }
    QString Log()
    {
        process_.waitForReadyRead(200);
        log_ += process_.readAll();
        return QString::fromUtf8(log_);
    }

private:
    QProcess process_;
    QString url_;
    QByteArray log_;
};

} // namespace

class PublishSurveyTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TSurvey> survey_;

    QString Path(const QString& name) const { return home_->filePath(name); }

    TPublishContext Context() const
    {
        TPublishContext c;
        c.DataDirectory = QStringLiteral(ORVALLE_SOURCE_DIR "/data/");
        c.LastDirSavedTo = home_->path();
        return c;
    }

    void SaveSurvey(const QString& serverUrl)
    {
        survey_->SetProcessResponses(0);
        survey_->SetServerURL(serverUrl);
        survey_->SaveAs(Path("poll.orv"));
    }

    void MakeList(int people)
    {
        TEmailList list;
        QCOMPARE(list.Create(Path("list.eml")), QString());
        std::vector<TEmailPerson> all;
        for (int i = 1; i <= people; ++i)
            all.push_back({QStringLiteral("F%1").arg(i), "L", QStringLiteral("p%1@example.org").arg(i)});
        QCOMPARE(list.AddMany(all), QString());
        survey_->SetNotificationFile(Path("list.eml"));
        survey_->SetAllAddresses(true);
    }

    void UseSmtp(int port, int pauseMs = 0)
    {
        using namespace settings;
        AppSettings().WriteString(Preferences, SMTPServerAddress, "127.0.0.1");
        AppSettings().WriteInteger(Preferences, OutgoingPort, port);
        AppSettings().WriteString(Preferences, ReplyAddress, "team@example.org");
        AppSettings().WriteInteger(Preferences, SendPause, pauseMs);
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<TTestHome>();
        survey_ = std::make_unique<TSurvey>();
        survey_->NewSurvey();
        survey_->SetName("Poll");
        survey_->SetUniqueName("S260101120000");
        survey_->SetPassword("secret");
        survey_->AddQuestion({"Colour?", qsSingleSelect, "Red,Blue", 0, false, 40, false, 40, 0, 0, 0});
    }
    void cleanup()
    {
        survey_.reset();
        home_.reset();
    }

    void opensWithTheSurveysStatusesAndFitsItsHeight()
    {
        SaveSurvey("http://127.0.0.1:9/orv.dll");
        TORVPublishSurvey without(*survey_, Context());
        without.show();
        QVERIFY(!without.gbSendEmail->isVisible());
        QVERIFY(!without.lblStep[3]->isVisible());
        QCOMPARE(without.lblRegisterStatus->text(), QStringLiteral("Survey not registered"));
        QCOMPARE(without.lblServerStatus->text(), QStringLiteral("Server not verified"));
        QCOMPARE(
            without.lblServerAddress->text(), QStringLiteral("Server Address: http://127.0.0.1:9/orv.dll"));
        QCOMPARE(without.lblStep[0]->text(), QString(QChar(0x2460)));
        MakeList(1);
        survey_->SetAllAddresses(false);
        survey_->SetSamplingPercent(30);
        TORVPublishSurvey with(*survey_, Context());
        with.show();
        QVERIFY(with.gbSendEmail->isVisible());
        QCOMPARE(with.gbSendEmail->title(), QStringLiteral("Send Survey Notifications via SMTP"));
        QCOMPARE(with.lblSampling->text(), QStringLiteral("Sampling: 30% of list."));
        QVERIFY(!with.cbNotAnswered->isVisible()); // the survey does not ask for addresses
        QVERIFY(without.height() < with.height());
    }

    void selectFileCompletesTheExtensionAndGenerateNeedsAName()
    {
        SaveSurvey("http://127.0.0.1:9/orv.dll");
        TORVPublishSurvey d(*survey_, Context());
        home_->seams.files->Script(Path("page.HTML"));
        d.btnSelectFileClick();
        QCOMPARE(d.eHTMLFileName->text(), Path("page.HTML"));
        home_->seams.files->Script(Path("survey.txt"));
        d.btnSelectFileClick();
        QCOMPARE(survey_->HTMLFileName(), Path("survey.txt.htm"));
        d.eHTMLFileName->clear();
        d.btnGenerateHTMLPageClick();
        QCOMPARE(home_->seams.messages->Captions().value(0), QStringLiteral("Publish Survey Error"));
        d.eHTMLFileName->setText(Path("poll.htm"));
        d.btnGenerateHTMLPageClick();
        QVERIFY(QFile::exists(Path("poll.htm")));
        QVERIFY(d.lblGenWebStatus->text().startsWith("HTML file generated at "));
        QVERIFY(survey_->PubHistory().contains("HTML file generated at "));
    }

    void verifyThenRegisterByPostAndByGet()
    {
        TResponseServer server(Path("responses.sqlite"));
        QVERIFY(!server.Url().isEmpty());
        SaveSurvey(server.Url());
        TORVPublishSurvey d(*survey_, Context());
        // Never verified: form 1, a GET.
        d.btnRegisterNowClick();
        QVERIFY2(d.lblRegisterStatus->text().startsWith("Survey registered at "),
            qPrintable(d.lblRegisterStatus->text()));
        QVERIFY(server.Log().contains(" GET /orv.dll/RegisterSurvey"));
        d.btnVerifyServerClick();
        QVERIFY2(d.lblServerStatus->text().startsWith("Server version 2.1 verified at "),
            qPrintable(d.lblServerStatus->text()));
        QCOMPARE(survey_->ServerMajorVer(), 2);
        QVERIFY(survey_->PubHistory().contains("Server verified."));
        // Verified 2.1 on an orv.dll address: form 2, a POST with the survey file.
        d.btnRegisterNowClick();
        QVERIFY(d.lblRegisterStatus->text().startsWith("Survey registered at "));
        QVERIFY(server.Log().contains(" POST /orv.dll/RegSurvey"));
        QVERIFY(home_->seams.messages->shown.empty());
    }

    void refusedRegistrationThenVerifyReportsInSectionTwo()
    {
        TResponseServer server(Path("responses.sqlite"));
        SaveSurvey(server.Url());
        {
            TORVPublishSurvey first(*survey_, Context());
            first.btnRegisterNowClick();
        }
        survey_->SetPassword("another"); // the server knows the survey under its first ID
        TORVPublishSurvey d(*survey_, Context());
        d.btnRegisterNowClick();
        QCOMPARE(d.lblRegisterStatus->text(), QStringLiteral("Survey failed to register."));
        QVERIFY(home_->seams.messages->Texts().value(0).startsWith(
            "The survey failed to register.  The following error was returned:\r\n\r\n"));
        QVERIFY(!survey_->RegDate().isValid() || survey_->RegDate() == ZeroDateTime());
        d.btnVerifyServerClick();
        QVERIFY(d.lblServerStatus->text().startsWith("Server version 2.1 verified at "));
        QCOMPARE(d.lblRegisterStatus->text(), QStringLiteral("Survey failed to register."));
    }

    void unreachableServerIsReportedInItsSection()
    {
        SaveSurvey("http://127.0.0.1:9/orv.dll");
        TORVPublishSurvey d(*survey_, Context());
        d.btnVerifyServerClick();
        QCOMPARE(d.lblServerStatus->text(), QStringLiteral("Connection to server failed..."));
        QCOMPARE(home_->seams.messages->Captions().value(0), QStringLiteral("Server Verification Failed"));
        QCOMPARE(home_->seams.messages->Texts().value(0),
            QStringLiteral("The connection to http://127.0.0.1:9/orv.dll failed."));
    }

    void sendNowMailsOnAWorkerThreadAndStopEndsIt()
    {
        MakeList(40);
        TLocalSmtpServer smtp({"--no-store"});
        UseSmtp(smtp.Port());
        SaveSurvey("http://127.0.0.1:9/orv.dll");
        TORVPublishSurvey d(*survey_, Context());
        d.show();
        QSignalSpy finished(&d, &TORVPublishSurvey::SendingFinished);
        d.btnSendMailClick();
        QVERIFY(d.btnStopSending->isVisible());
        QVERIFY(!d.btnCancel->isEnabled());
        QVERIFY(!d.btnGenerateHTMLPage->isEnabled());
        QVERIFY(finished.wait(60000));
        QVERIFY2(d.lblEmailStatus->text().startsWith("40 Notifications sent on "),
            qPrintable(d.lblEmailStatus->text()));
        QVERIFY(survey_->PubHistory().contains("40 Notifications sent."));
        QVERIFY(d.btnCancel->isEnabled());
        QVERIFY(!d.btnStopSending->isVisible());
        QVERIFY(!d.pbSendMail->isVisible());

        UseSmtp(smtp.Port(), 200); // slow enough to stop in the middle
        d.btnSendMailClick();
        QTRY_VERIFY_WITH_TIMEOUT(d.pbSendMail->value() >= 2, 30000);
        d.btnStopSendingClick();
        QVERIFY(finished.wait(30000));
        QVERIFY2(d.lblEmailStatus->text().startsWith("Send notifications stopped by user - "),
            qPrintable(d.lblEmailStatus->text()));
        QVERIFY(home_->seams.messages->shown.empty());
    }

    void sendNowReportsAMissingList()
    {
        survey_->SetNotificationFile(Path("gone.eml"));
        SaveSurvey("http://127.0.0.1:9/orv.dll");
        TORVPublishSurvey d(*survey_, Context());
        QSignalSpy finished(&d, &TORVPublishSurvey::SendingFinished);
        d.btnSendMailClick();
        QVERIFY(finished.wait(30000));
        QCOMPARE(home_->seams.messages->Texts().value(0),
            "The Notification File " + Path("gone.eml")
                + " could not be found. Notifications were not sent.");
        QVERIFY(d.btnSendMail->isEnabled());
    }
};

QTEST_MAIN(PublishSurveyTest)
#include "publishsurvey_test.moc"
