// orvalle-cli elist and invite: e-mail list import and export, and the invitation mailing of a
// survey (the same run as "Send Now" in the publish dialog).

#include "cli/commands.h"
#include "cli/interruptible.h"
#include "core/base/clock.h"
#include "core/base/inisettings.h"
#include "core/publishing/emaillist.h"
#include "core/publishing/emaillisttext.h"
#include "core/publishing/mailingrun.h"
#include "core/publishing/secretstore.h"
#include "core/survey/survey.h"

#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

namespace {

int Fail(const QString& message)
{
    QTextStream(stderr) << message << "\n";
    return 1;
}

// --csv / --text, else the file name's extension decides.
TListTextFormat TakeFormat(QStringList& args, const QString& file)
{
    if (args.removeAll(QStringLiteral("--text")) > 0)
        return TListTextFormat::Text;
    if (args.removeAll(QStringLiteral("--csv")) > 0)
        return TListTextFormat::Csv;
    return FormatForFileName(file);
}

int ElistUsage()
{
    QTextStream(stderr) << "usage: orvalle-cli elist import LIST.eml FILE.csv\n"
                           "       orvalle-cli elist export LIST.eml FILE [--csv|--text]\n";
    return 2;
}

int ImportOrExport(const QString& verb, const QString& listPath, const QString& file, TListTextFormat format)
{
    TEmailList list;
    QString error;
    if (verb == QLatin1String("import") && !QFileInfo::exists(listPath))
        error = list.Create(listPath);
    else
        error = list.Open(listPath);
    if (!error.isEmpty())
        return Fail(QStringLiteral("The following internal error occurred: ") + error);
    if (verb == QLatin1String("import")) {
        const int before = list.Table().RecordCount();
        error = ImportListText(list, file);
        if (error.isEmpty())
            QTextStream(stdout) << (list.Table().RecordCount() - before) << " addresses imported\n";
    } else {
        error = ExportListText(list, file, format);
        if (error.isEmpty())
            QTextStream(stdout) << list.Table().VisibleCount() << " addresses exported\n";
    }
    return error.isEmpty() ? 0 : Fail(error);
}

// Prints the run's progress: one line per message handed over.
class TPrintingObserver : public TMailingObserver {
public:
    void StatusText(const QString&) override { }
    void ProgressRange(int) override { }
    void ProgressValue(int) override { }
    void MessageSent(int count, const QString& address) override
    {
        QTextStream(stdout) << count << " " << address << "\n";
    }
};

QString SmtpPassword(const TMailSettings& mail)
{
    if (qEnvironmentVariableIsSet(kSmtpPasswordVariable))
        return qEnvironmentVariable(kSmtpPasswordVariable);
    if (mail.UserID.isEmpty())
        return {};
    return ReadSecret(SmtpSecretKey(mail.Host, mail.Port, mail.UserID)).value_or(QString());
}

int DryRun(TMailingRun& run)
{
    std::vector<TMailRecipient> recipients;
    const TMailingOutcome plan = run.Plan(recipients);
    if (plan.Kind != TMailingOutcome::TKind::Completed)
        return Fail(plan.Message);
    QTextStream out(stdout);
    for (const TMailRecipient& r : recipients)
        out << run.EnvelopeRecipient(r) << "\n";
    out << recipients.size() << " recipients\n";
    if (!recipients.empty())
        out << "\n" << QString::fromUtf8(run.ComposeFor(recipients.front())).remove(QLatin1Char('\r'));
    return 0;
}

// The history entry and status of the outcome, as the publish dialog records them.
int Record(TSurvey& survey, const TMailingOutcome& outcome)
{
    using TKind = TMailingOutcome::TKind;
    QString status;
    if (outcome.Kind == TKind::Completed) {
        survey.AddHistory(QStringLiteral("%1 Notifications sent.").arg(outcome.Target));
        status = QStringLiteral("%1 Notifications sent on %2")
                     .arg(outcome.Target)
                     .arg(QLocale::system().toString(Now(), QLocale::ShortFormat));
    } else if (outcome.Kind == TKind::Stopped) {
        survey.AddHistory(outcome.Message);
        status = outcome.Message;
    } else {
        return Fail(
            outcome.Kind == TKind::Failed ? QStringLiteral("Error: ") + outcome.Message : outcome.Message);
    }
    survey.SetEMailStatus(status);
    QTextStream(stdout) << status << "\n";
    try {
        survey.Save();
    } catch (const ESurveyException& e) {
        return Fail(e.Message());
    }
    return outcome.Kind == TKind::Completed ? 0 : 1;
}

} // namespace

int RunElistCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    if (args.size() < 3)
        return ElistUsage();
    const bool textAsked = args.contains(QStringLiteral("--text"));
    const TListTextFormat format = TakeFormat(args, args.value(2));
    if (args.size() != 3 || (args[0] != QLatin1String("import") && args[0] != QLatin1String("export")))
        return ElistUsage();
    // The padded text layout is written for people to read; lists are imported from CSV only.
    if (args[0] == QLatin1String("import") && textAsked)
        return Fail(QStringLiteral("Only comma-separated files can be imported into an e-mail list."));
    return ImportOrExport(args[0], args[1], args[2], format);
}

int RunInviteCommand(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const bool notAnswered = args.removeAll(QStringLiteral("--not-answered")) > 0;
    const bool dryRun = args.removeAll(QStringLiteral("--dry-run")) > 0;
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        QTextStream(stderr) << "usage: orvalle-cli invite SURVEY.orv [--not-answered] [--dry-run]\n";
        return 2;
    }
    TSurvey survey(&AppSettings());
    try {
        survey.NewSurvey();
        survey.Load(args[0]);
    } catch (const ESurveyException& e) {
        return Fail(e.Message());
    }
    TMailSettings mail = ReadMailSettings(AppSettings());
    TMailingJob job = MailingJobOf(survey, mail);
    if (notAnswered) {
        if (!survey.Only1Email())
            return Fail(QStringLiteral("The survey does not ask for the respondent's e-mail address, so "
                                       "those who answered cannot be told apart."));
        QString error;
        job.NotAnsweredOnly = true;
        job.Answered = AnsweredAddressesOf(survey, &error);
        if (!error.isEmpty())
            return Fail(QStringLiteral("The following internal error occurred: ") + error);
    }
    if (!dryRun)
        job.Mail.Password = SmtpPassword(mail);
    std::unique_ptr<TMailSender> sender = MakeMailSender(job.Mail);
    TPrintingObserver observer;
    TMailingRun run(job, *sender, observer);
    if (dryRun)
        return DryRun(run);
    int status = 1;
    RunInterruptible([&] { status = Record(survey, run.Run()); }, [&run] { run.RequestStop(); });
    return status;
}
