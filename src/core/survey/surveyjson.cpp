#include "core/survey/surveyjson.h"

#include "core/base/commatext.h"
#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/survey/orvinifile.h"
#include "core/survey/survey.h"

#include <QJsonArray>

namespace {

const QString kIsoFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString IsoText(const QDateTime& value)
{
    return value.toString(kIsoFormat);
}

// Line breaks of the escaped texts become "\n" in JSON; any line break reads back as one.
QString EscapedToJson(const QString& stored)
{
    return QString(stored).replace(QLatin1String("&crlf;"), QLatin1String("\n"));
}

QString JsonToEscaped(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("&crlf;"));
    text.replace(u'\r', QLatin1String("&crlf;"));
    text.replace(u'\n', QLatin1String("&crlf;"));
    return text;
}

// Typed reads of one JSON object; a present key of the wrong type is an error.
class TJsonReader {
public:
    TJsonReader(const QJsonObject& object, QString where)
        : object_(object)
        , where_(std::move(where))
    {
    }

    QString String(const char* key, const QString& def) const
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return def;
        if (!v.isString())
            Fail(key, "a string");
        return v.toString();
    }

    int Integer(const char* key, int def) const
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return def;
        const double d = v.toDouble();
        if (!v.isDouble() || d != static_cast<double>(static_cast<qint64>(d)) || d < INT_MIN || d > INT_MAX)
            Fail(key, "an integer");
        return static_cast<int>(d);
    }

    bool Bool(const char* key, bool def) const
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return def;
        if (!v.isBool())
            Fail(key, "true or false");
        return v.toBool();
    }

    QDateTime DateTime(const char* key, const QDateTime& def) const
    {
        const QString text = String(key, QString());
        if (text.isEmpty())
            return def;
        QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
        if (!dt.isValid())
            Fail(key, "an ISO 8601 date-time");
        return dt.toLocalTime();
    }

    QStringList StringList(const char* key) const
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isArray())
            Fail(key, "an array of strings");
        QStringList items;
        for (const QJsonValue item : v.toArray()) {
            if (!item.isString())
                Fail(key, "an array of strings");
            items.append(item.toString());
        }
        return items;
    }

private:
    [[noreturn]] void Fail(const char* key, const char* expected) const
    {
        throw ESurveyException(
            QStringLiteral("%1: \"%2\" must be %3").arg(where_, QLatin1String(key), QLatin1String(expected)));
    }

    QJsonObject object_;
    QString where_;
};

QJsonObject QuestionToJson(const TQuestion& q)
{
    QJsonObject o;
    o[QStringLiteral("Text")] = q.Text;
    o[QStringLiteral("Style")] = q.Style;
    o[QStringLiteral("Options")] = QJsonArray::fromStringList(q.OptionList());
    o[QStringLiteral("LengthOfResponse")] = q.LengthOfResponse;
    o[QStringLiteral("ID")] = q.ID;
    o[QStringLiteral("IncludeOther")] = q.IncludeOther;
    o[QStringLiteral("OtherLength")] = q.OtherLength;
    o[QStringLiteral("IncludeComment")] = q.IncludeComment;
    o[QStringLiteral("CommentLength")] = q.CommentLength;
    o[QStringLiteral("MinValue")] = q.MinValue;
    o[QStringLiteral("MaxValue")] = q.MaxValue;
    o[QStringLiteral("StepValue")] = q.StepValue;
    o[QStringLiteral("ChartType")] = q.ChartType;
    o[QStringLiteral("DisplayLegend")] = q.DisplayLegend;
    o[QStringLiteral("LegendStyle")] = q.LegendStyle;
    o[QStringLiteral("DisplayMarks")] = q.DisplayMarks;
    o[QStringLiteral("MarksStyle")] = q.MarksStyle;
    o[QStringLiteral("Rotation")] = q.Rotation;
    o[QStringLiteral("SkipGroupOfQuestion")] = q.SkipGroupOfQuestion;
    o[QStringLiteral("SkipGroupOfResponse")] = q.SkipGroupOfResponse;
    o[QStringLiteral("NumberLabel")] = q.NumberLabel;
    o[QStringLiteral("SkipDistance")] = q.SkipDistance;
    return o;
}

