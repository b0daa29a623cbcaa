#pragma once

#include <QString>

class TSettings;

// The values the preferences dialog shows and writes, as its controls hold them.
struct TPreferenceValues {
    // General
    QString dataDirectory;
    bool autoReopen = false;
    // Each is true when the warning is shown, the inverse of what "Disabled Warnings" stores.
    bool warnDeleteQuestions = true;
    bool warnUngroupSkipGroup = true;
    bool warnChangesToPublishedSurvey = true;
    bool warnMoveSkipGroup = true;
    bool tipsAtStartup = true;
    // Email
    int emailSystem = 0; // 0 SMTP, 1 the system mail client
    QString smtpServerAddress;
    QString outgoingPort = QStringLiteral("25"); // as typed
    QString smtpUserID;
    QString displayName;
    QString replyAddress;
    int sendFormat = 0;
    QString gatewayText;
    // Advanced
    int defaultHTML = 0; // 0 ".htm", 1 ".html"
    bool useProxy = false;
    QString proxyAddress;
    QString proxyPort = QStringLiteral("0"); // as typed
};

TPreferenceValues ReadPreferences(const TSettings& settings, const QString& dataDirectory);

// Writes every value: the data directory with "/" appended when it lacks one, the port boxes as
// integers (25 and 0 when they hold none), each warning as the inverse of its check mark.
void WritePreferences(const TPreferenceValues& values, TSettings& settings);

// The extension of generated pages for the chosen entry.
QString HtmlExtensionFor(int defaultHTML);
