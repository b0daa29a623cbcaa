#pragma once

#include <QString>
#include <QStringList>

class TSettings;
class TSurvey;

// What the survey properties dialog edits, as its controls hold it.
struct TPropertyValues {
    // Details
    QString Name;
    QString Author;
    QString Password;
    QString Instructions; // line breaks as typed
    QString FinalComments;
    // Web Server
    QString DisplayTemplate; // empty: none chosen
    int ServerStyle = 0; // 0 private server, 1 the hosted service
    QString ServerURL;
    QString AccountID;
    QString ResultURL;
    // Notifications
    QString NotificationFile;
    bool AllAddresses = true;
    int SamplingPercent = 10;
    QString NotifyMessage; // line breaks as typed
    bool AttachSurvey = false;
    // Security
    bool Only1Email = false;
    bool Only1IP = false;
    bool LimitByIP = false;
    QStringList IpAddresses;
};

inline constexpr int kServerPrivate = 0;
inline constexpr int kServerHosted = 1;
inline constexpr int kMaxPasswordLength = 10;
inline constexpr int kMaxIPEntryLength = 15;

// The dialog's controls filled from the survey: the account ID only for a survey on the hosted
// service, the server URL as the form action the page would use.
TPropertyValues PropertiesFromSurvey(const TSurvey& survey);

// The OK check, in this order: a result URL that is not empty, then the server URL of a private
// server, must name a web address ("http://" or "https://" anywhere in it, letter case ignored).
// Throws EValidationException naming "eResultURL" or "eServerURL". A missing display template is
// refused last, naming "cmbDisplayTemplate".
void ValidateProperties(const TPropertyValues& values);
inline constexpr const char* kResultURLMessage = "Your URL for the result page must include http://";
inline constexpr const char* kServerURLMessage = "Your URL for the server must include http://";
inline constexpr const char* kNoTemplateMessage
    = "Please choose a display template.  The survey's template is no longer in the data directory.";
// True when the text holds a web address scheme the check accepts.
bool HoldsWebScheme(const QString& url);

// Writes every value into the survey in the dialog's order; the account ID is kept only for the
// hosted service. Leaves the survey modified.
void ApplyProperties(const TPropertyValues& values, TSurvey& survey);

// "Ma&ke Default": the nine values a new survey starts from (author, texts, display template,
// form action, the three limits and the address list). Call after ApplyProperties.
void WritePropertyDefaults(const TSurvey& survey, TSettings& settings);

// The sampling label: "<percent>% of list".
QString SamplingCaption(int percent);

// The enabled state of the IP list's controls.
struct TIPListState {
    bool ListEnabled = false; // the list and the entry box
    bool AddEnabled = false;
    bool DeleteEnabled = false;
};
TIPListState IPListState(bool limitByIP, bool entrySelected, const QString& entryText);