TQuestion QuestionFromJson(const QJsonObject& o, int number)
{
    const TJsonReader r(o, QStringLiteral("Questions[%1]").arg(number));
    TQuestion q;
    q.ID = r.Integer("ID", -1);
    if (q.ID == -1)
        throw ESurveyException(QStringLiteral("Questions[%1]: \"ID\" is missing").arg(number));
    q.Text = r.String("Text", QStringLiteral("N/A"));
    q.Style = r.Integer("Style", 4);
    q.SetOptionList(r.StringList("Options"));
    q.LengthOfResponse = r.Integer("LengthOfResponse", 0);
    q.IncludeOther = r.Bool("IncludeOther", false);
    q.OtherLength = r.Integer("OtherLength", 40);
    q.IncludeComment = r.Bool("IncludeComment", false);
    q.CommentLength = r.Integer("CommentLength", 40);
    q.MinValue = r.Integer("MinValue", -1);
    q.MaxValue = r.Integer("MaxValue", -1);
    q.StepValue = r.Integer("StepValue", 1);
    q.ChartType = r.Integer("ChartType", 1);
    q.DisplayLegend = r.Bool("DisplayLegend", true);
    q.LegendStyle = r.Integer("LegendStyle", 1);
    q.DisplayMarks = r.Bool("DisplayMarks", true);
    q.MarksStyle = r.Integer("MarksStyle", 0);
    q.Rotation = r.Integer("Rotation", 0);
    q.SkipGroupOfQuestion = r.Integer("SkipGroupOfQuestion", -1);
    q.SkipGroupOfResponse = r.Integer("SkipGroupOfResponse", -1);
    return q;
}

} // namespace

// Fills the fields that have no public setter, or whose setters stamp the survey.
class TSurveyFileAccess {
public:
    static void SetStored(TSurvey& s, int lastID, const QDateTime& lastUpdated,
        const QDateTime& htmlLastUpdate, const QDateTime& regDate, const QString& instructions,
        const QString& finalComments)
    {
        s.lastID_ = std::max(s.lastID_, lastID);
        s.lastUpdated_ = lastUpdated;
        s.htmlLastUpdate_ = htmlLastUpdate;
        s.regDate_ = regDate;
        s.instructions_ = instructions;
        s.finalComments_ = finalComments;
    }
};

