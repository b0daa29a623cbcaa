#pragma once

// The merge of a server data file into the survey's response table: each response line is
// admitted or eliminated (address range, one response per address, one per e-mail address),
// admitted ones are appended, and the survey's response state is brought up to date.

#include "core/responses/responsetable.h"

#include <QString>

#include <functional>

class TSurvey;

// The outcome of a merge; created by the caller, filled by AddResponses.
struct TAddResponseResult {
    bool Succeeded = false; // ran to its end (a server error on the status line still counts as run)
    int AddedCount = 0; // responses appended
    int TotalCount = 0; // records in the table afterwards
    int EliminatedCount = 0; // lines between the status line and the end that were not appended
    // Answers of appended responses the table has no field for (questions added after the table
    // was made); the rest of those responses is stored.
    int UnstoredAnswerCount = 0;
    bool Stopped = false; // the progress callback asked to stop between two records
    QString ErrorMessage; // why it did not succeed (for logs and the command line)
    QString SaveError; // the survey could not be saved afterwards
};

struct TIntakeHooks {
    // The error box: the server's error report and the table's creation or opening failures.
    TShowError ShowError = [](const QString&) {};
    // The information box: a file in the way of the new table was renamed.
    TShowError Inform = [](const QString&) {};
    // Called now and then between records with the bytes read and the file's size; returning
    // false stops the merge before the next record. What was appended so far stays.
    std::function<bool(qint64 done, qint64 total)> Progress;
    // Rebuilds the tallies once the table holds responses.
    std::function<void()> AnalyzeResults;
};

// Opens the table named by SRResponseFile (or, when that names no file, the survey's table where
// a new one would go, creating it when there is none), merges the data file at `dataPath`, and
// saves the survey in every case.
void AddResponses(TSurvey& survey, TResponseTable& table, const QString& dataPath, TAddResponseResult& result,
    const TIntakeHooks& hooks = {});

// The merge itself on a table that is already open: no opening, no save.
void MergeResponses(TSurvey& survey, TResponseTable& table, const QString& dataPath,
    TAddResponseResult& result, const TIntakeHooks& hooks);

// Whether one entry of the survey's IPAddresses list occurs anywhere in the address (the entry
// 10.1.2 admits 10.1.2.7). Always false for an empty list; an empty entry admits nothing.
bool IsAllowedAddress(const TSurvey& survey, const QString& address);

// The lines the import's information box, the download and the command line show after a
// merge: the counts, and the answers that had no field when there were any.
QString MergeSummary(const TAddResponseResult& result);
