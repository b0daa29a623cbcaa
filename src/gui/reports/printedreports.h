#pragma once

// The printed reports: the questionnaire (a paper version of the survey with marks to tick and
// lines to write on), the question index, the analysis of one question with its chart drawn as
// vectors and its text answers, and the whole analysis report. Each draws on any paged device:
// a printer, or a PDF file.

#include "core/analysis/chartdata.h"
#include "core/analysis/results.h"

#include <QString>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;
class TReportPage;
class TReportRecords;
class TSurvey;

// What the analysis reports draw from: the tallies, the filter's conditions as sentences, the
// records for the text answers (may be null: none listed), and the chart background.
struct TAnalysisSource {
    const TSurvey* Survey = nullptr;
    const TResultsList* Results = nullptr;
    QStringList FilterConditions;
    TReportRecords* Records = nullptr;
    TChartStyle Background;
};

QString QuestionnaireTitle(const TSurvey& survey); // "Orvalle Report - " + Name
QString AnalysisReportTitle(const TSurvey& survey); // "Orvalle Analysis Report - " + Name
// + ", Question #" + the question's number label.
QString QuestionAnalysisTitle(const TSurvey& survey, int index);
// The label the question index adds after a question's list text ("  [Single Choice]", ...).
QString QuestionTypeLabel(int style);

// The skip hint after the skipping option of a skip group's owner; for a group that runs to the
// end of the survey, the hint names the end of the survey.
QString SkipHint(const TSurvey& survey, int index, const QString& option);

void PrintQuestionnaire(const TSurvey& survey, QPagedPaintDevice& device);
// The whole analysis report: the question index, then one page per question. `stopped` (may be
// empty) is asked between questions; true ends the report early.
void PrintAnalysisReport(
    const TAnalysisSource& source, QPagedPaintDevice& device, const std::function<bool()>& stopped = {});
// One question's analysis alone.
void PrintQuestionAnalysis(const TAnalysisSource& source, int index, QPagedPaintDevice& device);

// Pieces, for the reports above.
void PrintQuestionItem(TReportPage& page, const TSurvey& survey, int index);
void PrintQuestionIndex(TReportPage& page, const TSurvey& survey);
void PrintAnalysisOf(TReportPage& page, const TAnalysisSource& source, int index);
