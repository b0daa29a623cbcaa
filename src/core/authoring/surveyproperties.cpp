#include "core/authoring/surveyproperties.h"

#include "core/authoring/questionrules.h"
#include "core/base/commatext.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"

namespace {

// The survey hands back its texts with CR line breaks; text boxes and settings take LF.
QString WithLineFeeds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The notification message is stored as comma text of its lines.
QString MessageText(const QString& commaText)
{
    return SplitCommaText(commaText).join(QLatin1Char('\n'));
}

QString MessageCommaText(const QString& text)
{
    if (text.isEmpty())
        return {};
    return JoinCommaText(WithLineFeeds(text).split(QLatin1Char('\n')));
}

} // namespace

TPropertyValues PropertiesFromSurvey(const TSurvey& s)
{
    TPropertyValues v;
    v.Name = s.Name();
    v.Author = s.Author();
    v.Password = s.Password();
    v.Instructions = WithLineFeeds(s.GetInstructions());
    v.FinalComments = WithLineFeeds(s.GetFinalComments());
    v.DisplayTemplate = s.DisplayTemplate();
    v.ServerStyle = s.ProcessResponses() == kServerHosted ? kServerHosted : kServerPrivate;
    v.ServerURL = s.GetFormAction();
    v.AccountID = s.ProcessResponses() != 0 ? s.AccountID() : QString();
    v.ResultURL = s.ResultURL();
    v.NotificationFile = s.NotificationFile();
    v.AllAddresses = s.AllAddresses();
    v.SamplingPercent = qBound(1, s.SamplingPercent(), 100);
    v.NotifyMessage = MessageText(s.NotifyMessage());
    v.AttachSurvey = s.AttachSurvey();
    v.Only1Email = s.Only1Email();
    v.Only1IP = s.Only1IP();
    v.LimitByIP = s.LimitByIP();
    v.IpAddresses = SplitCommaText(s.IPAddresses());
    return v;
}

bool HoldsWebScheme(const QString& url)
{
    const QString upper = url.toUpper();
    return upper.contains(QLatin1String("HTTP://")) || upper.contains(QLatin1String("HTTPS://"));
}

void ValidateProperties(const TPropertyValues& v)
{
    if (!v.ResultURL.trimmed().isEmpty() && !HoldsWebScheme(v.ResultURL))
        throw EValidationException(QString::fromLatin1(kResultURLMessage), QStringLiteral("eResultURL"));
    if (v.ServerStyle == kServerPrivate && !HoldsWebScheme(v.ServerURL))
        throw EValidationException(QString::fromLatin1(kServerURLMessage), QStringLiteral("eServerURL"));
    if (v.DisplayTemplate.isEmpty())
        throw EValidationException(
            QString::fromLatin1(kNoTemplateMessage), QStringLiteral("cmbDisplayTemplate"));
}

void ApplyProperties(const TPropertyValues& v, TSurvey& s)
{
    s.SetName(v.Name);
    s.SetAuthor(v.Author);
    s.SetPassword(v.Password.left(kMaxPasswordLength));
    s.SetInstructions(v.Instructions);
    s.SetFinalComments(v.FinalComments);
    s.SetDisplayTemplate(v.DisplayTemplate);
    s.SetServerURL(v.ServerURL);
    s.SetResultURL(v.ResultURL);
    s.SetProcessResponses(v.ServerStyle);
    s.SetAccountID(v.ServerStyle == kServerHosted ? v.AccountID : QString());
    s.SetNotificationFile(v.NotificationFile);
    s.SetNotifyMessage(MessageCommaText(v.NotifyMessage));
    s.SetAllAddresses(v.AllAddresses);
    s.SetSamplingPercent(qBound(1, v.SamplingPercent, 100));
    s.SetAttachSurvey(v.AttachSurvey);
    s.SetLimitByIP(v.LimitByIP);
    s.SetIPAddresses(JoinCommaText(v.IpAddresses));
    s.SetOnly1Email(v.Only1Email);
    s.SetOnly1IP(v.Only1IP);
}

void WritePropertyDefaults(const TSurvey& s, TSettings& settings)
{
    using namespace settings;
    settings.WriteString(Defaults, Author, s.Author());
    settings.WriteString(Defaults, Instructions, WithLineFeeds(s.GetInstructions()));
    settings.WriteString(Defaults, FinalComments, WithLineFeeds(s.GetFinalComments()));
    settings.WriteString(Defaults, DisplayTemplate, s.DisplayTemplate());
    settings.WriteString(Defaults, ServerURL, s.GetFormAction());
    settings.WriteBool(Defaults, Only1Email, s.Only1Email());
    settings.WriteBool(Defaults, Only1IP, s.Only1IP());
    settings.WriteBool(Defaults, LimitByIP, s.LimitByIP());
    settings.WriteString(Defaults, IPAddresses, s.IPAddresses());
}

QString SamplingCaption(int percent)
{
    return QStringLiteral("%1% of list").arg(percent);
}

TIPListState IPListState(bool limitByIP, bool entrySelected, const QString& entryText)
{
    TIPListState state;
    state.ListEnabled = limitByIP;
    state.AddEnabled = limitByIP && !entryText.isEmpty();
    state.DeleteEnabled = limitByIP && entrySelected;
    return state;
}
