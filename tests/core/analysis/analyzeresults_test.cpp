#include "analysisfixture.h"
#include "core/analysis/analyzeresults.h"
#include "core/interaction/progress.h"

namespace {

using TTally = TAnalysisFixture;

std::vector<int> Counts(const TResultsList& results, int id)
{
    std::vector<int> counts;
    for (const TCountResults* c : CountResultsOf(results, id))
        counts.push_back(c->Count);
    return counts;
}

TEST_F(TTally, EmptyTalliesFollowTheQuestions)
{
    Add(1, qsSingleSelect, "Tea,Show~Coffee", true);
    survey.AddHeader("Part two");
    Add(2, qsFreeFormText);
    Add(3, qsNumericValue, {}, false, 1, 5, 1);
    Add(4, qsMultipleSelect, "x,y");
    TResultsList results;
    BuildEmptyTallies(survey, results);
    ASSERT_EQ(results.size(), 3u + 1u + 2u);
    const auto first = CountResultsOf(results, 1);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[1]->Caption, "Coffee");
    EXPECT_EQ(first[2]->Caption, "Other");
    EXPECT_EQ(first[2]->OptionIndex, 2);
    ASSERT_NE(NumericResultsOf(results, 3), nullptr);
    EXPECT_EQ(NumericResultsOf(results, 3)->Ranges.size(), 3u);
    EXPECT_TRUE(CountResultsOf(results, 2).empty());
}

// The cases a reader of the table must get right: "Oth" in any case is Other, an empty answer
// counts nowhere, a lower-case "y" is not a tick, -9999 and blanks are not values.
TEST_F(TTally, ReadsEachStyleAsStored)
{
    Add(1, qsSingleSelect, "a,b,c", true);
    Add(2, qsMultipleSelect, "x,y", true);
    Add(3, qsNumericValue, {}, false, 1, 5, 1);
    Add(4, qsPullDownList, "p,q");
    CreateTable();
    Append({{"ORV1", "Oth"}, {"ORV2_0", "Y"}, {"ORV2_1", "y"}, {"ORV2", "Y"}, {"ORV3", "4"}, {"ORV4", "1"}});
    Append({{"ORV1", "oth"}, {"ORV2_0", "Y"}, {"ORV2_1", "N"}, {"ORV2", "N"}, {"ORV3", "-9999"}});
    Append({{"ORV1", "2"}, {"ORV2_0", "N"}, {"ORV2_1", "Y"}, {"ORV2", "N"}, {"ORV4", "7"}});
    Append({{"ORV1", ""}, {"ORV4", "x"}});
    Commit();
    TResultsList results;
    const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, {}, results);
    ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.Error);
    EXPECT_EQ(outcome.Records, 4);
    EXPECT_EQ(Counts(results, 1), std::vector<int>({0, 0, 1, 2}));
    EXPECT_EQ(Counts(results, 2), std::vector<int>({2, 1, 1}));
    EXPECT_EQ(Counts(results, 4), std::vector<int>({0, 1}));
    const TNumericResults* numeric = NumericResultsOf(results, 3);
    EXPECT_EQ(numeric->Total, 4);
    EXPECT_EQ(numeric->ValueCount, 1);
    EXPECT_EQ(numeric->Average, 4);
    EXPECT_EQ(numeric->Ranges[1].Count, 1);
}

TEST_F(TTally, FilterDeletedRecordsAndTheFallback)
{
    Add(1, qsSingleSelect, "a,b");
    CreateTable();
    for (const char* answer : {"0", "1", "1", "1"})
        Append({{"ORV1", answer}});
    Commit();
    ASSERT_TRUE(table.Go(2).ok());
    ASSERT_TRUE(table.Delete().ok());

    QStringList warnings;
    TAnalyzeHooks hooks;
    hooks.ShowWarning = [&](const QString& text) { warnings << text; };
    TResultsList results;
    struct TCase {
        QString Filter;
        std::vector<int> Counts;
        bool Fallback;
        QString Left; // the Filter on the table afterwards
    };
    const TCase cases[] = {
        {"", {1, 2}, false, ""},
        {R"(ORV1="1")", {0, 2}, false, R"(ORV1="1")"},
        {R"(ORV1="7")", {1, 2}, true, ""},
        {"  ", {1, 2}, false, ""},
    };
    for (const TCase& c : cases) {
        warnings.clear();
        const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, c.Filter, results, hooks);
        ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.Error);
        EXPECT_EQ(Counts(results, 1), c.Counts) << qPrintable(c.Filter);
        EXPECT_EQ(outcome.FilterEliminatedAll, c.Fallback);
        EXPECT_EQ(warnings,
            c.Fallback ? QStringList{"The filter you defined eliminates all records.  Please try again."}
                       : QStringList());
        EXPECT_EQ(table.Filter(), c.Left);
    }
}

TEST_F(TTally, MalformedFilterIsAnErrorAndCountsNothing)
{
    Add(1, qsSingleSelect, "a,b");
    CreateTable();
    Append({{"ORV1", "0"}});
    Commit();
    TResultsList results;
    for (const char* bad : {"ORV1=", "ORV99=\"1\"", "ORV1", "\xff\xfe(("}) {
        const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, QString::fromUtf8(bad), results);
        EXPECT_FALSE(outcome.ok()) << bad;
        EXPECT_EQ(Counts(results, 1), std::vector<int>({0, 0}));
    }
}

// A question added after the table was made has no fields there: it stays at zero, the rest counts.
TEST_F(TTally, QuestionWithoutFieldsCountsAsUnanswered)
{
    Add(1, qsSingleSelect, "a,b");
    CreateTable();
    Append({{"ORV1", "1"}});
    Commit();
    Add(2, qsMultipleSelect, "x,y", true);
    Add(3, qsNumericValue, {}, false, 0, 10, 5);
    Add(4, qsSingleSelect, "p");
    TResultsList results;
    const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, {}, results);
    ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.Error);
    EXPECT_EQ(Counts(results, 1), std::vector<int>({0, 1}));
    EXPECT_EQ(Counts(results, 2), std::vector<int>({0, 0, 0}));
    EXPECT_EQ(NumericResultsOf(results, 3)->ValueCount, 0);
}

class TCountingProgress : public TProgress {
public:
    void Start(int total) override { this->total = total; }
    void Step(int) override { ++steps; }
    void Finish() override { finished = true; }
    int total = -1;
    int steps = 0;
    bool finished = false;
};

TEST_F(TTally, ProgressIsThrottled)
{
    Add(1, qsSingleSelect, "a,b");
    CreateTable();
    for (int i = 0; i < 3000; ++i)
        Append({{"ORV1", QString::number(i % 2)}});
    Commit();
    TCountingProgress progress;
    TAnalyzeHooks hooks;
    hooks.Progress = &progress;
    TResultsList results;
    ASSERT_TRUE(AnalyzeResults(survey, table, {}, results, hooks).ok());
    EXPECT_EQ(progress.total, 3000);
    EXPECT_LT(progress.steps, 300);
    EXPECT_TRUE(progress.finished);
    EXPECT_EQ(Counts(results, 1), std::vector<int>({1500, 1500}));
}

} // namespace
