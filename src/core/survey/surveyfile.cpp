// Save and Load of the survey file (TSurvey members kept apart from the model's operations).

#include "core/base/clock.h"
#include "core/base/commatext.h"
#include "core/base/textfile.h"
#include "core/survey/orvinifile.h"
#include "core/survey/survey.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kDetails = QStringLiteral("Details");
const QString kDefaults = QStringLiteral("Defaults");

QString QuestionSection(int number)
{
    return QStringLiteral("Question %1").arg(number);
}

// A question text is stored up to its first line break.
QString FirstLine(const QString& text)
{
    const qsizetype cr = text.indexOf(u'\r');
    const qsizetype lf = text.indexOf(u'\n');
    qsizetype cut = -1;
    if (cr >= 0 && lf >= 0)
        cut = std::min(cr, lf);
    else
        cut = std::max(cr, lf);
    return cut < 0 ? text : text.left(cut);
}

QString HistoryToCommaText(const QString& history)
{
    return JoinCommaText(SplitLines(history));
}

// The history is written as comma text whose items are all quoted in practice, so the value is
// read as it stands (the enclosing quotes belong to its first and last items).
QString HistoryFromCommaText(const QString& stored)
{
    QString history;
    for (const QString& line : SplitCommaText(stored.trimmed())) {
        history += line;
        history += QLatin1String("\r\n");
    }
    return history;
}

void WriteQuestion(TORVIniFile& ini, int number, const TQuestion& q)
{
    const QString s = QuestionSection(number);
    ini.WriteText(s, QStringLiteral("Text"), FirstLine(q.Text));
    ini.WriteInteger(s, QStringLiteral("Style"), q.Style);
    ini.WriteText(s, QStringLiteral("Options"), EncodeOptions(q.Options));
    ini.WriteInteger(s, QStringLiteral("LengthOfResponse"), q.LengthOfResponse);
    ini.WriteInteger(s, QStringLiteral("ID"), q.ID);
    ini.WriteBool(s, QStringLiteral("IncludeOther"), q.IncludeOther);
    ini.WriteInteger(s, QStringLiteral("OtherLength"), q.OtherLength);
    ini.WriteBool(s, QStringLiteral("IncludeComment"), q.IncludeComment);
    ini.WriteInteger(s, QStringLiteral("CommentLength"), q.CommentLength);
    ini.WriteInteger(s, QStringLiteral("MinValue"), q.MinValue);
    ini.WriteInteger(s, QStringLiteral("MaxValue"), q.MaxValue);
    ini.WriteInteger(s, QStringLiteral("StepValue"), q.StepValue);
    ini.WriteInteger(s, QStringLiteral("ChartType"), q.ChartType);
    ini.WriteBool(s, QStringLiteral("DisplayLegend"), q.DisplayLegend);
    ini.WriteInteger(s, QStringLiteral("LegendStyle"), q.LegendStyle);
    ini.WriteBool(s, QStringLiteral("DisplayMarks"), q.DisplayMarks);
    ini.WriteInteger(s, QStringLiteral("MarksStyle"), q.MarksStyle);
    ini.WriteInteger(s, QStringLiteral("Rotation"), q.Rotation);
    ini.WriteInteger(s, QStringLiteral("SkipGroupOfQuestion"), q.SkipGroupOfQuestion);
    ini.WriteInteger(s, QStringLiteral("SkipGroupOfResponse"), q.SkipGroupOfResponse);
}

