#pragma once

// The value ranges of a Numeric Value question. The first range runs from Min to Min + Step (its
// upper bound is not held to Max); each next one starts after the previous upper bound and ends
// at the smaller of its start + Step and Max; ranges are added while the next start is not above
// Max. For Min 1, Max 10, Step 1: "1 to 2", "3 to 4", "5 to 6", "7 to 8", "9 to 10".

#include "core/analysis/results.h"

// More ranges than a numeric field of five digits can ever need; a hand-edited file asking for
// more gets the first ones only.
inline constexpr int kMaxRanges = 100000;

// Fills numeric.Ranges (QuestionID taken from numeric). A step below 1 is taken as 1 and noted in
// StepCorrected.
void BuildRanges(TNumericResults& numeric, int minValue, int maxValue, int stepValue);
