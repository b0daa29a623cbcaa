#pragma once

// What the analysis of the open survey holds while it is open: the active filter (never stored
// in the survey file) and the tallies last built under it.

#include "core/analysis/analyzeresults.h"
#include "core/analysis/filterlist.h"

struct TAnalysisState {
    TFilterList Filter;
    TResultsList Results;

    // Rebuilds the tallies from the table under the active filter.
    TAnalyzeOutcome Analyze(const TSurvey& survey, xbase::TTable& table, const TAnalyzeHooks& hooks = {})
    {
        return AnalyzeResults(survey, table, Filter.GetFilterExpression(), Results, hooks);
    }
    // A new or loaded survey starts without filter and tallies.
    void Clear()
    {
        Filter.Clear();
        Results.clear();
    }
};