QJsonObject SurveyToJson(TSurvey& s)
{
    s.Renumber();
    QJsonObject d;
    d[QStringLiteral("Name")] = s.Name();
    d[QStringLiteral("Author")] = s.Author();
    d[QStringLiteral("Password")] = s.Password();
    d[QStringLiteral("UniqueName")] = s.UniqueName();
    d[QStringLiteral("QuestionCount")] = s.QuestionCount();
    d[QStringLiteral("LastID")] = s.LastID();
    d[QStringLiteral("Instructions")] = EscapedToJson(s.Instructions());
    d[QStringLiteral("FinalComments")] = EscapedToJson(s.FinalComments());
    d[QStringLiteral("PublishMethod")] = s.PublishMethod();
    d[QStringLiteral("DisplayTemplate")] = s.DisplayTemplate();
    d[QStringLiteral("ProcessResponses")] = s.ProcessResponses();
    d[QStringLiteral("AccountID")] = s.AccountID();
    d[QStringLiteral("ServerURL")] = s.ServerURL();
    d[QStringLiteral("ResultURL")] = s.ResultURL();
    d[QStringLiteral("EMailAddress")] = s.EMailAddress();
    d[QStringLiteral("NotificationFile")] = s.NotificationFile();
    d[QStringLiteral("NotifyMessage")] = s.NotifyMessage();
    d[QStringLiteral("AllAddresses")] = s.AllAddresses();
    d[QStringLiteral("AttachSurvey")] = s.AttachSurvey();
    d[QStringLiteral("SamplingPercent")] = s.SamplingPercent();
    d[QStringLiteral("IncomingDomain")] = s.IncomingDomain();
    d[QStringLiteral("Domain")] = s.Domain();
    d[QStringLiteral("Only1Email")] = s.Only1Email();
    d[QStringLiteral("Only1IP")] = s.Only1IP();
    d[QStringLiteral("LimitByIP")] = s.LimitByIP();
    d[QStringLiteral("ServerStatus")] = s.ServerStatus();
    d[QStringLiteral("LastUpdated")] = IsoText(s.LastUpdated());
    d[QStringLiteral("HTMLLastUpdate")] = IsoText(s.HTMLLastUpdate());
    d[QStringLiteral("SRServerUpdate")] = IsoText(s.SRServerUpdate());
    d[QStringLiteral("RegDate")] = IsoText(s.RegDate());
    d[QStringLiteral("EMailStatus")] = s.EMailStatus();
    d[QStringLiteral("HTMLStatus")] = s.HTMLStatus();
    d[QStringLiteral("HTMLFileName")] = s.HTMLFileName();
    d[QStringLiteral("SRLastUpdate")] = s.SRLastUpdate();
    d[QStringLiteral("SRResponseCount")] = s.SRResponseCount();
    d[QStringLiteral("SRResponseFile")] = s.SRResponseFile();
    d[QStringLiteral("DataFileName")] = s.DataFileName();
    d[QStringLiteral("IPAddresses")] = s.IPAddresses();
    d[QStringLiteral("PubHistory")] = s.PubHistory();

    QJsonObject defaults;
    defaults[QStringLiteral("ServerMajorVer")] = s.ServerMajorVer();
    defaults[QStringLiteral("ServerMinorVer")] = s.ServerMinorVer();

    QJsonArray questions;
    for (int i = 0; i < s.QuestionCount(); ++i)
        questions.append(QuestionToJson(s.GetQuestion(i)));

    QJsonObject json;
    json[QStringLiteral("Details")] = d;
    json[QStringLiteral("Defaults")] = defaults;
    json[QStringLiteral("Questions")] = questions;
    return json;
}

