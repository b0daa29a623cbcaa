#pragma once

// The mailing run behind "Send Now" and `orvalle-cli invite`: one invitation per address of the
// survey's e-mail list, to every address or to a random sample, optionally only to those who have
// not answered yet. The run reads nothing from the survey while it works (the job is a copy), so
// it may run on a worker thread; it reports through an observer and honours a stop request
// between draws and between messages (and cuts a transfer in progress short).

#include "core/publishing/mailsender.h"
#include "core/publishing/mailsettings.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <vector>

class TSurvey;

struct TMailingJob {
    QString SurveyName; // subject and <SurveyTitle>
    QString SurveyAuthor;
    QString NotifyMessage; // comma text, one item a line
    QString ListPath;
    bool AllAddresses = true;
    int SamplingPercent = 10;
    bool AttachSurvey = false;
    QString HtmlFile;
    // Reminder: only addresses not among Answered (lower-case, trimmed).
    bool NotAnsweredOnly = false;
    QSet<QString> Answered;
    TMailSettings Mail;
    quint32 Seed = 0; // the sample's random seed; 0 takes one from the clock
};

// The job of a survey's invitation mailing with these mail settings.
TMailingJob MailingJobOf(const TSurvey& survey, const TMailSettings& mail);

// What the run reports while it works (on the run's thread).
class TMailingObserver {
public:
    virtual ~TMailingObserver() = default;
    virtual void StatusText(const QString& text) = 0;
    virtual void ProgressRange(int maximum) = 0;
    virtual void ProgressValue(int value) = 0;
    // After each message handed over: the count so far and the address.
    virtual void MessageSent(int count, const QString& address) = 0;
};

struct TMailingOutcome {
    enum class TKind {
        Completed, // Message empty; Target messages sent
        Stopped, // Message: the stop text, for the status line and the history
        NotStarted, // Message: why nothing was sent, shown as it is
        Failed, // Message: the error that ended the run, shown after "Error: "
    };
    TKind Kind = TKind::Completed;
    int Target = 0;
    int Sent = 0;
    QString Message;
};

// One person to mail.
struct TMailRecipient {
    int Record = 0;
    QString FirstName; // trimmed
    QString LastName;
    QString Email;
};

class TMailingRun {
public:
    TMailingRun(TMailingJob job, TMailSender& sender, TMailingObserver& observer);
    ~TMailingRun();

    TMailingOutcome Run();
    // Checks, opens the list and chooses the recipients (the sample drawn), without sending.
    // NotStarted or Stopped when it cannot; else Completed with Target set.
    TMailingOutcome Plan(std::vector<TMailRecipient>& recipients);
    // The message one recipient gets, and the envelope recipient.
    QByteArray ComposeFor(const TMailRecipient& recipient) const;
    QString EnvelopeRecipient(const TMailRecipient& recipient) const;

    // Any thread.
    void RequestStop();
    bool StopRequested() const { return stop_; }

private:
    struct TListAccess;
    TMailingOutcome CheckFiles();
    QString ScanList(std::vector<char>& eligible, int& eligibleCount);
    TMailingOutcome ChooseRecipients(std::vector<int>& records);
    QString ReadRecipients(const std::vector<int>& records, std::vector<TMailRecipient>& recipients);
    TMailingOutcome Deliver(const std::vector<TMailRecipient>& recipients);
    void Pause();
    bool UsesSmtp() const { return job_.Mail.EmailSystem == 0; }

    TMailingJob job_;
    TMailSender& sender_;
    TMailingObserver& observer_;
    std::unique_ptr<TListAccess> list_;
    struct TAttachmentHolder;
    std::unique_ptr<TAttachmentHolder> attachment_;
    std::atomic<bool> stop_{false};
};

// The stop texts of a run.
QString StoppedText(int sent);

// The lower-cased, trimmed e-mail addresses of the responses in a response table (those who have
// answered). An empty path or a missing file gives none; a table that cannot be read sets *error.
QSet<QString> AnsweredAddresses(const QString& responseTablePath, QString* error = nullptr);
// The same for the survey's own response table (SRResponseFile, else where its table goes).
QSet<QString> AnsweredAddressesOf(const TSurvey& survey, QString* error = nullptr);
