#include "core/authoring/questionrows.h"
#include "core/survey/survey.h"

#include <gtest/gtest.h>

namespace {

int AddSingle(TSurvey& s, const QString& text, const QString& options = QStringLiteral("Yes,No"))
{
    return s.AddQuestion({text, qsSingleSelect, options, 0, false, 40, false, 40, 0, 0, 0});
}

// Makes rows [first, last] members of the group owned by the item before them.
void Group(TSurvey& s, int first, int last, int response)
{
    TQuestion& owner = s.GetQuestion(first - 1);
    owner.SkipGroupOfResponse = response;
    for (int i = first; i <= last; ++i)
        s.GetQuestion(i).SkipGroupOfQuestion = owner.ID;
}

std::vector<QString> Texts(const std::vector<TQuestionRow>& rows)
{
    std::vector<QString> texts;
    for (const auto& r : rows)
        texts.push_back(r.Text);
    return texts;
}

} // namespace

TEST(QuestionRows, NumbersGroupMembersWithLettersAndHeadersWithTheNextNumber)
{
    TSurvey s;
    s.AddHeader(QStringLiteral("About you"));
    AddSingle(s, QStringLiteral("Owner"), QStringLiteral("Yes,No,\"Don't know\""));
    AddSingle(s, QStringLiteral("First member"));
    AddSingle(s, QStringLiteral("Second member"));
    AddSingle(s, QStringLiteral("After"));
    s.AddHeader(QStringLiteral("The end"));
    Group(s, 2, 3, 1);

    s.Renumber();
    const auto rows = BuildQuestionRows(s);
    EXPECT_EQ(Texts(rows),
        (std::vector<QString>{
            "About you", "1) Owner", "1a) First member", "1b) Second member", "2) After", "The end"}));
    EXPECT_EQ(s.GetQuestion(0).NumberLabel, "1");
    EXPECT_EQ(s.GetQuestion(5).NumberLabel, "3");
    EXPECT_EQ(s.GetQuestion(1).SkipDistance, 3);
    EXPECT_TRUE(rows[0].Header);
    EXPECT_FALSE(rows[1].Indent);
    EXPECT_TRUE(rows[2].Indent);
    EXPECT_EQ(rows[1].Detail, "Response Options: Yes, No (skip following group), Don't know");
}

TEST(QuestionRows, AnUnknownStyleIsShownAsAHeaderAsOnThePage)
{
    TSurvey s;
    AddSingle(s, QStringLiteral("First"));
    const int odd = AddSingle(s, QStringLiteral("Hand-made"));
    s.GetQuestion(odd).Style = 0;
    AddSingle(s, QStringLiteral("Second"));
    s.Renumber();
    const auto rows = BuildQuestionRows(s);
    EXPECT_EQ(Texts(rows), (std::vector<QString>{"1) First", "Hand-made", "2) Second"}));
    EXPECT_TRUE(rows[1].Header);
}

TEST(QuestionRows, GroupAtTheEndHasNoSkipDistance)
{
    TSurvey s;
    AddSingle(s, QStringLiteral("Owner"));
    AddSingle(s, QStringLiteral("Member"));
    AddSingle(s, QStringLiteral("Was after the group"));
    Group(s, 1, 1, 0);
    s.Renumber();
    EXPECT_EQ(s.GetQuestion(0).SkipDistance, 2);
    s.DeleteQuestion(2);
    BuildQuestionRows(s); // building the rows changes nothing
    EXPECT_EQ(s.GetQuestion(0).SkipDistance, 2);
    s.Renumber();
    EXPECT_EQ(s.GetQuestion(0).SkipDistance, -1);
}

TEST(QuestionRows, DetailLineByStyle)
{
    struct Case {
        int Style;
        const char* Options;
        int Length;
        int Min, Max, Step;
        const char* Detail;
        int Image;
    } cases[] = {
        {qsFreeFormText, "", -1, 0, 0, 0, "Verbose text response", 3},
        {qsFreeFormText, "", 80, 0, 0, 0, "Text response limited to 80 characters", 3},
        {qsNumericValue, "", 0, 1, 10, 2, "Range of 1 to 10, step 2", 5},
        {qsMultipleSelect, "Red~R,Green", 0, 0, 0, 0, "Response Options: R, Green", 1},
        {qsSlidingScale, "Low,High", 0, 0, 0, 0, "Response Options: Low, High", 2},
        {qsPullDownList, "\"New York\",Paris", 0, 0, 0, 0, "Response Options: New York, Paris", 4},
    };
    for (const Case& c : cases) {
        TSurvey s;
        s.AddQuestion({QStringLiteral("Q\r\n"), c.Style, c.Options, c.Length, false, 40, false, 40, c.Min,
            c.Max, c.Step});
        s.Renumber();
        const auto rows = BuildQuestionRows(s);
        EXPECT_EQ(rows[0].Detail, c.Detail);
        EXPECT_EQ(rows[0].Image, c.Image);
        EXPECT_EQ(rows[0].Text, "1) Q"); // the editor's final line break is not shown
    }
}

TEST(QuestionRows, SkipGroupButtonOffer)
{
    // 0 header, 1 single, 2 single, 3 multiple, 4 single, 5 header, 6 single
    TSurvey s;
    s.AddHeader(QStringLiteral("H"));
    AddSingle(s, QStringLiteral("a"));
    AddSingle(s, QStringLiteral("b"));
    s.AddQuestion(
        {QStringLiteral("c"), qsMultipleSelect, QStringLiteral("x,y"), 0, false, 40, false, 40, 0, 0, 0});
    AddSingle(s, QStringLiteral("d"));
    s.AddHeader(QStringLiteral("H2"));
    AddSingle(s, QStringLiteral("e"));

    struct Case {
        std::vector<int> Selected;
        TSkipGroupOffer Offer;
        const char* Why;
    } cases[] = {
        {{}, TSkipGroupOffer::None, "nothing selected"},
        {{2, 3}, TSkipGroupOffer::Create, "run after a Single Select"},
        {{0, 1}, TSkipGroupOffer::None, "first row selected"},
        {{2, 4}, TSkipGroupOffer::None, "gap in the selection"},
        {{4, 5}, TSkipGroupOffer::None, "header inside"},
        {{4}, TSkipGroupOffer::None, "Multiple Select before the run"},
        {{6}, TSkipGroupOffer::None, "header before the run"},
        {{1}, TSkipGroupOffer::None, "header before the first question"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkipGroupOffer(s, c.Selected), c.Offer) << c.Why;

    Group(s, 2, 2, 0);
    EXPECT_EQ(SkipGroupOffer(s, {2}), TSkipGroupOffer::Ungroup) << "a member";
    EXPECT_EQ(SkipGroupOffer(s, {1, 6}), TSkipGroupOffer::Ungroup) << "an owner, even with a gap";
    EXPECT_EQ(SkipGroupOffer(s, {3}), TSkipGroupOffer::None) << "the item before is a member";

    TSurvey one;
    AddSingle(one, QStringLiteral("only"));
    EXPECT_EQ(SkipGroupOffer(one, {0}), TSkipGroupOffer::None) << "fewer than two items";
}
