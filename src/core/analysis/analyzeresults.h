#pragma once

// AnalyzeResults: rebuilds the tallies of every question from the records of the response table
// that pass the analysis filter. The table engine evaluates the filter; the tally walks the
// records it lets through once, in record order, and reads each question's fields.

#include "core/analysis/results.h"

#include <QString>

#include <functional>

class TProgress;
class TSurvey;

namespace xbase {
class TTable;
}

inline constexpr const char* kFilterEliminatesAll
    = "The filter you defined eliminates all records.  Please try again.";

struct TAnalyzeHooks {
    // The warning box; told when the filter passes no record (the tally then counts them all).
    std::function<void(const QString&)> ShowWarning;
    // Start with the number of records to visit, then steps a few dozen times a second at most.
    TProgress* Progress = nullptr;
};

struct TAnalyzeOutcome {
    QString Error; // the filter could not be set (the engine's message); nothing was counted
    bool FilterEliminatedAll = false; // the warning was given and all records counted
    int Records = 0; // records counted
    bool ok() const { return Error.isEmpty(); }
};

// The empty tallies of the survey's questions in survey order: per option of a choice question
// (and its Other entry) a TCountResults, per Numeric Value question a TNumericResults with its
// ranges. Free Form Text and headers get none.
void BuildEmptyTallies(const TSurvey& survey, TResultsList& results);

// Rebuilds `results` from the records of `table` that pass `filterExpression` (empty: all). The
// filter stays set on the table afterwards (cleared when it passed nothing). A question whose
// fields the table lacks (added after the table was made) keeps its zero counts.
TAnalyzeOutcome AnalyzeResults(const TSurvey& survey, xbase::TTable& table, const QString& filterExpression,
    TResultsList& results, const TAnalyzeHooks& hooks = {});
