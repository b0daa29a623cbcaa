#include "core/responses/codebook.h"
#include "support/responsesurveys.h"

#include <gtest/gtest.h>

namespace {

QString Lines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

const QString D70(70, QLatin1Char('='));
const QString S50(50, QLatin1Char('-'));

TEST(Codebook, SingleSelectBlockWithOtherAndComments)
{
    TSurvey s;
    s.NewSurvey();
    AddWithID(s, 12, {qsSingleSelect, "Red,Green,\"Blue sky~Blue\"", true, true, 0, 0, 0, 40, 60},
        QStringLiteral("Favourite colour?"));
    const QString expected = Lines({
        D70,
        "Question:     Favourite colour?",
        "Style:        Single Select",
        "Field Name:   ORV12",
        "Field Type:   Character",
        "Responses:    \"0\" = Red",
        "              \"1\" = Green",
        "              \"2\" = Blue sky~Blue",
        "",
        "--[ Other Response ]" + S50,
        "Field Name:   ORV12OT",
        "Field Type:   Character",
        "Field Length: 40",
        "Responses:    Text description of \"Other\"",
        "",
        "--[ Comments ]" + S50,
        "Field Name:   ORV12CM",
        "Field Type:   Character",
        "Field Length: 60",
        "Responses:    Text description of \"Comments\"",
        "",
    });
    EXPECT_EQ(GetFieldMapping(s, 0), expected);
    EXPECT_EQ(GetCSVHeaderNames(s, 0), "\"ORV12CM\",\"ORV12\",\"ORV12OT\",");
}

TEST(Codebook, MultipleSelectLinesArePadded)
{
    TSurvey s;
    s.NewSurvey();
    AddWithID(s, 3, {qsMultipleSelect, "Tea,Coffee", true, false, 0, 0, 0, 30}, QStringLiteral("Drinks"));
    const QString expected = Lines({
        D70,
        "Question:     Drinks",
        "Style:        Multiple Select",
        "",
        "Field Name    Values    Response Option",
        "------------  --------  " + QString(45, QLatin1Char('-')),
        "ORV3_0        Y/N       Tea",
        "ORV3_1        Y/N       Coffee",
        "",
        "--[ Other Response ]" + S50,
        "Field Name:   ORV3",
        "Field Type:   Character",
        "Field Length: 1",
        "Responses:    Y/N (User Specified Other)",
        "Field Name:   ORV3OT",
        "Field Type:   Character",
        "Field Length: 30",
        "Responses:    Text description of \"Other\"",
        "",
    });
    EXPECT_EQ(GetFieldMapping(s, 0), expected);
}

TEST(Codebook, OtherStylesAndEdgeCases)
{
    struct TCase {
        const char* What;
        TQuestionSpec Q;
        QStringList Lines; // after the question line
    };
    const TCase cases[] = {
        {"no options", {qsPullDownList, ""},
            {"Style:        Single Select", "Field Name:   ORV5", "Field Type:   Character",
                "Responses:    \"Error - No responses found!", ""}},
        {"verbose text", {qsFreeFormText, "", true, true, -1},
            {"Style:        Comment (verbose)", "Field Name:   ORV5", "Field Type:   Memo", ""}},
        {"limited text", {qsFreeFormText, "", false, false, 80},
            {"Style:        Comment (limited)", "Field Name:   ORV5", "Field Type:   Character",
                "Field Length: 80", ""}},
        {"limited text kept in a memo", {qsFreeFormText, "", false, false, 300},
            {"Style:        Comment (limited)", "Field Name:   ORV5", "Field Type:   Memo", ""}},
        {"numeric", {qsNumericValue, ""},
            {"Style:        Numeric", "Field Name:   ORV5", "Field Type:   Numeric", "Field Length: 5", ""}},
    };
    for (const TCase& c : cases) {
        TSurvey s;
        s.NewSurvey();
        AddWithID(s, 5, c.Q, QStringLiteral("Text"));
        EXPECT_EQ(GetFieldMapping(s, 0), Lines(QStringList{D70, "Question:     Text"} + c.Lines)) << c.What;
    }
    TSurvey s;
    s.NewSurvey();
    s.AddHeader(QStringLiteral("Section"));
    EXPECT_EQ(GetFieldMapping(s, 0), QString());
    EXPECT_EQ(GetCSVHeaderNames(s, 0), QString());
}

TEST(Codebook, MappingTextAndHeaderLine)
{
    TSurvey s;
    s.NewSurvey();
    s.SetName(QStringLiteral("Poll"));
    AddWithID(s, 1, {qsNumericValue, ""}, QStringLiteral("Age"));
    s.AddHeader(QStringLiteral("Part 2"));
    AddWithID(s, 2, {qsFreeFormText, "", false, false, -1}, QStringLiteral("Tell us"));

    const QString text = FieldMappingText(s, QStringLiteral("/tmp/out/results.dbf"), false);
    const QString head = Lines({
        "Field Mapping for survey Poll(results.dbf)",
        QString(70, QLatin1Char('*')),
        "",
        D70,
        "Field Name:   REMOTEIP",
        "Field Type:   Character",
        "Field Length: 45",
        "Description:  Remote IP Address of respondent",
        "",
        D70,
        "Field Name:   EMAIL",
        "Field Type:   Character",
        "Field Length: 250",
        "Description:  Email Address of respondent (if identified in survey properties)",
        "",
    });
    EXPECT_TRUE(text.startsWith(head)) << qPrintable(text);
    EXPECT_TRUE(
        text.contains("Description:  Year, Month, Day, Hour, Minute, Second response was received\r\n\r\n"
            + D70 + "\r\nQuestion:     Age"));
    // A block ends with its own empty line, and saving adds one more line end.
    EXPECT_TRUE(text.contains("Field Length: 5\r\n\r\n\r\n" + D70 + "\r\nQuestion:     Tell us"));
    EXPECT_TRUE(text.endsWith("Field Type:   Memo\r\n\r\n\r\n"));

    EXPECT_TRUE(FieldMappingText(s, QStringLiteral("old.dbf"), false, 25)
                    .contains("REMOTEIP\r\n"
                              "Field Type:   Character\r\n"
                              "Field Length: 25\r\n"))
        << "a table made before keeps its narrower field";

    const QString csv = FieldMappingText(s, QStringLiteral("results.csv"), true);
    EXPECT_FALSE(csv.contains("Tell us"));
    EXPECT_TRUE(csv.endsWith("Field Length: 5\r\n\r\n\r\n"));
    EXPECT_EQ(CSVHeaderLine(s), "\"REMOTEIP\",\"EMAIL\",\"AGENT\",\"DATERCVD\",\"ORV1\",");
}

} // namespace
