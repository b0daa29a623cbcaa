#include "core/analysis/rangerule.h"

#include <QStringList>

#include <climits>

#include <gtest/gtest.h>

namespace {

QStringList Captions(int min, int max, int step)
{
    TNumericResults numeric;
    BuildRanges(numeric, min, max, step);
    QStringList captions;
    for (const TCountResults& r : numeric.Ranges)
        captions << r.Caption;
    return captions;
}

TEST(RangeRule, Examples)
{
    struct TCase {
        int Min, Max, Step;
        QStringList Captions;
    };
    const TCase cases[] = {
        {1, 10, 1, {"1 to 2", "3 to 4", "5 to 6", "7 to 8", "9 to 10"}},
        {1, 5, 1, {"1 to 2", "3 to 4", "5 to 5"}},
        {1, 10, 10, {"1 to 11"}},
        {0, 100, 25, {"0 to 25", "26 to 51", "52 to 77", "78 to 100"}},
        {5, 5, 1, {"5 to 6"}},
        {10, 3, 2, {"10 to 12"}}, // Max below Min: the first range only
        {-10, 0, 4, {"-10 to -6", "-5 to -1", "0 to 0"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Captions(c.Min, c.Max, c.Step), c.Captions) << c.Min << " " << c.Max << " " << c.Step;
}

// A step below 1 only comes from a hand-edited file; it must end, as step 1.
TEST(RangeRule, StepBelowOneIsOne)
{
    for (int step : {0, -1, INT_MIN}) {
        TNumericResults numeric;
        BuildRanges(numeric, 1, 5, step);
        EXPECT_TRUE(numeric.StepCorrected);
        EXPECT_EQ(numeric.Ranges.size(), 3u);
    }
}

TEST(RangeRule, ExtremeBoundsStayFinite)
{
    TNumericResults huge;
    BuildRanges(huge, 0, INT_MAX, 1);
    EXPECT_TRUE(huge.RangesCut);
    EXPECT_EQ(static_cast<int>(huge.Ranges.size()), kMaxRanges);

    TNumericResults top;
    BuildRanges(top, INT_MAX - 1, INT_MAX, INT_MAX);
    ASSERT_EQ(top.Ranges.size(), 1u);
    EXPECT_EQ(top.Ranges[0].HighValue, INT_MAX);
}

TEST(RangeRule, ValuesLandInTheFirstRangeHoldingThem)
{
    TNumericResults numeric;
    BuildRanges(numeric, 1, 5, 1);
    for (double v : {1.0, 2.4, 2.5, 5.0, 0.0, 6.0, 5.6})
        numeric.AddValue(v);
    // 2.5 rounds to 3 (halves away from zero); 0 and 6 lie outside; 5.6 rounds to 6.
    EXPECT_EQ(numeric.Ranges[0].Count, 2);
    EXPECT_EQ(numeric.Ranges[1].Count, 1);
    EXPECT_EQ(numeric.Ranges[2].Count, 1);
    EXPECT_EQ(numeric.ValueCount, 7);
    EXPECT_DOUBLE_EQ(numeric.Average, 22.5 / 7);
}

} // namespace
