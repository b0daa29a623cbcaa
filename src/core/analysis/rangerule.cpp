#include "core/analysis/rangerule.h"

#include <algorithm>
#include <climits>

namespace {

void AddRange(TNumericResults& numeric, long long low, long long high)
{
    TCountResults range;
    range.QuestionID = numeric.QuestionID;
    range.LowValue = static_cast<int>(low);
    range.HighValue = static_cast<int>(high);
    range.Caption = QStringLiteral("%1 to %2").arg(range.LowValue).arg(range.HighValue);
    numeric.Ranges.push_back(std::move(range));
}

} // namespace

void BuildRanges(TNumericResults& numeric, int minValue, int maxValue, int stepValue)
{
    numeric.Ranges.clear();
    numeric.StepCorrected = stepValue < 1;
    numeric.RangesCut = false;
    // 64-bit bounds: Min + Step must not overflow for any values a file may hold.
    const long long step = numeric.StepCorrected ? 1 : stepValue;
    const long long max = maxValue;
    long long high = std::min<long long>(minValue + step, INT_MAX);
    AddRange(numeric, minValue, high);
    while (high + 1 <= max) {
        if (static_cast<int>(numeric.Ranges.size()) >= kMaxRanges) {
            numeric.RangesCut = true;
            return;
        }
        const long long low = high + 1;
        high = std::min(low + step, max);
        AddRange(numeric, low, high);
    }
}
