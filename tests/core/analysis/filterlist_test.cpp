#include "analysisfixture.h"
#include "core/analysis/filterlist.h"
#include "xbase/expression.h"

namespace {

TQuestion Question(int id, int style, const QString& text, const QString& options = {})
{
    TQuestion q;
    q.ID = id;
    q.Style = style;
    q.Text = text;
    q.Options = options;
    return q;
}

// Every template, character for character, with its description.
TEST(TFilterList, ConditionTemplates)
{
    const TQuestion single = Question(12, qsSingleSelect, "Drink?", "Tea,Coffee,Water,Show~Juice");
    const TQuestion scale = Question(7, qsSlidingScale, "Rate", "1,2,3");
    const TQuestion multi = Question(12, qsMultipleSelect, "Extras?", "Milk,Sugar,Lemon,Ice");
    const TQuestion text = Question(5, qsFreeFormText, "Remarks");
    const TQuestion number = Question(9, qsNumericValue, "Age");
    struct TCase {
        std::function<void(TFilterList&)> add;
        QString Expression;
        QString Description;
    };
    const TCase cases[] = {
        {[&](TFilterList& f) { f.AddChoiceItem(single, true, 3); }, R"(ORV12="3")",
            R"(Selected "Juice" in "Drink?")"},
        {[&](TFilterList& f) { f.AddChoiceItem(single, false, 0); }, R"(ORV12<>"0")",
            R"(Did not select "Tea" in "Drink?")"},
        {[&](TFilterList& f) { f.AddChoiceItem(scale, true, 2); }, R"(ORV7="2")",
            R"(Selected "3" in "Rate")"},
        {[&](TFilterList& f) { f.AddChoiceItem(multi, true, 3); }, R"(ORV12_3="Y")",
            R"(Selected "Ice" in "Extras?")"},
        {[&](TFilterList& f) { f.AddChoiceItem(multi, false, 1); }, R"(ORV12_1="N")",
            R"(Did not select "Sugar" in "Extras?")"},
        {[&](TFilterList& f) { f.AddTextItem(text, true, "ABC"); }, R"(RAT( "ABC", UPPER( ORV5) ) > 0)",
            R"("ABC" is found in "Remarks")"},
        {[&](TFilterList& f) { f.AddTextItem(text, false, "ABC"); }, R"(RAT( "ABC", UPPER( ORV5 ) ) = 0)",
            R"("ABC" is not found in "Remarks")"},
        {[&](TFilterList& f) { f.AddTextItem(text, true, R"(SAY "HI")"); },
            R"(RAT( 'SAY "HI"', UPPER( ORV5) ) > 0)", R"("SAY "HI"" is found in "Remarks")"},
        {[&](TFilterList& f) { f.AddTextItem(text, true, R"(IT'S "X")"); },
            R"(RAT( [IT'S "X"], UPPER( ORV5) ) > 0)", R"("IT'S "X"" is found in "Remarks")"},
        {[&](TFilterList& f) { f.AddNumericItem(number, 0, "5"); }, "ORV9>5",
            R"(Response greater than "5" in "Age")"},
        {[&](TFilterList& f) { f.AddNumericItem(number, 1, "-2.5"); }, "ORV9<-2.5",
            R"(Response less than "-2.5" in "Age")"},
        {[&](TFilterList& f) { f.AddNumericItem(number, 2, "40"); }, "ORV9=40",
            R"(Response is equal to "40" in "Age")"},
    };
    for (const TCase& c : cases) {
        TFilterList filter;
        c.add(filter);
        ASSERT_EQ(filter.Count(), 1) << qPrintable(c.Expression);
        EXPECT_EQ(filter.Expressions()[0], c.Expression);
        EXPECT_EQ(filter.Descriptions()[0], c.Description);
        EXPECT_EQ(filter.GetFilterExpression(), c.Expression);
    }
}

TEST(TFilterList, RefusesWhatWouldBreakTheExpression)
{
    const TQuestion text = Question(5, qsFreeFormText, "Remarks");
    const TQuestion number = Question(9, qsNumericValue, "Age");
    TFilterList filter;
    EXPECT_FALSE(filter.AddTextItem(text, true, R"(A"B'C]D)"));
    for (const char* value : {"", "abc", "5)", "5 .OR. .T.", "1e5", "--5", "5.5.5", " 5"})
        EXPECT_FALSE(filter.AddNumericItem(number, 0, QString::fromUtf8(value))) << value;
    EXPECT_FALSE(filter.AddNumericItem(number, 3, "5"));
    EXPECT_EQ(filter.Count(), 0);
    EXPECT_TRUE(filter.GetFilterExpression().isEmpty());
}

TEST(TFilterList, JoinDeleteAssignKeepPairs)
{
    const TQuestion number = Question(9, qsNumericValue, "Age");
    TFilterList filter;
    filter.AddNumericItem(number, 0, "1");
    filter.AddNumericItem(number, 0, "2");
    EXPECT_EQ(filter.GetFilterExpression(), "ORV9>1 .AND. ORV9>2");
    filter.AddNumericItem(number, 0, "3");
    filter.Delete(1);
    filter.Delete(7); // ignored
    EXPECT_EQ(filter.Expressions(), QStringList({"ORV9>1", "ORV9>3"}));
    EXPECT_EQ(filter.Descriptions(),
        QStringList({R"(Response greater than "1" in "Age")", R"(Response greater than "3" in "Age")"}));
    TFilterList copy;
    copy.AddNumericItem(number, 2, "9");
    copy.Assign(filter);
    EXPECT_EQ(copy.Expressions(), filter.Expressions());
    EXPECT_EQ(copy.Descriptions(), filter.Descriptions());
    copy.Clear();
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(filter.Count(), 2);
}

using TFilterOnTable = TAnalysisFixture;

// What the filter list writes, the engine accepts and evaluates as the user meant it.
TEST_F(TFilterOnTable, EngineSelectsTheMeantRecords)
{
    Add(3, qsSingleSelect, "a,b,c,d");
    Add(4, qsMultipleSelect, "x,y");
    Add(5, qsFreeFormText, {}, false, 0, 0, 1, 60);
    Add(6, qsNumericValue, {}, false, -50, 100);
    CreateTable();
    Append({{"ORV3", "3"}, {"ORV4_0", "Y"}, {"ORV4_1", "N"}, {"ORV5", "it's \"great\""}, {"ORV6", "-5"}});
    Append({{"ORV3", "30"}, {"ORV4_0", "N"}, {"ORV4_1", "Y"}, {"ORV5", "great"}, {"ORV6", "40"}});
    Append({{"ORV3", "0"}, {"ORV4_0", "N"}, {"ORV4_1", "N"}, {"ORV6", "-9999"}});
    Commit();
    const TSurvey& s = survey;
    struct TCase {
        std::function<void(TFilterList&)> add;
        int Visible;
    };
    const TCase cases[] = {
        {[&](TFilterList& f) { f.AddChoiceItem(s.GetQuestion(0), true, 3); }, 1},
        {[&](TFilterList& f) { f.AddChoiceItem(s.GetQuestion(0), false, 3); }, 2},
        {[&](TFilterList& f) { f.AddChoiceItem(s.GetQuestion(1), true, 1); }, 1},
        {[&](TFilterList& f) { f.AddChoiceItem(s.GetQuestion(1), false, 0); }, 2},
        {[&](TFilterList& f) { f.AddTextItem(s.GetQuestion(2), true, R"("GREAT")"); }, 1},
        {[&](TFilterList& f) { f.AddTextItem(s.GetQuestion(2), false, "GREAT"); }, 1},
        {[&](TFilterList& f) { f.AddNumericItem(s.GetQuestion(3), 1, "-4"); }, 2},
        {[&](TFilterList& f) { f.AddNumericItem(s.GetQuestion(3), 0, "+.5"); }, 1},
        {[&](TFilterList& f) {
             f.AddNumericItem(s.GetQuestion(3), 1, "100");
             f.AddChoiceItem(s.GetQuestion(1), false, 1);
         },
            2},
    };
    for (const TCase& c : cases) {
        TFilterList filter;
        c.add(filter);
        const QString expression = filter.GetFilterExpression();
        ASSERT_TRUE(table.SetFilter(expression).ok()) << qPrintable(expression + ": " + table.LastError());
        EXPECT_EQ(table.VisibleCount(), c.Visible) << qPrintable(expression);
    }
}

} // namespace
