#include "core/publishing/mailingrun.h"

#include "core/base/textfile.h"
#include "core/publishing/emaillist.h"
#include "core/publishing/mailheaders.h"
#include "core/publishing/mailmessage.h"
#include "core/publishing/sampling.h"
#include "core/responses/responsefields.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QDateTime>
#include <QFileInfo>
#include <QThread>

#include <random>

using TKind = TMailingOutcome::TKind;

struct TMailingRun::TListAccess {
    xbase::TTable Table;
};

struct TMailingRun::TAttachmentHolder {
    TMailAttachment Attachment;
};

namespace {

TMailingOutcome Outcome(TKind kind, QString message, int target = 0, int sent = 0)
{
    TMailingOutcome o;
    o.Kind = kind;
    o.Message = std::move(message);
    o.Target = target;
    o.Sent = sent;
    return o;
}

QString Field(const xbase::TTable& table, const char* name)
{
    return table.FieldText(QString::fromLatin1(name)).trimmed();
}

} // namespace

QString StoppedText(int sent)
{
    return QStringLiteral("Send notifications stopped by user - %1 sent.")
        .arg(sent == 0 ? QStringLiteral("none") : QString::number(sent));
}

TMailingJob MailingJobOf(const TSurvey& survey, const TMailSettings& mail)
{
    TMailingJob job;
    job.SurveyName = survey.Name();
    job.SurveyAuthor = survey.Author();
    job.NotifyMessage = survey.NotifyMessage();
    job.ListPath = survey.NotificationFile();
    job.AllAddresses = survey.AllAddresses();
    job.SamplingPercent = survey.SamplingPercent();
    job.AttachSurvey = survey.AttachSurvey();
    job.HtmlFile = survey.HTMLFileName();
    job.Mail = mail;
    return job;
}

TMailingRun::TMailingRun(TMailingJob job, TMailSender& sender, TMailingObserver& observer)
    : job_(std::move(job))
    , sender_(sender)
    , observer_(observer)
{
}

TMailingRun::~TMailingRun() = default;

void TMailingRun::RequestStop()
{
    stop_ = true;
    sender_.Abort();
}

TMailingOutcome TMailingRun::CheckFiles()
{
    if (!UsesSmtp() && !sender_.Available())
        return Outcome(TKind::NotStarted,
            QStringLiteral("MAPI Services could not be found. Please ensure that a MAPI compliant mail "
                           "system is installed."));
    if (job_.ListPath.isEmpty() || !QFileInfo(job_.ListPath).isFile())
        return Outcome(TKind::NotStarted,
            QStringLiteral("The Notification File %1 could not be found. Notifications were not sent.")
                .arg(job_.ListPath));
    if (job_.AttachSurvey && (job_.HtmlFile.isEmpty() || !QFileInfo(job_.HtmlFile).isFile()))
        return Outcome(TKind::NotStarted,
            QStringLiteral("The survey HTML file %1 could not be found. Notifications were not sent.\r\n"
                           "You must first generate the Survey Web Page.")
                .arg(job_.HtmlFile));
    list_ = std::make_unique<TListAccess>();
    xbase::TStatus st = list_->Table.OpenReadOnly(job_.ListPath);
    if (!st.ok())
        return Outcome(
            TKind::NotStarted, QStringLiteral("The following internal error occurred: ") + st.Message());
    if (job_.AttachSurvey) {
        QByteArray bytes;
        QString error;
        if (!ReadFileBytes(job_.HtmlFile, bytes, &error))
            return Outcome(TKind::NotStarted, error);
        attachment_ = std::make_unique<TAttachmentHolder>();
        attachment_->Attachment = MakeAttachment(job_.HtmlFile, bytes);
    }
    return Outcome(TKind::Completed, {});
}