void SurveyFromJson(const QJsonObject& json, TSurvey& s)
{
    const QJsonValue details = json.value(QLatin1String("Details"));
    const QJsonValue defaults = json.value(QLatin1String("Defaults"));
    const QJsonValue questions = json.value(QLatin1String("Questions"));
    if ((!details.isUndefined() && !details.isObject()) || (!defaults.isUndefined() && !defaults.isObject()))
        throw ESurveyException(QStringLiteral("\"Details\" and \"Defaults\" must be objects"));
    if (!questions.isUndefined() && !questions.isArray())
        throw ESurveyException(QStringLiteral("\"Questions\" must be an array"));

    const TJsonReader d(details.toObject(), QStringLiteral("Details"));
    const TJsonReader v(defaults.toObject(), QStringLiteral("Defaults"));
    const QDateTime now = Now();
    s.SetName(d.String("Name", QStringLiteral("N/A")));
    s.SetAuthor(d.String("Author", QStringLiteral("N/A")));
    s.SetPassword(d.String("Password", QString()));
    s.SetUniqueName(d.String("UniqueName", u'S' + now.toString(QStringLiteral("yyMMddHHmmss"))));
    s.SetPublishMethod(d.Integer("PublishMethod", 0));
    s.SetDisplayTemplate(d.String("DisplayTemplate", QString::fromLatin1(kDefaultDisplayTemplate)));
    s.SetProcessResponses(d.Integer("ProcessResponses", 0));
    s.SetAccountID(d.String("AccountID", QString()));
    s.SetServerURL(d.String("ServerURL", QString()));
    s.SetResultURL(d.String("ResultURL", QString()));
    s.SetServerMajorVer(v.Integer("ServerMajorVer", 0));
    s.SetServerMinorVer(v.Integer("ServerMinorVer", 0));
    s.SetEMailAddress(d.String("EMailAddress", QString()));
    s.SetNotificationFile(d.String("NotificationFile", QString()));
    s.SetNotifyMessage(d.String("NotifyMessage", QString()));
    s.SetAllAddresses(d.Bool("AllAddresses", false));
    s.SetAttachSurvey(d.Bool("AttachSurvey", false));
    s.SetSamplingPercent(d.Integer("SamplingPercent", 10));
    s.SetIncomingDomain(d.Bool("IncomingDomain", false));
    s.SetDomain(d.String("Domain", QString()));
    s.SetOnly1Email(d.Bool("Only1Email", true));
    s.SetOnly1IP(d.Bool("Only1IP", true));
    s.SetLimitByIP(d.Bool("LimitByIP", false));
    s.SetServerStatus(d.String("ServerStatus", QString::fromLatin1(kServerNotVerified)));
    s.SetSRServerUpdate(d.DateTime("SRServerUpdate", NoDownloadDateTime()));
    s.SetEMailStatus(d.String("EMailStatus", QString::fromLatin1(kEMailNotSent)));
    s.SetHTMLStatus(d.String("HTMLStatus", QString::fromLatin1(kHTMLNotGenerated)));
    s.SetHTMLFileName(d.String("HTMLFileName", QString()));
    s.SetSRLastUpdate(d.String("SRLastUpdate", QString::fromLatin1(kSRNever)));
    s.SetSRResponseCount(d.Integer("SRResponseCount", 0));
    s.SetSRResponseFile(d.String("SRResponseFile", QString()));
    s.SetDataFileName(d.String("DataFileName", QString()));
    s.SetIPAddresses(d.String("IPAddresses", QString()));
    s.SetPubHistory(d.String("PubHistory", QString::fromLatin1(kNeverPublished)));

    const QJsonArray items = questions.toArray();
    const int count = d.Integer("QuestionCount", static_cast<int>(items.size()));
    if (count != items.size())
        throw ESurveyException(QStringLiteral("Details: \"QuestionCount\" is %1 but there are %2 questions")
                                   .arg(count)
                                   .arg(items.size()));
    for (int i = 0; i < items.size(); ++i) {
        if (!items[i].isObject())
            throw ESurveyException(QStringLiteral("Questions[%1] must be an object").arg(i));
        s.AppendStored(QuestionFromJson(items[i].toObject(), i));
    }
    TSurveyFileAccess::SetStored(s, d.Integer("LastID", 0), d.DateTime("LastUpdated", now),
        d.DateTime("HTMLLastUpdate", ZeroDateTime()), d.DateTime("RegDate", ZeroDateTime()),
        JsonToEscaped(d.String("Instructions", QString())),
        JsonToEscaped(d.String("FinalComments", QString())));
}

void SaveSurveyFromJson(const QJsonObject& json, const QString& outPath)
{
    TSurvey survey;
    survey.NewSurvey();
    survey.SetFileName(outPath);
    SurveyFromJson(json, survey);
    survey.Save();
}

QJsonObject SurveyFileToJson(const QString& path)
{
    TSurvey survey;
    survey.Load(path);
    QJsonObject json = SurveyToJson(survey);
    const TORVIniFile ini(path);
    QJsonObject details = json.value(QLatin1String("Details")).toObject();
    if (const auto stored = ini.ReadDateTime(QStringLiteral("Details"), QStringLiteral("LastUpdated")))
        details[QStringLiteral("LastUpdated")] = IsoText(*stored);
    json[QStringLiteral("Details")] = details;
    return json;
}
