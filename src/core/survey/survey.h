#pragma once

#include "core/survey/question.h"
#include "core/survey/surveychanges.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

class TSettings;

// A survey file could not be read or written; the message is meant for the user.
class ESurveyException : public std::runtime_error {
public:
    explicit ESurveyException(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// Texts the model puts into a survey and that other parts compare against.
inline constexpr const char* kNeverPublished = "This survey has never been published";
inline constexpr const char* kServerNotVerified = "Server not verified";
inline constexpr const char* kEMailNotSent = "Not sent";
inline constexpr const char* kHTMLNotGenerated = "HTML file not generated";
inline constexpr const char* kUntitled = "(Untitled)";
inline constexpr const char* kDefaultDisplayTemplate = "default.ovg";
inline constexpr const char* kSRNever = "Never";

// The invitation message of a new survey, as comma text of its lines.
QString DefaultNotifyMessage();
// The address of the hosted response service, used as form action when ProcessResponses is 1.
QString DefaultFormAction();
// The date-time the program stores for "no date" (day zero of the stored date scale).
QDateTime ZeroDateTime();
// The date that stands for "no response download yet".
QDateTime NoDownloadDateTime();

// The open survey: its properties, publication state and ordered items. Every setter stamps
// LastUpdated with the clock's now and sets Modified, unless its comment says otherwise. Every
// change is announced to the listeners of Changes() (a file load or a new survey as one).
// Defaults of a new survey come from the settings section "Defaults" (null settings: all unset).
class TSurvey {
public:
    explicit TSurvey(TSettings* settings = nullptr);
    ~TSurvey();
    TSurvey(const TSurvey&) = delete;
    TSurvey& operator=(const TSurvey&) = delete;

    // Listeners are told what changed after each operation (once per batch).
    TSurveyNotifier& Changes() { return changes_; }

    // The settings the defaults are read from; not owned, may be null.
    void SetSettings(TSettings* settings) { settings_ = settings; }
    TSettings* Settings() const { return settings_; }

    // Empties the survey and gives it the defaults of a new one under the next "SurveyN.orv" name.
    void NewSurvey();

    // --- items ---
    // Appends an item with a new ID. Returns its index.
    int AddQuestion(const TQuestionContent& content);
    // Adds like AddQuestion and puts the item at position + 1 (position -1: first). Returns its index.
    int InsertQuestion(int position, const TQuestionContent& content);
    // Appends a header: style 7, no options, lengths 40, no extras, range 0.
    int AddHeader(const QString& text);
    void UpdateQuestion(int index, const TQuestionContent& content);
    void SetChartOptions(int index, int chartType, bool displayLegend, int legendStyle, bool displayMarks,
        int marksStyle, int rotation);
    // Other items' skip fields are left as they are.
    void DeleteQuestion(int index);
    // False, and nothing changes, when either index is out of range.
    bool MoveQuestion(int from, int to);
    // The item at index (0 <= index < QuestionCount()); the survey keeps ownership. Changing fields
    // through it does not mark the survey modified: call MarkModified.
    TQuestion& GetQuestion(int index);
    const TQuestion& GetQuestion(int index) const;
    int QuestionCount() const { return static_cast<int>(items_.size()); }
    // Removes every item (the clipboard survey before a copy); LastID stays.
    void ClearQuestions();
    // Appends an item as stored in a file or library, keeping its ID (LastID is raised to it when
    // behind, so identifiers stay unique). Does not mark the survey modified.
    void AppendStored(const TQuestion& item);

    // Derives NumberLabel of every item ("1", "1a", "1b", "2"; a header gets the number the next
    // question will get) and SkipDistance of every skip-group owner (members + 1, or -1 when the
    // group runs to the end of the survey). Items that own no group get SkipDistance -1.
    void Renumber();

    // --- survey file ---
    // Writes every property and item into FileName; updates an existing file in place.
    // Throws ESurveyException("Unable to write to <path>") and leaves Modified and HasFile alone.
    void Save();
    // Reads the file into this survey (call NewSurvey first): properties replaced, items appended.
    // Throws ESurveyException for a missing file or an item without a valid ID; in the second case
    // the properties and the items read before the faulty one stay.
    void Load(const QString& path);
    void SaveAs(const QString& path);

    // --- derived texts ---
    QString GetFormAction() const;
    QString GetSRLastUpdate() const;
    QString GetInstructions() const; // "&crlf;" turned back into CR
    QString GetFinalComments() const;
    void SetInstructions(const QString& text); // stored escaped: LF dropped, CR -> "&crlf;"
    void SetFinalComments(const QString& text);
    // Adds "<short date> <long time>: message" + CR LF to PubHistory (replacing the placeholder).
    void AddHistory(const QString& message);
    // Adds "Survey registered with server" to the history, then sets RegDate.
    void SetRegistered(const QDateTime& when);
    // Sets HTMLLastUpdate and Modified; LastUpdated stays.
    void SetHTMLLastUpdate(const QDateTime& when);

    // --- state ---
    bool Modified() const { return modified_; }
    void SetModified(bool modified); // no stamp
    // Stamps LastUpdated and sets Modified (after changing items through GetQuestion).
    void MarkModified();
    bool HasFile() const { return hasFile_; }
    int LastID() const { return lastID_; }
    int NewSurveyCounter() const { return counter_; }

    // --- properties (file keys) ---
    QString Name() const { return name_; }
    void SetName(const QString& v);
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& v);
    QString Author() const { return author_; }
    void SetAuthor(const QString& v);
    QString Password() const { return password_; }
    void SetPassword(const QString& v);
    QString UniqueName() const { return uniqueName_; }
    void SetUniqueName(const QString& v);
    int PublishMethod() const { return publishMethod_; }
    void SetPublishMethod(int v);
    QString DisplayTemplate() const { return displayTemplate_; }
    void SetDisplayTemplate(const QString& v);
    int ProcessResponses() const { return processResponses_; }
    void SetProcessResponses(int v);
    QString AccountID() const { return accountID_; }
    void SetAccountID(const QString& v);
    QString ServerURL() const { return serverURL_; }
    void SetServerURL(const QString& v);
    QString ResultURL() const { return resultURL_; }
    void SetResultURL(const QString& v);
    QString EMailAddress() const { return eMailAddress_; }
    void SetEMailAddress(const QString& v);
    QString NotificationFile() const { return notificationFile_; }
    void SetNotificationFile(const QString& v);
    QString NotifyMessage() const { return notifyMessage_; } // comma text of the message lines
    void SetNotifyMessage(const QString& v);
    bool AllAddresses() const { return allAddresses_; }
    void SetAllAddresses(bool v);
    bool AttachSurvey() const { return attachSurvey_; }
    void SetAttachSurvey(bool v);
    int SamplingPercent() const { return samplingPercent_; }
    void SetSamplingPercent(int v);
    bool IncomingDomain() const { return incomingDomain_; }
    void SetIncomingDomain(bool v);
    QString Domain() const { return domain_; }
    void SetDomain(const QString& v);
    bool Only1Email() const { return only1Email_; }
    void SetOnly1Email(bool v);
    bool Only1IP() const { return only1IP_; }
    void SetOnly1IP(bool v);
    bool LimitByIP() const { return limitByIP_; }
    void SetLimitByIP(bool v);
    QString IPAddresses() const { return ipAddresses_; } // comma text of address prefixes
    void SetIPAddresses(const QString& v);
    QString ServerStatus() const { return serverStatus_; }
    void SetServerStatus(const QString& v); // no stamp
    QDateTime LastUpdated() const { return lastUpdated_; }
    QString EMailStatus() const { return eMailStatus_; }
    void SetEMailStatus(const QString& v); // no stamp
    QString HTMLStatus() const { return htmlStatus_; }
    void SetHTMLStatus(const QString& v);
    QDateTime HTMLLastUpdate() const { return htmlLastUpdate_; }
    QDateTime RegDate() const { return regDate_; }
    void SetRegDate(const QDateTime& v);
    QString HTMLFileName() const { return htmlFileName_; }
    void SetHTMLFileName(const QString& v);
    int ServerMajorVer() const { return serverMajorVer_; }
    void SetServerMajorVer(int v) { serverMajorVer_ = v; } // no stamp
    int ServerMinorVer() const { return serverMinorVer_; }
    void SetServerMinorVer(int v) { serverMinorVer_ = v; } // no stamp
    QString SRLastUpdate() const { return srLastUpdate_; }
    void SetSRLastUpdate(const QString& v);
    QDateTime SRServerUpdate() const { return srServerUpdate_; }
    void SetSRServerUpdate(const QDateTime& v);
    int SRResponseCount() const { return srResponseCount_; }
    void SetSRResponseCount(int v);
    QString SRResponseFile() const { return srResponseFile_; }
    void SetSRResponseFile(const QString& v);
    QString DataFileName() const { return dataFileName_; }
    void SetDataFileName(const QString& v);
    QString PubHistory() const { return pubHistory_; } // one entry a line, CR LF after each
    void SetPubHistory(const QString& v);
    // The stored (escaped) forms, as written to the file.
    QString Instructions() const { return instructions_; }
    QString FinalComments() const { return finalComments_; }

private:
    friend class TSurveyFileAccess;

    void ApplyNewSurveyDefaults();
    void Stamp(TSurveyChanges changes = TSurveyChange::Properties);
    TQuestion& AppendNew();

    TSettings* settings_ = nullptr;
    TSurveyNotifier changes_;
    std::vector<std::unique_ptr<TQuestion>> items_;
    int lastID_ = 0;
    bool modified_ = false;
    bool hasFile_ = false;
    int counter_ = 1;

    QString name_;
    QString fileName_;
    QString author_;
    QString password_;
    QString uniqueName_;
    int publishMethod_ = 0;
    QString displayTemplate_;
    int processResponses_ = 0;
    QString accountID_;
    QString serverURL_;
    QString resultURL_;
    QString eMailAddress_;
    QString notificationFile_;
    QString notifyMessage_;
    bool allAddresses_ = false;
    bool attachSurvey_ = false;
    int samplingPercent_ = 10;
    bool incomingDomain_ = false;
    QString domain_;
    bool only1Email_ = false;
    bool only1IP_ = false;
    bool limitByIP_ = false;
    QString ipAddresses_;
    QString serverStatus_;
    QDateTime lastUpdated_;
    QString eMailStatus_;
    QString htmlStatus_;
    QDateTime htmlLastUpdate_;
    QDateTime regDate_;
    QString htmlFileName_;
    int serverMajorVer_ = 0;
    int serverMinorVer_ = 0;
    QString srLastUpdate_;
    QDateTime srServerUpdate_;
    int srResponseCount_ = 0;
    QString srResponseFile_;
    QString dataFileName_;
    QString pubHistory_;
    QString instructions_;
    QString finalComments_;
};
