#include "core/publishing/mailsettings.h"

#include "core/base/settings.h"
#include "core/base/settingstable.h"

#include <algorithm>

TMailSettings ReadMailSettings(const TSettings& s)
{
    using namespace settings;
    TMailSettings m;
    m.EmailSystem = s.ReadInteger(Preferences, EmailSystem, 0);
    m.Host = s.ReadString(Preferences, SMTPServerAddress, {}).trimmed();
    m.Port = s.ReadInteger(Preferences, OutgoingPort, DefaultOutgoingPort);
    m.UserID = s.ReadString(Preferences, SMTPUserID, {});
    m.ReplyAddress = s.ReadString(Preferences, ReplyAddress, {}).trimmed();
    m.DisplayName = s.ReadString(Preferences, DisplayName, {});
    m.SendFormat = s.ReadInteger(Preferences, SendFormat, 0);
    m.GatewayText = s.ReadString(Preferences, GatewayText, {});
    const int security = s.ReadInteger(Preferences, SMTPSecurity, 0);
    m.Security = security == 1 ? TSmtpSecurity::StartTls
        : security == 2        ? TSmtpSecurity::ImplicitTls
                               : TSmtpSecurity::None;
    m.PauseMs = std::clamp(s.ReadInteger(Preferences, SendPause, 0), 0, 3600 * 1000);
    m.CertificateFile = s.ReadString(Preferences, SMTPCertificateFile, {});
    return m;
}
