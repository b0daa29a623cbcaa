#include "core/analysis/chartdata.h"
#include "core/analysis/rangerule.h"
#include "core/survey/question.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartData, AverageText)
{
    const std::pair<double, const char*> cases[] = {
        {3.6, "Average:     4"},
        {0, "Average:     0"},
        {2.5, "Average:     3"},
        {4.44, "Average:     4"},
        {12345.4, "Average: 12345"},
        {123456, "Average: 123456"},
        {-3.6, "Average:    -4"},
    };
    for (const auto& [average, text] : cases)
        EXPECT_EQ(AverageText(average).toStdString(), text);
}

std::unique_ptr<TCountResults> Option(int id, const char* caption, int index, int count)
{
    auto c = std::make_unique<TCountResults>();
    c->QuestionID = id;
    c->Caption = QString::fromUtf8(caption);
    c->OptionIndex = index;
    c->Count = count;
    return c;
}

TEST(ChartData, ChoicePointsLeaveOutZeroCounts)
{
    TQuestion q;
    q.ID = 3;
    q.Style = qsPullDownList;
    q.Text = "Drink?";
    TResultsList results;
    results.push_back(Option(2, "Elsewhere", 0, 9));
    results.push_back(Option(3, "Tea", 0, 7));
    results.push_back(Option(3, "Coffee", 1, 0));
    results.push_back(Option(3, "Other", 2, 1));
    const TChartData data = BuildChartData(q, results);
    EXPECT_TRUE(data.HasPoints);
    EXPECT_EQ(data.Title, "Type: Single Choice / Pulldown\r\nDrink?");
    ASSERT_EQ(data.Points.size(), 2u);
    EXPECT_EQ(data.Points[0].Label, "Tea");
    EXPECT_EQ(data.Points[1].Label, "Other");
    EXPECT_EQ(data.Points[1].Value, 1);
}

TEST(ChartData, NumericShowsEveryRangeAndTheAverage)
{
    TQuestion q;
    q.ID = 4;
    q.Style = qsNumericValue;
    q.Text = "Age";
    auto numeric = std::make_unique<TNumericResults>();
    numeric->QuestionID = 4;
    BuildRanges(*numeric, 1, 5, 1);
    numeric->AddValue(3);
    numeric->AddValue(4);
    TResultsList results;
    results.push_back(std::move(numeric));
    const TChartData data = BuildChartData(q, results);
    EXPECT_EQ(data.Title, "Type: Numeric Value\r\nAverage:     4\r\nAge");
    ASSERT_EQ(data.Points.size(), 3u);
    EXPECT_EQ(data.Points[0].Value, 0);
    EXPECT_EQ(data.Points[1].Value, 2);
    EXPECT_EQ(data.Points[2].Label, "5 to 5");

    q.Style = qsFreeFormText;
    EXPECT_FALSE(BuildChartData(q, results).HasPoints);
    EXPECT_EQ(BuildChartData(q, results).FirstLine, "Type: Text");
}

TEST(ChartData, LegendAndMarkTexts)
{
    const TChartPoint tea{7, "Tea"};
    const double total = 20;
    const QStringList legends = {"Tea", "7 Tea", "Tea 7", "35% Tea", "Tea 35%"};
    for (int style = 0; style < legends.size(); ++style)
        EXPECT_EQ(LegendText(tea, style, total), legends[style]);
    const QStringList marks = {"7", "35%", "Tea", "Tea 35%", "Tea 7", "7 Tea", "35% of 20", "Tea 35% of 20"};
    for (int style = 0; style < marks.size(); ++style)
        EXPECT_EQ(MarkText(tea, style, 1, total), marks[style]);
    EXPECT_EQ(MarkText(tea, 1, 0, 0), "0%");
}

TEST(ChartData, ColourList)
{
    const auto& colours = ChartColours();
    ASSERT_EQ(colours.size(), 18u);
    EXPECT_EQ(ChartColourIndex(0x808080), 3); // the first "Gray"
    EXPECT_EQ(ChartColourIndex(0xC0C0C0), 8); // the first "Silver"
    EXPECT_EQ(ChartColourIndex(0x808000), 15); // teal, the default "To" colour
    EXPECT_EQ(ChartColourIndex(0x123456), -1);
}

} // namespace
