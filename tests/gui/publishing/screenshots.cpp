// Screenshots of the publish dialog in each state and of the list manager, for the README and
// for looking at layout and keyboard order. Written only when ORVALLE_SCREENSHOT_DIR names a
// folder; otherwise the test skips.

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/publishing/emaillist.h"
#include "core/publishing/mailsettings.h"
#include "core/survey/survey.h"
#include "gui/publishing/elist.h"
#include "gui/publishing/emaillistmodel.h"
#include "gui/publishing/publishsurvey.h"
#include "localsmtp.h"
#include "support/scriptedseams.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class PublishingScreenshots : public QObject {
    Q_OBJECT
private:
    QString out_;
    QTemporaryDir home_;
    std::unique_ptr<TScriptedSeams> seams_;

    void Save(QWidget* w, const QString& name)
    {
        QCoreApplication::processEvents();
        QVERIFY(w->grab().save(out_ + QLatin1Char('/') + name));
    }
    QString Path(const QString& name) const { return home_.filePath(name); }

    void MakeList(const QString& path, int count)
    {
        static const char* first[] = {"Ann", "Bruno", "Chiara", "Dmitri", "Elif", "Farah", "Goran", "Hana"};
        static const char* last[]
            = {"Lee", "Okafor", "Rossi", "Ivanova", "Yilmaz", "Haddad", "Novak", "Sato"};
        TEmailList list;
        QCOMPARE(list.Create(path), QString());
        std::vector<TEmailPerson> people;
        for (int i = 0; i < count; ++i) {
            const QString f = QString::fromLatin1(first[i % 8]), l = QString::fromLatin1(last[(i * 3) % 8]);
            people.push_back(
                {f, l, QStringLiteral("%1.%2%3@example.org").arg(f.toLower(), l.toLower()).arg(i)});
        }
        QCOMPARE(list.AddMany(people), QString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        out_ = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (out_.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR is not set");
        qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
        SetAppSettings(std::make_unique<TIniSettings>(DefaultSettingsFileName()));
        seams_ = std::make_unique<TScriptedSeams>();
    }

    void publishDialog()
    {
        TSurvey survey;
        survey.NewSurvey();
        survey.SetName(QStringLiteral("Harbour Street Café visitor survey"));
        survey.SetProcessResponses(0);
        survey.SetServerURL(QStringLiteral("http://127.0.0.1:8080/orv.dll"));
        survey.SaveAs(Path("cafe.orv"));
        TPublishContext context;
        context.DataDirectory = QStringLiteral(ORVALLE_SOURCE_DIR "/data/");
        {
            TORVPublishSurvey d(survey, context);
            d.show();
            Save(&d, QStringLiteral("publish-no-list.png"));
        }
        MakeList(Path("customers.eml"), 25);
        survey.SetNotificationFile(Path("customers.eml"));
        survey.SetAllAddresses(true);
        survey.SetOnly1Email(true);
        TORVPublishSurvey d(survey, context);
        d.show();
        Save(&d, QStringLiteral("publish-opening.png"));
        d.eHTMLFileName->setText(Path("cafe.htm"));
        d.btnGenerateHTMLPageClick();
        d.lblServerStatus->setText(QStringLiteral("Server version 2.1 verified at 12/08/26 09:14:03"));
        d.lblRegisterStatus->setText(QStringLiteral("Survey registered at 12/08/26 09:14:10"));

        TLocalSmtpServer smtp({"--no-store"});
        using namespace settings;
        AppSettings().WriteString(Preferences, SMTPServerAddress, "127.0.0.1");
        AppSettings().WriteInteger(Preferences, OutgoingPort, smtp.Port());
        AppSettings().WriteString(Preferences, ReplyAddress, "cafe@example.org");
        AppSettings().WriteInteger(Preferences, SendPause, 300);
        QSignalSpy finished(&d, &TORVPublishSurvey::SendingFinished);
        d.btnSendMailClick();
        QTRY_VERIFY_WITH_TIMEOUT(d.pbSendMail->value() >= 8, 30000);
        Save(&d, QStringLiteral("publish-sending.png"));
        d.btnStopSendingClick();
        QVERIFY(finished.wait(30000));
        Save(&d, QStringLiteral("publish-stopped.png"));
    }

    void listManager()
    {
        MakeList(Path("customers2.eml"), 40);
        auto* w = new TORVEList(Path("customers2.eml"), home_.path() + QLatin1Char('/'));
        w->resize(720, 420);
        w->show();
        w->SortByColumn(2);
        w->eFind->setText(QStringLiteral("elif"));
        w->FindText();
        Save(w, QStringLiteral("email-list-manager.png"));
        w->close();
    }
};

QTEST_MAIN(PublishingScreenshots)
#include "screenshots.moc"