// Marks the records that may be mailed: live, and (for a reminder) not answered yet.
QString TMailingRun::ScanList(std::vector<char>& eligible, int& eligibleCount)
{
    xbase::TTable& t = list_->Table;
    eligible.assign(size_t(t.RecordCount()) + 1, 0);
    eligibleCount = 0;
    xbase::TStatus st = t.SetOrder(0);
    for (st = st.ok() ? t.First() : st; st.ok() && !t.Eof(); st = t.Skip()) {
        if (job_.NotAnsweredOnly && job_.Answered.contains(Field(t, emaillist::Email).toLower()))
            continue;
        eligible[size_t(t.RecNo())] = 1;
        ++eligibleCount;
    }
    return st.ok() ? QString() : st.Message();
}

TMailingOutcome TMailingRun::ChooseRecipients(std::vector<int>& records)
{
    std::vector<char> eligible;
    int eligibleCount = 0;
    const QString error = ScanList(eligible, eligibleCount);
    if (!error.isEmpty())
        return Outcome(TKind::Failed, error);
    if (job_.AllAddresses) {
        for (size_t r = 1; r < eligible.size(); ++r)
            if (eligible[r])
                records.push_back(int(r));
        return Outcome(TKind::Completed, {}, int(records.size()));
    }
    const int n = list_->Table.RecordCount();
    const int target = SampleTarget(n, ClampSamplingPercent(job_.SamplingPercent));
    observer_.ProgressRange(target);
    if (UsesSmtp())
        observer_.StatusText(QStringLiteral("Selecting random addresses"));
    std::mt19937 generator(job_.Seed ? job_.Seed : quint32(QDateTime::currentMSecsSinceEpoch()));
    TSampleSource source;
    source.RecordCount = n;
    source.LiveCount = eligibleCount;
    source.eligible = [&](int r) { return eligible[size_t(r)] != 0; };
    source.random
        = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(generator); };
    source.stopRequested = [this] { return stop_.load(); };
    source.drawn = [this](int counted) { observer_.ProgressValue(counted); };
    TSample sample;
    if (DrawSample(target, source, sample) == TDrawOutcome::Stopped)
        return Outcome(TKind::Stopped, StoppedText(0));
    for (const QString& r : sample) // in the order of the numbers as text
        records.push_back(r.toInt());
    return Outcome(TKind::Completed, {}, int(records.size()));
}

QString TMailingRun::ReadRecipients(const std::vector<int>& records, std::vector<TMailRecipient>& recipients)
{
    xbase::TTable& t = list_->Table;
    recipients.reserve(records.size());
    for (int r : records) {
        xbase::TStatus st = t.Go(r);
        if (!st.ok())
            return st.Message();
        recipients.push_back(
            {r, Field(t, emaillist::FirstName), Field(t, emaillist::LastName), Field(t, emaillist::Email)});
    }
    return {};
}

TMailingOutcome TMailingRun::Plan(std::vector<TMailRecipient>& recipients)
{
    TMailingOutcome checked = CheckFiles();
    if (checked.Kind != TKind::Completed)
        return checked;
    std::vector<int> records;
    TMailingOutcome chosen = ChooseRecipients(records);
    if (chosen.Kind != TKind::Completed)
        return chosen;
    const QString error = ReadRecipients(records, recipients);
    if (!error.isEmpty())
        return Outcome(TKind::Failed, error);
    return chosen;
}

QString TMailingRun::EnvelopeRecipient(const TMailRecipient& r) const
{
    return UsesSmtp() ? r.Email : job_.Mail.GatewayText + r.Email;
}

QByteArray TMailingRun::ComposeFor(const TMailRecipient& r) const
{
    TMailContent content;
    content.From = NameAddress(job_.Mail.DisplayName, job_.Mail.ReplyAddress);
    content.To = UsesSmtp() ? ToHeader(job_.Mail.SendFormat, r.FirstName, r.LastName, r.Email)
                            : NameAddress({}, job_.Mail.GatewayText + r.Email);
    content.Subject = job_.SurveyName;
    content.Body = MergeMessage(
        job_.NotifyMessage, {r.FirstName, r.LastName, r.Email, job_.SurveyName, job_.SurveyAuthor});
    content.Attachment = attachment_ ? &attachment_->Attachment : nullptr;
    return ComposeMessage(content);
}

