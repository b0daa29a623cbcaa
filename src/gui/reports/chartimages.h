#pragma once

// The chart images of the HTML analysis report: the analysis chart of each question, drawn from
// the tallies in the question's chart style and saved as a JPEG file.

#include "core/analysis/chartdata.h"
#include "core/analysis/results.h"
#include "core/reports/htmlreport.h"

#include <QSize>

class TSurvey;

inline constexpr QSize kReportChartSize{720, 420};

TChartImageWriter MakeChartImageWriter(const TSurvey& survey, const TResultsList& results,
    const TChartStyle& background, QSize size = kReportChartSize);