// Reads question section `number`; nullopt when its ID is missing or unparsable.
std::optional<TQuestion> ReadQuestion(const TORVIniFile& ini, int number)
{
    const QString s = QuestionSection(number);
    TQuestion q;
    q.ID = ini.ReadInteger(s, QStringLiteral("ID"), -1);
    if (q.ID == -1)
        return std::nullopt;
    q.Text = ini.ReadString(s, QStringLiteral("Text"), QStringLiteral("N/A"));
    q.Style = ini.ReadInteger(s, QStringLiteral("Style"), 4);
    q.Options = DecodeOptions(ini.ReadString(s, QStringLiteral("Options"), QString()));
    q.LengthOfResponse = ini.ReadInteger(s, QStringLiteral("LengthOfResponse"), 0);
    q.IncludeOther = ini.ReadBool(s, QStringLiteral("IncludeOther"), false);
    q.OtherLength = ini.ReadInteger(s, QStringLiteral("OtherLength"), 40);
    q.IncludeComment = ini.ReadBool(s, QStringLiteral("IncludeComment"), false);
    q.CommentLength = ini.ReadInteger(s, QStringLiteral("CommentLength"), 40);
    q.MinValue = ini.ReadInteger(s, QStringLiteral("MinValue"), -1);
    q.MaxValue = ini.ReadInteger(s, QStringLiteral("MaxValue"), -1);
    q.StepValue = ini.ReadInteger(s, QStringLiteral("StepValue"), 1);
    q.ChartType = ini.ReadInteger(s, QStringLiteral("ChartType"), 1);
    q.DisplayLegend = ini.ReadBool(s, QStringLiteral("DisplayLegend"), true);
    q.LegendStyle = ini.ReadInteger(s, QStringLiteral("LegendStyle"), 1);
    q.DisplayMarks = ini.ReadBool(s, QStringLiteral("DisplayMarks"), true);
    q.MarksStyle = ini.ReadInteger(s, QStringLiteral("MarksStyle"), 0);
    q.Rotation = ini.ReadInteger(s, QStringLiteral("Rotation"), 0);
    q.SkipGroupOfQuestion = ini.ReadInteger(s, QStringLiteral("SkipGroupOfQuestion"), -1);
    q.SkipGroupOfResponse = ini.ReadInteger(s, QStringLiteral("SkipGroupOfResponse"), -1);
    return q;
}

} // namespace

void TSurvey::SaveAs(const QString& path)
{
    SetFileName(path);
    Save();
}

void TSurvey::Save()
{
    const QString path = fileName_;
    const QString failure = QStringLiteral("Unable to write to %1").arg(path);
    TORVIniFile ini;
    if (!ini.Load(path))
        throw ESurveyException(failure);

    ini.WriteText(kDetails, QStringLiteral("Name"), name_);
    ini.WriteText(kDetails, QStringLiteral("Author"), author_);
    ini.WriteText(kDetails, QStringLiteral("Password"), password_);
    ini.WriteText(kDetails, QStringLiteral("UniqueName"), uniqueName_);
    ini.WriteInteger(kDetails, QStringLiteral("QuestionCount"), QuestionCount());
    ini.WriteInteger(kDetails, QStringLiteral("LastID"), lastID_);
    ini.WriteText(kDetails, QStringLiteral("Instructions"), instructions_);
    ini.WriteText(kDetails, QStringLiteral("FinalComments"), finalComments_);
    ini.WriteInteger(kDetails, QStringLiteral("PublishMethod"), publishMethod_);
    ini.WriteText(kDetails, QStringLiteral("DisplayTemplate"), displayTemplate_);
    ini.WriteInteger(kDetails, QStringLiteral("ProcessResponses"), processResponses_);
    ini.WriteText(kDetails, QStringLiteral("AccountID"), accountID_);
    ini.WriteText(kDetails, QStringLiteral("ServerURL"), serverURL_);
    ini.WriteText(kDetails, QStringLiteral("ResultURL"), resultURL_);
    ini.WriteInteger(kDefaults, QStringLiteral("ServerMajorVer"), serverMajorVer_);
    ini.WriteInteger(kDefaults, QStringLiteral("ServerMinorVer"), serverMinorVer_);
    ini.WriteText(kDetails, QStringLiteral("EMailAddress"), eMailAddress_);
    ini.WriteText(kDetails, QStringLiteral("NotificationFile"), notificationFile_);
    ini.WriteText(kDetails, QStringLiteral("NotifyMessage"), notifyMessage_);
    ini.WriteBool(kDetails, QStringLiteral("AllAddresses"), allAddresses_);
    ini.WriteBool(kDetails, QStringLiteral("AttachSurvey"), attachSurvey_);
    ini.WriteInteger(kDetails, QStringLiteral("SamplingPercent"), samplingPercent_);
    ini.WriteBool(kDetails, QStringLiteral("IncomingDomain"), incomingDomain_);
    ini.WriteText(kDetails, QStringLiteral("Domain"), domain_);
    ini.WriteBool(kDetails, QStringLiteral("Only1Email"), only1Email_);
    ini.WriteBool(kDetails, QStringLiteral("Only1IP"), only1IP_);
    ini.WriteBool(kDetails, QStringLiteral("LimitByIP"), limitByIP_);
    ini.WriteText(kDetails, QStringLiteral("ServerStatus"), serverStatus_);
    ini.WriteDateTime(kDetails, QStringLiteral("LastUpdated"), lastUpdated_);
    ini.WriteDateTime(kDetails, QStringLiteral("HTMLLastUpdate"), htmlLastUpdate_);
    ini.WriteDateTime(kDetails, QStringLiteral("SRServerUpdate"), srServerUpdate_);
    ini.WriteDateTime(kDetails, QStringLiteral("RegDate"), regDate_);
    ini.WriteText(kDetails, QStringLiteral("EMailStatus"), eMailStatus_);
    ini.WriteText(kDetails, QStringLiteral("HTMLStatus"), htmlStatus_);
    ini.WriteText(kDetails, QStringLiteral("HTMLFileName"), htmlFileName_);
    ini.WriteText(kDetails, QStringLiteral("SRLastUpdate"), srLastUpdate_);
    ini.WriteInteger(kDetails, QStringLiteral("SRResponseCount"), srResponseCount_);
    ini.WriteText(kDetails, QStringLiteral("SRResponseFile"), srResponseFile_);
    ini.WriteText(kDetails, QStringLiteral("DataFileName"), dataFileName_);
    ini.WriteText(kDetails, QStringLiteral("IPAddresses"), ipAddresses_);
    ini.WriteString(kDetails, QStringLiteral("PubHistory"), HistoryToCommaText(pubHistory_));

    for (int i = 0; i < QuestionCount(); ++i)
        WriteQuestion(ini, i + 1, *items_[i]);

    if (!ini.Save(path))
        throw ESurveyException(failure);
    hasFile_ = true;
    lastUpdated_ = Now();
    modified_ = false;
    changes_.Notify(TSurveyChange::Properties | TSurveyChange::Modified);
}

