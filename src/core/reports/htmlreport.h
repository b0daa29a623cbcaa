#pragma once

// The HTML analysis report: one page per question of the analysis list, with navigation between
// them and the chart saved as a JPEG image, and an index page linking them all; or the page of
// one question alone. Every text taken from the survey or the responses is HTML-escaped, so an
// answer holding markup is shown as typed and never runs in the reader's browser.
//
// Files in the chosen directory, base being the survey file's name without extension and k the
// question's position among the survey's items (headers counted): base + ext (the index),
// base + k + ext (a question) and base + k + ".jpg" (its chart).

#include "core/reports/reportanswers.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TProgress;
class TSurvey;

// Writes the chart of the item at `index` as a JPEG file at `path`; an empty string on success.
// The report calls it only for questions that have a chart (not Free Form Text).
using TChartImageWriter = std::function<QString(int index, const QString& path)>;

struct THtmlReportSettings {
    QString Directory;
    QString Base; // the survey file's name without extension
    QString Extension = QStringLiteral(".htm"); // ".htm" or ".html"
    QString TablePath; // empty: no responses to list
    QString FilterExpression; // the analysis filter, applied to the listed answers
    QStringList FilterConditions; // the filter's conditions as the user reads them
    QDateTime GeneratedAt;
};

struct THtmlReportResult {
    QString Error; // empty on success
    QString OpenFile; // the page to open afterwards: the index, or the single page
    QStringList Files; // every file written, in the order written
    bool Stopped = false; // the user stopped it after the pages in Files; no index was written
};

// Text escaped for HTML: & < > and double quotes.
QString HtmlEscape(const QString& text);
// An answer for a page: escaped, each line break (CR LF, CR or LF) as "<br>".
QString HtmlAnswer(const QString& text);

// The items the analysis lists (every question, no header), as item positions.
std::vector<int> AnalysisEntries(const TSurvey& survey);

// The navigation line of the page of entries[at] inside the whole report.
QString HtmlNavigation(
    const std::vector<int>& entries, size_t at, const QString& base, const QString& extension);
// A question page's lines, each ended by CR LF. `navigation` empty: the single page ("<p>").
QString HtmlQuestionPage(const TSurvey& survey, int index, const TQuestionAnswers& answers,
    const QString& navigation, const QString& base, const QDateTime& generatedAt);
// The index page.
QString HtmlIndexPage(const TSurvey& survey, const std::vector<int>& entries,
    const QStringList& filterConditions, const QString& base, const QString& extension,
    const QDateTime& generatedAt);

// Writes the whole report: every question page (and chart), then the index page.
THtmlReportResult WriteHtmlReport(const TSurvey& survey, const THtmlReportSettings& settings,
    const TChartImageWriter& chartWriter, TProgress* progress = nullptr);
// Writes the page of the item at `index` alone, without navigation.
THtmlReportResult WriteHtmlQuestionPage(const TSurvey& survey, int index, const THtmlReportSettings& settings,
    const TChartImageWriter& chartWriter);