void TMailingRun::Pause()
{
    for (int waited = 0; waited < job_.Mail.PauseMs && !stop_; waited += 20)
        QThread::msleep(std::min(20, job_.Mail.PauseMs - waited));
}

TMailingOutcome TMailingRun::Deliver(const std::vector<TMailRecipient>& recipients)
{
    const int target = int(recipients.size());
    observer_.ProgressRange(target);
    observer_.ProgressValue(0);
    if (!job_.AllAddresses)
        observer_.StatusText(QStringLiteral("Sending %1 messages.").arg(target));
    int sent = 0;
    for (const TMailRecipient& r : recipients) {
        if (sent > 0)
            Pause();
        if (stop_)
            return Outcome(TKind::Stopped, StoppedText(sent), target, sent);
        if (!IsUsableAddress(r.Email))
            return Outcome(TKind::Failed,
                QStringLiteral("Record %1 has no usable e-mail address (\"%2\").").arg(r.Record).arg(r.Email),
                target, sent);
        if (UsesSmtp())
            observer_.StatusText(r.Email);
        const QString error = sender_.Send(EnvelopeRecipient(r), ComposeFor(r));
        if (!error.isEmpty() && stop_)
            return Outcome(TKind::Stopped, StoppedText(sent), target, sent);
        if (!error.isEmpty())
            return Outcome(TKind::Failed, error, target, sent);
        ++sent;
        observer_.ProgressValue(sent);
        observer_.MessageSent(sent, r.Email);
        if (stop_)
            return Outcome(TKind::Stopped, StoppedText(sent), target, sent);
    }
    return Outcome(TKind::Completed, {}, target, sent);
}

TMailingOutcome TMailingRun::Run()
{
    std::vector<TMailRecipient> recipients;
    TMailingOutcome checked = CheckFiles();
    if (checked.Kind != TKind::Completed)
        return checked;
    if (!UsesSmtp())
        observer_.ProgressValue(0);
    const QString connectError = sender_.Connect();
    if (!connectError.isEmpty() && stop_)
        return Outcome(TKind::Stopped, StoppedText(0));
    if (!connectError.isEmpty())
        return Outcome(TKind::Failed, connectError);
    std::vector<int> records;
    TMailingOutcome outcome = ChooseRecipients(records);
    if (outcome.Kind == TKind::Completed) {
        const QString error = ReadRecipients(records, recipients);
        outcome = error.isEmpty() ? Deliver(recipients) : Outcome(TKind::Failed, error);
    }
    sender_.Disconnect();
    list_.reset();
    return outcome;
}

QSet<QString> AnsweredAddresses(const QString& responseTablePath, QString* error)
{
    QSet<QString> answered;
    if (responseTablePath.isEmpty() || !QFileInfo(responseTablePath).isFile())
        return answered;
    xbase::TTable table;
    xbase::TStatus st = table.OpenReadOnly(responseTablePath);
    if (st.ok() && table.FieldIndex(QStringLiteral("EMAIL")) < 0)
        return answered;
    for (st = st.ok() ? table.First() : st; st.ok() && !table.Eof(); st = table.Skip()) {
        const QString address = table.FieldText(QStringLiteral("EMAIL")).trimmed().toLower();
        if (!address.isEmpty())
            answered.insert(address);
    }
    if (!st.ok() && error)
        *error = st.Message();
    return answered;
}

QSet<QString> AnsweredAddressesOf(const TSurvey& survey, QString* error)
{
    const QString named = survey.SRResponseFile();
    return AnsweredAddresses(QFileInfo(named).isFile() ? named : ResponseTablePath(survey), error);
}
