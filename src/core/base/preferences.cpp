#include "core/base/preferences.h"

#include "core/base/settings.h"
#include "core/base/settingstable.h"

namespace {

// The integer the box holds (blanks around it allowed), else the fallback.
int PortOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

QString WithSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

TPreferenceValues ReadPreferences(const TSettings& s, const QString& dataDirectory)
{
    using namespace settings;
    TPreferenceValues v;
    v.DataDirectory = dataDirectory;
    v.AutoReopen = s.ReadBool(Preferences, AutoReopen, DefaultAutoReopen);
    v.WarnDeleteQuestions = !s.ReadBool(DisabledWarnings, DeleteQuestions, false);
    v.WarnUngroupSkipGroup = !s.ReadBool(DisabledWarnings, UngroupSkipGroup, false);
    v.WarnChangesToPublishedSurvey = !s.ReadBool(DisabledWarnings, ChangesToPublishedSurvey, false);
    v.WarnMoveSkipGroup = !s.ReadBool(DisabledWarnings, MoveSkipGroup, false);
    v.TipsAtStartup = s.ReadBool(Preferences, TipAtStartup, DefaultTipAtStartup);
    v.EmailSystem = s.ReadInteger(Preferences, EmailSystem, 0) == 1 ? 1 : 0;
    v.SmtpServerAddress = s.ReadString(Preferences, SMTPServerAddress, QString());
    v.OutgoingPort = QString::number(s.ReadInteger(Preferences, OutgoingPort, DefaultOutgoingPort));
    v.SmtpUserID = s.ReadString(Preferences, SMTPUserID, QString());
    v.DisplayName = s.ReadString(Preferences, DisplayName, QString());
    v.ReplyAddress = s.ReadString(Preferences, ReplyAddress, QString());
    v.SendFormat = qBound(0, s.ReadInteger(Preferences, SendFormat, 0), 6);
    v.GatewayText = s.ReadString(Preferences, GatewayText, QString());
    v.DefaultHTML = s.ReadInteger(Preferences, DefaultHTML, DefaultDefaultHTML) == 1 ? 1 : 0;
    v.UseProxy = s.ReadBool(Preferences, UseProxy, false);
    v.ProxyAddress = s.ReadString(Preferences, ProxyAddress, QString());
    v.ProxyPort = QString::number(s.ReadInteger(Preferences, ProxyPort, DefaultProxyPort));
    return v;
}

void WritePreferences(const TPreferenceValues& v, TSettings& s)
{
    using namespace settings;
    s.WriteString(ApplicationDetails, DataDirectory, WithSlash(v.DataDirectory));
    s.WriteBool(Preferences, AutoReopen, v.AutoReopen);
    s.WriteBool(Preferences, TipAtStartup, v.TipsAtStartup);
    s.WriteInteger(Preferences, EmailSystem, v.EmailSystem);
    s.WriteString(Preferences, SMTPServerAddress, v.SmtpServerAddress);
    s.WriteInteger(Preferences, OutgoingPort, PortOr(v.OutgoingPort, DefaultOutgoingPort));
    s.WriteString(Preferences, SMTPUserID, v.SmtpUserID);
    s.WriteString(Preferences, DisplayName, v.DisplayName);
    s.WriteString(Preferences, ReplyAddress, v.ReplyAddress);
    s.WriteInteger(Preferences, SendFormat, v.SendFormat);
    s.WriteString(Preferences, GatewayText, v.GatewayText);
    s.WriteInteger(Preferences, DefaultHTML, v.DefaultHTML);
    s.WriteBool(Preferences, UseProxy, v.UseProxy);
    s.WriteString(Preferences, ProxyAddress, v.ProxyAddress);
    s.WriteInteger(Preferences, ProxyPort, PortOr(v.ProxyPort, DefaultProxyPort));
    s.WriteBool(DisabledWarnings, DeleteQuestions, !v.WarnDeleteQuestions);
    s.WriteBool(DisabledWarnings, UngroupSkipGroup, !v.WarnUngroupSkipGroup);
    s.WriteBool(DisabledWarnings, ChangesToPublishedSurvey, !v.WarnChangesToPublishedSurvey);
    s.WriteBool(DisabledWarnings, MoveSkipGroup, !v.WarnMoveSkipGroup);
}

QString HtmlExtensionFor(int defaultHTML)
{
    return defaultHTML == 1 ? QStringLiteral(".html") : QStringLiteral(".htm");
}
