#pragma once

#include "core/webform/render.h"

#include <QString>

class TSurvey;

// What the callers of GeneratePage show when it fails.
inline constexpr const char* kPageFailureMessage
    = "The HTML file could not be generated.  Please verify that you have sufficient disk space and that the "
      "display template you have specified is correct.";
inline constexpr const char* kPageFailedStatus = "HTML file failed to generate";
// The product's home page, named in the credit line of every page.
inline constexpr const char* kProductHomePage = "https://orvalle.example.org/";

// The placeholders a display template may hold, and the comments that switch the page layout.
namespace placeholder {
inline constexpr const char* Title = "<!--ORVTITLE-->";
inline constexpr const char* Intro = "<!--ORVINTRO-->";
inline constexpr const char* Close = "<!--ORVCLOSE-->";
inline constexpr const char* Questions = "<!--ORVQUESTIONS-->";
inline constexpr const char* SurveyFile = "<!--ORVSURVEYFILE-->";
inline constexpr const char* ResultURL = "<!--ORVRESULTURL-->";
inline constexpr const char* FormAction = "<!--ORVFORMACTION-->";
inline constexpr const char* EMailAddress = "<!--ORVEMAILADDRESS-->";
inline constexpr const char* AccountID = "<!--ORVACCOUNTID-->";
inline constexpr const char* Notice = "<!--NOTICE-->";
inline constexpr const char* IncludeGotos = "<!--ORVINCLUDEGOTOS-->";
inline constexpr const char* BoldQuestions = "<!--ORVBOLDQUESTIONS-->";
inline constexpr const char* QuestionStyle2 = "<!--ORVQSTYLE2-->";
} // namespace placeholder

// Why a generation failed, for logs and the command line; the user sees kPageFailureMessage.
enum class TPageError {
    None,
    TemplateMissing, // no file at the template path (or the name leaves the data directory)
    TemplateUnreadable, // the file cannot be read or is not UTF-8 text
    WriteFailed, // the page could not be written; HTMLStatus says so
};

struct TPageResult {
    TPageError Error = TPageError::None;
    QString Detail; // the path concerned and the system's reason
    bool Succeeded() const { return Error == TPageError::None; }
};

// Builds the survey page from the display template `DisplayTemplate` in `dataDirectory` and writes
// it to `outputPath`, replacing any file there. The page replaces the file whole or not at all.
// On success HTMLStatus, HTMLFileName and HTMLLastUpdate record the generation. A template that is
// missing or unreadable changes nothing; a failed write sets HTMLStatus to kPageFailedStatus.
// Sets the items' NumberLabel as a side effect.
TPageResult GeneratePage(TSurvey& survey, const QString& outputPath, const QString& dataDirectory);

// A preview of the page: generated like GeneratePage (into a temporary file the caller chose), but
// a survey whose page was never generated keeps saying so. With `displayTemplate` set, that
// template is used for this preview only (the survey properties preview an unsaved choice).
TPageResult GeneratePreview(TSurvey& survey, const QString& outputPath, const QString& dataDirectory,
    const QString& displayTemplate = QString());

// The page text GeneratePage would write for `templateText`, with CR LF line ends, for callers
// that hold the template themselves (and for tests). Sets NumberLabel.
QString BuildPage(TSurvey& survey, const QString& templateText);

// The layout a page text asks for with its placeholders. Skip groups need the jump links and
// leave no room for the one-line layout, so a survey with one gets those whatever the page says.
TPageLayout PageLayout(const TSurvey& survey, const QString& page);

// The credit line that stands before the page's closing body tag.
QString CreditLine();
