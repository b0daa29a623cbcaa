#pragma once

// The tallies of the analysis: per option of a choice question how often it was chosen, and per
// Numeric Value question the sum, count and average of the values and their spread over ranges.
// The results list holds them in survey order; it is rebuilt, never updated in place.

#include <QString>

#include <memory>
#include <vector>

class TBaseResults {
public:
    virtual ~TBaseResults() = default;
    int QuestionID = 0;
};

// One option of a choice question (the Other entry has OptionIndex = the number of options), or
// one value range of a Numeric Value question (inclusive bounds; OptionIndex unused).
class TCountResults : public TBaseResults {
public:
    QString Caption;
    int OptionIndex = 0;
    int Count = 0;
    int LowValue = 0;
    int HighValue = 0;
};

class TNumericResults : public TBaseResults {
public:
    double Total = 0;
    double ValueCount = 0;
    double Average = 0;
    std::vector<TCountResults> Ranges; // ascending
    // The question's StepValue was below 1 (only a hand-edited file has that) and 1 was used.
    bool StepCorrected = false;
    // The range rule would have made more than kMaxRanges ranges; the first kMaxRanges are kept.
    bool RangesCut = false;

    void AddValue(double value);
};

using TResultsList = std::vector<std::unique_ptr<TBaseResults>>;

// The count tallies of a question in list order (options, then Other).
std::vector<const TCountResults*> CountResultsOf(const TResultsList& results, int questionID);
// The first numeric tally of the question, or null.
const TNumericResults* NumericResultsOf(const TResultsList& results, int questionID);
