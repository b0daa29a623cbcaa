#pragma once

// The requests the program sends to the response server and the checks of its replies. The
// exchanges themselves run through THttpClient (httpclient.h).

#include <QByteArray>
#include <QString>

class TSurvey;

struct TServerVersion {
    int Major = 0;
    int Minor = 0;
};

struct TRegisterRequest {
    bool Post = false; // form 2: POST with the survey file; form 1: GET
    QString URL;
    QByteArray Body; // form 2 only, already encoded
};

struct TVerifyOutcome {
    bool Passed = false;
    QString Reason;
};

QString VerifyURL(const TSurvey& survey);
QString DownloadURL(const TSurvey& survey);
QString ClearURL(const TSurvey& survey);
// Form 2 when the address holds "ORV.DLL" (any case) and the verified major version is 2 or more.
// `surveyFileText` is the saved survey file; it is read only for form 2.
TRegisterRequest RegisterRequest(const TSurvey& survey, const QString& surveyFileText);
// The survey file's lines as comma text, every byte but a letter encoded as "%XX".
QByteArray EncodeSurveyFile(const QString& surveyFileText);

// A verify reply names the product; its version sits around the first ".": the two characters
// before it (trimmed) and the one after. No "." or no number gives 0.0.
bool IsVerifyReply(const QString& body);
TServerVersion ParseServerVersion(const QString& body);
bool IsRegistrationComplete(const QString& body);

// The check of a downloaded data file before it is merged.
TVerifyOutcome VerifyResultFile(const QString& path);

inline constexpr const char* kResultNotFormatted = "Result information not properly formatted.";
inline constexpr const char* kClearQuestion
    = "This will clear all responses for this survey from the server.  Any responses that are already "
      "downloaded will not be affected.  Are you sure you want to do this?";
