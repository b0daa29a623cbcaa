#include "core/analysis/results.h"

#include <algorithm>
#include <cmath>

void TNumericResults::AddValue(double value)
{
    Total += value;
    ValueCount += 1;
    Average = Total / ValueCount;
    const double rounded = std::round(value);
    if (Ranges.empty() || rounded < Ranges.front().LowValue || rounded > Ranges.back().HighValue)
        return;
    const int r = static_cast<int>(rounded);
    // The first range whose upper bound reaches r; ranges ascend and do not overlap.
    auto it = std::lower_bound(Ranges.begin(), Ranges.end(), r,
        [](const TCountResults& range, int v) { return range.HighValue < v; });
    if (it != Ranges.end() && it->LowValue <= r)
        ++it->Count;
}

std::vector<const TCountResults*> CountResultsOf(const TResultsList& results, int questionID)
{
    std::vector<const TCountResults*> found;
    for (const auto& tally : results) {
        if (tally->QuestionID != questionID)
            continue;
        if (const auto* count = dynamic_cast<const TCountResults*>(tally.get()))
            found.push_back(count);
    }
    return found;
}

const TNumericResults* NumericResultsOf(const TResultsList& results, int questionID)
{
    for (const auto& tally : results) {
        if (tally->QuestionID != questionID)
            continue;
        if (const auto* numeric = dynamic_cast<const TNumericResults*>(tally.get()))
            return numeric;
    }
    return nullptr;
}
