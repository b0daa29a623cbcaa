#include "core/responses/responsefields.h"
#include "support/responsesurveys.h"

#include <gtest/gtest.h>

namespace {

QString Describe(const std::vector<TResponseField>& fields, size_t from = 4)
{
    QStringList out;
    for (size_t i = from; i < fields.size(); ++i)
        out << QStringLiteral("%1 %2%3")
                   .arg(fields[i].Name)
                   .arg(QChar::fromLatin1(fields[i].Type))
                   .arg(fields[i].Width);
    return out.join(QLatin1Char(','));
}

struct TFieldCase {
    const char* What;
    int Id;
    TQuestionSpec Question;
    const char* Fields;
};

TEST(ResponseFields, FixedFieldsComeFirst)
{
    TSurvey s;
    s.NewSurvey();
    s.AddHeader(QStringLiteral("Only a header"));
    EXPECT_EQ(Describe(ResponseTableFields(s), 0), "REMOTEIP C45,EMAIL C250,AGENT C250,DATERCVD C14");
}

TEST(ResponseFields, EveryStyleInTableOrder)
{
    const TFieldCase cases[] = {
        {"single select with Other and Comments", 12,
            {qsSingleSelect, "a,b,c,d", true, true, 0, 0, 0, 40, 60}, "ORV12CM C60,ORV12 C3,ORV12OT C40"},
        {"multiple select with Other", 3, {qsMultipleSelect, "a,b,c", true, false},
            "ORV3_0 C1,ORV3_1 C1,ORV3_2 C1,ORV3 C1,ORV3OT C40"},
        {"multiple select with comment, no Other", 4, {qsMultipleSelect, "a,b", false, true},
            "ORV4CM C60,ORV4_0 C1,ORV4_1 C1"},
        {"sliding scale", 5, {qsSlidingScale, "1,2,3"}, "ORV5 C3"},
        {"pull down with Other", 6, {qsPullDownList, "x", true}, "ORV6 C3,ORV6OT C40"},
        {"verbose text", 7, {qsFreeFormText, "", false, false, -1}, "ORV7 M10"},
        {"limited text", 8, {qsFreeFormText, "", false, false, 80}, "ORV8 C80"},
        {"limited text longer than a character field", 9, {qsFreeFormText, "", false, false, 500},
            "ORV9 M10"},
        {"limited text of length 0", 10, {qsFreeFormText, "", false, false, 0}, "ORV10 C254"},
        {"numeric with a comment", 11, {qsNumericValue, "", false, true}, "ORV11CM C60,ORV11 N5"},
        {"header", 13, {qsHeader, ""}, ""},
        {"unknown style code", 14, {0, "a"}, ""},
        {"other length beyond a character field", 15, {qsSingleSelect, "a", true, false, 0, 0, 0, 900},
            "ORV15 C3,ORV15OT C254"},
    };
    for (const TFieldCase& c : cases) {
        TSurvey s;
        s.NewSurvey();
        AddWithID(s, c.Id, c.Question);
        EXPECT_EQ(Describe(ResponseTableFields(s)), QString::fromLatin1(c.Fields)) << c.What;
    }
}

TEST(ResponseFields, QuestionsFollowSurveyOrder)
{
    TSurvey s;
    s.NewSurvey();
    AddWithID(s, 2, {qsNumericValue, ""});
    s.AddHeader(QStringLiteral("Part two"));
    AddWithID(s, 1, {qsSingleSelect, "a"});
    EXPECT_EQ(Describe(ResponseTableFields(s)), "ORV2 N5,ORV1 C3");
}

TEST(ResponseFields, TablePathFollowsTheSurveyFile)
{
    auto s = MakeSurvey(QStringLiteral("/data/Surveys"));
    EXPECT_EQ(ResponseTablePath(*s), "/data/Surveys/S981203101500.dbf");
    EXPECT_EQ(ResponseTableCompanions(ResponseTablePath(*s)),
        QStringList({"/data/Surveys/S981203101500.cdx", "/data/Surveys/S981203101500.fpt",
            "/data/Surveys/S981203101500.cpg"}));
}

} // namespace
