#pragma once

// The random sample of a mailing: how many addresses a percentage of the list asks for, and the
// draw of distinct record numbers, kept in the order of their decimal text ("10" before "2").

#include <QString>

#include <functional>
#include <set>

// The percentage as used: a hand-edited file may hold any number, so it is clamped to 1-100.
int ClampSamplingPercent(int percent);

// N x (percent x 0.01) in 80-bit extended precision (long double on x86-64), rounded to the
// nearest integer with exact ties to the even neighbour: 10 records at 25 % give 2, at 45 % 4,
// at 15 % 1 (the extended product falls just below 1.5).
int SampleTarget(int recordCount, int percent);

// The sample: record numbers as decimal text, sorted as text, without duplicates.
using TSample = std::set<QString>;

// What a draw needs from the list and the run.
struct TSampleSource {
    int RecordCount = 0; // N: draws are from 1 to N
    int LiveCount = 0; // records that can join the sample; the draw ends when all have
    // Whether record r may join (it exists, is not deleted and is wanted). An error (a record
    // that cannot be read) is thrown by the callee as an exception.
    std::function<bool(int)> eligible;
    std::function<int(int, int)> random; // uniform in [low, high]
    std::function<bool()> stopRequested;
    std::function<void(int)> drawn; // after each draw, with the draw counter
};

enum class TDrawOutcome { Complete, Stopped };

// Draws until `target` draws have counted (at least one draw is made when N > 0): a draw of a
// record already in the sample does not count; a draw of an ineligible record counts without
// adding. Ends early when every eligible record is in the sample, or on a stop request.
TDrawOutcome DrawSample(int target, const TSampleSource& source, TSample& sample);
