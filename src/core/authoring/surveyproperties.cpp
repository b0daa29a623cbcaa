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
    v.name = s.Name();
    v.author = s.Author();
    v.password = s.Password();
    v.instructions = WithLineFeeds(s.GetInstructions());
    v.finalComments = WithLineFeeds(s.GetFinalComments());
    v.displayTemplate = s.DisplayTemplate();
    v.serverStyle = s.ProcessResponses() == kServerHosted ? kServerHosted : kServerPrivate;
    v.serverURL = s.GetFormAction();
    v.accountID = s.ProcessResponses() != 0 ? s.AccountID() : QString();
    v.resultURL = s.ResultURL();
    v.notificationFile = s.NotificationFile();
    v.allAddresses = s.AllAddresses();
    v.samplingPercent = qBound(1, s.SamplingPercent(), 100);
    v.notifyMessage = MessageText(s.NotifyMessage());
    v.attachSurvey = s.AttachSurvey();
    v.only1Email = s.Only1Email();
    v.only1IP = s.Only1IP();
    v.limitByIP = s.LimitByIP();
    v.ipAddresses = SplitCommaText(s.IPAddresses());
    return v;
}

bool HoldsWebScheme(const QString& url)
{
    const QString upper = url.toUpper();
    return upper.contains(QLatin1String("HTTP://")) || upper.contains(QLatin1String("HTTPS://"));
}

void ValidateProperties(const TPropertyValues& v)
{
    if (!v.resultURL.trimmed().isEmpty() && !HoldsWebScheme(v.resultURL))
        throw EValidationException(QString::fromLatin1(kResultURLMessage), QStringLiteral("eResultURL"));
    if (v.serverStyle == kServerPrivate && !HoldsWebScheme(v.serverURL))
        throw EValidationException(QString::fromLatin1(kServerURLMessage), QStringLiteral("eServerURL"));
    if (v.displayTemplate.isEmpty())
        throw EValidationException(
            QString::fromLatin1(kNoTemplateMessage), QStringLiteral("cmbDisplayTemplate"));
}

void ApplyProperties(const TPropertyValues& v, TSurvey& s)
{
    s.SetName(v.name);
    s.SetAuthor(v.author);
    s.SetPassword(v.password.left(kMaxPasswordLength));
    s.SetInstructions(v.instructions);
    s.SetFinalComments(v.finalComments);
    s.SetDisplayTemplate(v.displayTemplate);
    s.SetServerURL(v.serverURL);
    s.SetResultURL(v.resultURL);
    s.SetProcessResponses(v.serverStyle);
    s.SetAccountID(v.serverStyle == kServerHosted ? v.accountID : QString());
    s.SetNotificationFile(v.notificationFile);
    s.SetNotifyMessage(MessageCommaText(v.notifyMessage));
    s.SetAllAddresses(v.allAddresses);
    s.SetSamplingPercent(qBound(1, v.samplingPercent, 100));
    s.SetAttachSurvey(v.attachSurvey);
    s.SetLimitByIP(v.limitByIP);
    s.SetIPAddresses(JoinCommaText(v.ipAddresses));
    s.SetOnly1Email(v.only1Email);
    s.SetOnly1IP(v.only1IP);
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
    state.listEnabled = limitByIP;
    state.addEnabled = limitByIP && !entryText.isEmpty();
    state.deleteEnabled = limitByIP && entrySelected;
    return state;
}
