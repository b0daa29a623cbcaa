#include "core/publishing/sampling.h"

#include <QStringList>

#include <random>

#include <gtest/gtest.h>

namespace {

TEST(Sampling, TargetUsesTheExtendedProductAndTiesToEven)
{
    struct Case {
        int N, Percent, Target;
    } cases[] = {
        {10, 25, 2}, // 2.5: tie to even
        {10, 45, 4}, // 4.5: tie to even
        {10, 15, 1}, // just below 1.5 in extended precision
        {10, 1, 0},
        {10, 100, 10},
        {0, 50, 0},
        {12, 50, 6},
        {100000, 33, 33000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SampleTarget(c.N, c.Percent), c.Target) << c.N << " at " << c.Percent;
    EXPECT_EQ(ClampSamplingPercent(0), 1);
    EXPECT_EQ(ClampSamplingPercent(250), 100);
    EXPECT_EQ(ClampSamplingPercent(-7), 1);
}

struct Harness {
    explicit Harness(int n, std::vector<int> deletedRecords = {})
        : Deleted(std::move(deletedRecords))
    {
        Source.RecordCount = n;
        Source.LiveCount = n - int(this->Deleted.size());
        Source.eligible = [this](int r) {
            return std::find(this->Deleted.begin(), this->Deleted.end(), r) == this->Deleted.end();
        };
        Source.random = [this](int lo, int hi) {
            ++Draws;
            return std::uniform_int_distribution<int>(lo, hi)(Gen);
        };
    }
    std::vector<int> Deleted;
    std::mt19937 Gen{42};
    int Draws = 0;
    TSampleSource Source;
};

TEST(Sampling, AllRecordsOnceInTextOrder)
{
    Harness h(12);
    TSample sample;
    ASSERT_EQ(DrawSample(SampleTarget(12, 100), h.Source, sample), TDrawOutcome::Complete);
    const QStringList order(sample.begin(), sample.end());
    EXPECT_EQ(order, QStringList({"1", "10", "11", "12", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(Sampling, DrawsAtLeastOnceAndCountsDeletedDraws)
{
    Harness once(10);
    TSample sample;
    DrawSample(SampleTarget(10, 1), once.Source, sample);
    EXPECT_EQ(sample.size(), 1u);
    EXPECT_EQ(once.Draws, 1);

    Harness empty(0);
    TSample none;
    EXPECT_EQ(DrawSample(5, empty.Source, none), TDrawOutcome::Complete);
    EXPECT_EQ(empty.Draws, 0);

    // Half the records deleted, all asked for: the draw ends once the live ones are in.
    Harness half(10, {2, 4, 6, 8, 10});
    TSample live;
    DrawSample(10, half.Source, live);
    EXPECT_LE(live.size(), 5u);
    for (const QString& r : live)
        EXPECT_EQ(r.toInt() % 2, 1);

    // Everything deleted: one draw, nothing added, no endless loop.
    Harness gone(3, {1, 2, 3});
    TSample nothing;
    EXPECT_EQ(DrawSample(3, gone.Source, nothing), TDrawOutcome::Complete);
    EXPECT_TRUE(nothing.empty());
}

TEST(Sampling, MoreThanTheLiveRecordsEndsWhenTheyAreExhausted)
{
    Harness h(4);
    TSample sample;
    EXPECT_EQ(DrawSample(50, h.Source, sample), TDrawOutcome::Complete);
    EXPECT_EQ(sample.size(), 4u);
}

TEST(Sampling, StopEndsTheDraw)
{
    Harness h(1000);
    int seen = 0;
    h.Source.drawn = [&](int) { ++seen; };
    h.Source.stopRequested = [&] { return seen >= 3; };
    TSample sample;
    EXPECT_EQ(DrawSample(500, h.Source, sample), TDrawOutcome::Stopped);
    EXPECT_EQ(h.Draws, 3);
}

} // namespace
