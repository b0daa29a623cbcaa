#pragma once

#include <QString>

class TSettings;

// The values the preferences dialog shows and writes, as its controls hold them.
struct TPreferenceValues {
    // General
    QString DataDirectory;
    bool AutoReopen = false;
    // Each is true when the warning is shown, the inverse of what "Disabled Warnings" stores.
    bool WarnDeleteQuestions = true;
    bool WarnUngroupSkipGroup = true;
    bool WarnChangesToPublishedSurvey = true;
    bool WarnMoveSkipGroup = true;
    bool TipsAtStartup = true;
    // Email
    int EmailSystem = 0; // 0 SMTP, 1 the system mail client
    QString SmtpServerAddress;
    QString OutgoingPort = QStringLiteral("25"); // as typed
    QString SmtpUserID;
    QString DisplayName;
    QString ReplyAddress;
    int SendFormat = 0;
    QString GatewayText;
    // Advanced
    int DefaultHTML = 0; // 0 ".htm", 1 ".html"
    bool UseProxy = false;
    QString ProxyAddress;
    QString ProxyPort = QStringLiteral("0"); // as typed
};

TPreferenceValues ReadPreferences(const TSettings& settings, const QString& dataDirectory);

// Writes every value: the data directory with "/" appended when it lacks one, the port boxes as
// integers (25 and 0 when they hold none), each warning as the inverse of its check mark.
void WritePreferences(const TPreferenceValues& values, TSettings& settings);

// The extension of generated pages for the chosen entry.
QString HtmlExtensionFor(int defaultHTML);