void TSurvey::Load(const QString& path)
{
    // One announcement when the load ends, whether it succeeds or throws half-way.
    const TSurveyChangeBatch batch(changes_);
    changes_.Notify(TSurveyChange::Items | TSurveyChange::Properties | TSurveyChange::Modified
        | TSurveyChange::Responses);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        throw ESurveyException(QStringLiteral("Could not find file ") + path);
    TORVIniFile ini;
    QString reason;
    if (!ini.Load(path, &reason))
        throw ESurveyException(QStringLiteral("Could not read file %1: %2").arg(path, reason));

    const QDateTime loadTime = Now();
    fileName_ = path;
    name_ = ini.ReadString(kDetails, QStringLiteral("Name"), QStringLiteral("N/A"));
    author_ = ini.ReadString(kDetails, QStringLiteral("Author"), QStringLiteral("N/A"));
    password_ = ini.ReadString(kDetails, QStringLiteral("Password"), QString());
    uniqueName_ = ini.ReadString(
        kDetails, QStringLiteral("UniqueName"), u'S' + loadTime.toString(QStringLiteral("yyMMddHHmmss")));
    lastID_ = ini.ReadInteger(kDetails, QStringLiteral("LastID"), 0);
    instructions_ = ini.ReadString(kDetails, QStringLiteral("Instructions"), QString());
    finalComments_ = ini.ReadString(kDetails, QStringLiteral("FinalComments"), QString());
    publishMethod_ = ini.ReadInteger(kDetails, QStringLiteral("PublishMethod"), 0);
    displayTemplate_ = ini.ReadString(
        kDetails, QStringLiteral("DisplayTemplate"), QString::fromLatin1(kDefaultDisplayTemplate));
    processResponses_ = ini.ReadInteger(kDetails, QStringLiteral("ProcessResponses"), 0);
    accountID_ = ini.ReadString(kDetails, QStringLiteral("AccountID"), QString());
    serverURL_ = ini.ReadString(kDetails, QStringLiteral("ServerURL"), QString());
    resultURL_ = ini.ReadString(kDetails, QStringLiteral("ResultURL"), QString());
    serverMajorVer_ = ini.ReadInteger(kDefaults, QStringLiteral("ServerMajorVer"), 0);
    serverMinorVer_ = ini.ReadInteger(kDefaults, QStringLiteral("ServerMinorVer"), 0);
    eMailAddress_ = ini.ReadString(kDetails, QStringLiteral("EMailAddress"), QString());
    notificationFile_ = ini.ReadString(kDetails, QStringLiteral("NotificationFile"), QString());
    notifyMessage_ = ini.ReadString(kDetails, QStringLiteral("NotifyMessage"), QString());
    allAddresses_ = ini.ReadBool(kDetails, QStringLiteral("AllAddresses"), false);
    attachSurvey_ = ini.ReadBool(kDetails, QStringLiteral("AttachSurvey"), false);
    samplingPercent_ = ini.ReadInteger(kDetails, QStringLiteral("SamplingPercent"), 10);
    incomingDomain_ = ini.ReadBool(kDetails, QStringLiteral("IncomingDomain"), false);
    domain_ = ini.ReadString(kDetails, QStringLiteral("Domain"), QString());
    only1Email_ = ini.ReadBool(kDetails, QStringLiteral("Only1Email"), true);
    only1IP_ = ini.ReadBool(kDetails, QStringLiteral("Only1IP"), true);
    limitByIP_ = ini.ReadBool(kDetails, QStringLiteral("LimitByIP"), false);
    serverStatus_
        = ini.ReadString(kDetails, QStringLiteral("ServerStatus"), QString::fromLatin1(kServerNotVerified));

    // Dates are read in this order; the first that does not parse ends the reading, and it and
    // the ones after it take their "no date" values. Values read before it stay.
    struct TDateKey {
        const char* Key;
        QDateTime* Target;
        QDateTime OnFailure;
    };
    const TDateKey dates[] = {
        {"LastUpdated", &lastUpdated_, loadTime},
        {"HTMLLastUpdate", &htmlLastUpdate_, ZeroDateTime()},
        {"SRServerUpdate", &srServerUpdate_, NoDownloadDateTime()},
        {"RegDate", &regDate_, ZeroDateTime()},
    };
    bool failed = false;
    for (const TDateKey& d : dates) {
        const QString key = QString::fromLatin1(d.Key);
        std::optional<QDateTime> value;
        if (!failed)
            value = ini.KeyExists(kDetails, key) ? ini.ReadDateTime(kDetails, key)
                : d.Target == &lastUpdated_      ? std::optional<QDateTime>(loadTime)
                                                 : std::nullopt;
        failed = failed || !value;
        *d.Target = failed ? d.OnFailure : *value;
    }

    eMailStatus_
        = ini.ReadString(kDetails, QStringLiteral("EMailStatus"), QString::fromLatin1(kEMailNotSent));
    htmlStatus_
        = ini.ReadString(kDetails, QStringLiteral("HTMLStatus"), QString::fromLatin1(kHTMLNotGenerated));
    htmlFileName_ = ini.ReadString(kDetails, QStringLiteral("HTMLFileName"), QString());
    srLastUpdate_ = ini.ReadString(kDetails, QStringLiteral("SRLastUpdate"), QString::fromLatin1(kSRNever));
    srResponseCount_ = ini.ReadInteger(kDetails, QStringLiteral("SRResponseCount"), 0);
    srResponseFile_ = ini.ReadString(kDetails, QStringLiteral("SRResponseFile"), QString());
    dataFileName_ = ini.ReadString(kDetails, QStringLiteral("DataFileName"), QString());
    ipAddresses_ = ini.ReadString(kDetails, QStringLiteral("IPAddresses"), QString());
    pubHistory_
        = HistoryFromCommaText(ini.RawValue(kDetails, QStringLiteral("PubHistory")).value_or(QString()));

    const int count = ini.ReadInteger(kDetails, QStringLiteral("QuestionCount"), 0);
    for (int n = 1; n <= count; ++n) {
        auto q = ReadQuestion(ini, n);
        if (!q)
            throw ESurveyException(
                QStringLiteral("Error reading file %1. File incorrectly formatted.").arg(path));
        // A file whose LastID lags behind its items must not hand out an identifier twice.
        lastID_ = std::max(lastID_, q->ID);
        items_.push_back(std::make_unique<TQuestion>(std::move(*q)));
    }

    hasFile_ = true;
    lastUpdated_ = Now();
    modified_ = false;
}
