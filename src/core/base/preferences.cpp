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
    v.dataDirectory = dataDirectory;
    v.autoReopen = s.ReadBool(Preferences, AutoReopen, DefaultAutoReopen);
    v.warnDeleteQuestions = !s.ReadBool(DisabledWarnings, DeleteQuestions, false);
    v.warnUngroupSkipGroup = !s.ReadBool(DisabledWarnings, UngroupSkipGroup, false);
    v.warnChangesToPublishedSurvey = !s.ReadBool(DisabledWarnings, ChangesToPublishedSurvey, false);
    v.warnMoveSkipGroup = !s.ReadBool(DisabledWarnings, MoveSkipGroup, false);
    v.tipsAtStartup = s.ReadBool(Preferences, TipAtStartup, DefaultTipAtStartup);
    v.emailSystem = s.ReadInteger(Preferences, EmailSystem, 0) == 1 ? 1 : 0;
    v.smtpServerAddress = s.ReadString(Preferences, SMTPServerAddress, QString());
    v.outgoingPort = QString::number(s.ReadInteger(Preferences, OutgoingPort, DefaultOutgoingPort));
    v.smtpUserID = s.ReadString(Preferences, SMTPUserID, QString());
    v.displayName = s.ReadString(Preferences, DisplayName, QString());
    v.replyAddress = s.ReadString(Preferences, ReplyAddress, QString());
    v.sendFormat = qBound(0, s.ReadInteger(Preferences, SendFormat, 0), 6);
    v.gatewayText = s.ReadString(Preferences, GatewayText, QString());
    v.defaultHTML = s.ReadInteger(Preferences, DefaultHTML, DefaultDefaultHTML) == 1 ? 1 : 0;
    v.useProxy = s.ReadBool(Preferences, UseProxy, false);
    v.proxyAddress = s.ReadString(Preferences, ProxyAddress, QString());
    v.proxyPort = QString::number(s.ReadInteger(Preferences, ProxyPort, DefaultProxyPort));
    return v;
}

void WritePreferences(const TPreferenceValues& v, TSettings& s)
{
    using namespace settings;
    s.WriteString(ApplicationDetails, DataDirectory, WithSlash(v.dataDirectory));
    s.WriteBool(Preferences, AutoReopen, v.autoReopen);
    s.WriteBool(Preferences, TipAtStartup, v.tipsAtStartup);
    s.WriteInteger(Preferences, EmailSystem, v.emailSystem);
    s.WriteString(Preferences, SMTPServerAddress, v.smtpServerAddress);
    s.WriteInteger(Preferences, OutgoingPort, PortOr(v.outgoingPort, DefaultOutgoingPort));
    s.WriteString(Preferences, SMTPUserID, v.smtpUserID);
    s.WriteString(Preferences, DisplayName, v.displayName);
    s.WriteString(Preferences, ReplyAddress, v.replyAddress);
    s.WriteInteger(Preferences, SendFormat, v.sendFormat);
    s.WriteString(Preferences, GatewayText, v.gatewayText);
    s.WriteInteger(Preferences, DefaultHTML, v.defaultHTML);
    s.WriteBool(Preferences, UseProxy, v.useProxy);
    s.WriteString(Preferences, ProxyAddress, v.proxyAddress);
    s.WriteInteger(Preferences, ProxyPort, PortOr(v.proxyPort, DefaultProxyPort));
    s.WriteBool(DisabledWarnings, DeleteQuestions, !v.warnDeleteQuestions);
    s.WriteBool(DisabledWarnings, UngroupSkipGroup, !v.warnUngroupSkipGroup);
    s.WriteBool(DisabledWarnings, ChangesToPublishedSurvey, !v.warnChangesToPublishedSurvey);
    s.WriteBool(DisabledWarnings, MoveSkipGroup, !v.warnMoveSkipGroup);
}

QString HtmlExtensionFor(int defaultHTML)
{
    return defaultHTML == 1 ? QStringLiteral(".html") : QStringLiteral(".htm");
}
