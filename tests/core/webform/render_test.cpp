#include "core/webform/render.h"
#include "surveys.h"

#include <gtest/gtest.h>

namespace {

const QString P = QStringLiteral("<p>&nbsp;").repeated(40);

struct TLayout {
    bool Bold, Style2, Gotos;
};

TPageLayout PageLayoutOf(TLayout layout)
{
    return {.BoldQuestions = layout.Bold, .QuestionStyle2 = layout.Style2, .IncludeGotos = layout.Gotos};
}

// The ordinals page assembly hands to the renderer.
QString RenderAll(const TSurvey& survey, const TPageLayout& layout)
{
    QString out;
    int ordinal = 0;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        if (!survey.GetQuestion(i).IsRenderedAsHeader())
            ++ordinal;
        out += QStringLiteral("==== item %1, N=%2 ====\n").arg(i).arg(ordinal);
        out += RenderQuestionHTML(survey, i, ordinal, layout);
        out += QStringLiteral("\n");
    }
    return out;
}

TEST(RenderQuestionHTML, FragmentsOfSingleItems)
{
    struct Case {
        const char* What;
        TItemSpec Item;
        TLayout Layout;
        bool Last; // a second question follows unless set
        const char* Expected;
    };
    const Case cases[] = {
        {"single select, each option on its own line", {"Agree?", qsSingleSelect, "Yes,No"},
            {false, false, false}, false,
            "1) Agree?<p>\r\n<UL>\r\n<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"0\">Yes<br>"
            "<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"1\">No<br></UL><p>\r\n<A NAME=\"Question2\"></A>"},
        {"option codes after ~ never reach the page", {"Rate", qsSingleSelect, "\"Strongly agree~5\""},
            {false, false, false}, false,
            "1) Rate<p>\r\n<UL>\r\n<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"0\">Strongly "
            "agree<br></UL><p>\r\n"
            "<A NAME=\"Question2\"></A>"},
        {"bold title line", {"Age", qsNumericValue, ""}, {true, false, false}, false,
            "<B>1) Age</B><p>\r\n<UL>\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12\" SIZE=5 "
            "MAXLENGTH=5>\r\n</UL><p>\r\n"
            "<A NAME=\"Question2\"></A>"},
        {"long text answer: box 40 wide", {"Name", qsFreeFormText, "", 100}, {false, false, false}, false,
            "1) Name<p>\r\n<UL>\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12\" SIZE=40 MAXLENGTH=100>\r\n</UL><p>\r\n"
            "<A NAME=\"Question2\"></A>"},
        {"short text answer: box as wide as the answer", {"Name", qsFreeFormText, "", 25},
            {false, false, false}, false,
            "1) Name<p>\r\n<UL>\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12\" SIZE=25 MAXLENGTH=25>\r\n</UL><p>\r\n"
            "<A NAME=\"Question2\"></A>"},
        {"verbose text answer", {"Story", qsFreeFormText, "", -1}, {false, false, false}, false,
            "1) Story<p>\r\n<UL>\r\n<TEXTAREA NAME=\"orv12\" ROWS=4 COLS=40>\r\n</TEXTAREA>\r\n</UL><p>\r\n"
            "<A NAME=\"Question2\"></A>"},
        {"pull-down list follows its question without a paragraph break", {"Day", qsPullDownList, "Mon,Tue"},
            {false, false, false}, false,
            "1) Day\r\n<SELECT NAME=\"orv12\">\r\n    <OPTION VALUE=\" \" SELECTED>  \r\n    <OPTION "
            "VALUE=\"0\">Mon\r\n"
            "    <OPTION VALUE=\"1\">Tue\r\n</SELECT>\r\n</UL><p>\r\n<A NAME=\"Question2\"></A>"},
        {"pull-down list, bold", {"Day", qsPullDownList, "Mon"}, {true, false, false}, false,
            "<B>1) Day</B>\r\n<SELECT NAME=\"orv12\">\r\n    <OPTION VALUE=\" \" SELECTED>  \r\n    <OPTION "
            "VALUE=\"0\">Mon\r\n"
            "</SELECT>\r\n</UL><p>\r\n<A NAME=\"Question2\"></A>"},
        {"pull-down list with Other", {"Day", qsPullDownList, "Mon", 0, true}, {false, false, false}, false,
            "1) Day<p>\r\n<UL>\r\n<SELECT NAME=\"orv12\">\r\n    <OPTION VALUE=\" \" SELECTED>  \r\n    "
            "<OPTION VALUE=\"0\">Mon\r\n"
            "    <OPTION VALUE=\"Other\">Other\r\n</SELECT><p>\r\nIf you selected other please "
            "specify:<br>\r\n"
            "<INPUT TYPE=\"TEXT\" NAME=\"orv12Other\" SIZE=40 MAXLENGTH=35>\r\n</UL><p>\r\n<A "
            "NAME=\"Question2\"></A>"},
        {"one-line pull-down list: question text after the list, no trailer",
            {"Day", qsPullDownList, "Mon", 0, false, true}, {false, true, true}, false,
            "<SELECT NAME=\"orv12\">\r\n    <OPTION VALUE=\" \" SELECTED>  \r\n    <OPTION "
            "VALUE=\"0\">Mon\r\n"
            "</SELECT>&nbsp;&nbsp;&nbsp;Day<br>\r\n"},
        {"one-line rating: no title line, no comment box, no anchor",
            {"Food", qsSlidingScale, "Bad,Good", 0, false, true}, {false, true, false}, false,
            "<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"0\">Bad&nbsp;&nbsp;<INPUT TYPE=\"RADIO\" "
            "NAME=\"orv12\" "
            "VALUE=\"1\">Good&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Food<br>\r\n"},
        {"one-line rating with Other", {"Food", qsSlidingScale, "Bad", 0, true}, {true, true, false}, false,
            "<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"0\">Bad&nbsp;&nbsp;&nbsp;&nbsp;<INPUT "
            "TYPE=\"RADIO\" NAME=\"orv12\" "
            "VALUE=\"Other\">Other (Please specify):&nbsp;<INPUT TYPE=\"TEXT\" NAME=\"orv12Other\" SIZE=40 "
            "MAXLENGTH=35>\r\n"
            "&nbsp;&nbsp;&nbsp;Food<br>\r\n"},
        {"one-line layout keeps the title of other styles, without number", {"Age", qsNumericValue, ""},
            {false, true, false}, false,
            "Age<p>\r\n<UL>\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12\" SIZE=5 MAXLENGTH=5>\r\n</UL><p>\r\n<A "
            "NAME=\"Question2\"></A>"},
        {"multiple select with Other and comment", {"Rooms", qsMultipleSelect, "A,B", 0, true, true},
            {false, false, false}, false,
            "1) Rooms<p>\r\n<UL>\r\n<INPUT TYPE=\"CHECKBOX\" NAME=\"orv12-0\" VALUE=\"1\">A<br>"
            "<INPUT TYPE=\"CHECKBOX\" NAME=\"orv12-1\" VALUE=\"1\">B<br><br>\r\n"
            "<INPUT TYPE=\"CHECKBOX\" NAME=\"orv12\" VALUE=\"Other\">Other (Please specify):&nbsp;\r\n"
            "<INPUT TYPE=\"TEXT\" NAME=\"orv12Other\" SIZE=40 MAXLENGTH=35>\r\n</UL><p>\r\n"
            "<p>Additional Comments:&nbsp;\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12Comment\" SIZE=40 "
            "MAXLENGTH=120>\r\n<p>"
            "<A NAME=\"Question2\"></A>"},
        {"rating in a row with jump links", {"Food", qsSlidingScale, "Bad,Good"}, {false, false, true}, false,
            "1) Food<p>\r\n<UL>\r\n<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"0\">Bad&nbsp;&nbsp;"
            "<INPUT TYPE=\"RADIO\" NAME=\"orv12\" VALUE=\"1\">Good&nbsp;&nbsp;</UL><p>\r\n"
            "<SMALL>[ <A HREF=\"#Question2\">Go to next question</A> ]</SMALL><p>"},
        {"last question with jump links: Go to End and no anchor", {"Age", qsNumericValue, ""},
            {false, false, true}, true,
            "1) Age<p>\r\n<UL>\r\n<INPUT TYPE=\"TEXT\" NAME=\"orv12\" SIZE=5 MAXLENGTH=5>\r\n</UL><p>\r\n"
            "<SMALL>[ <A HREF=\"#EndOfSurvey\">Go to End</A> ]</SMALL><p>"},
        {"header", {"Part two", qsHeader, ""}, {true, false, true}, false, "<H3>Part two</H3><p>\r\n"},
        {"header in the one-line layout", {"Part two", qsHeader, ""}, {false, true, false}, false,
            "<B>Part two</B><p>\r\n"},
        {"unknown style code renders as a header", {"Odd", 9, ""}, {false, false, false}, false,
            "<H3>Odd</H3><p>\r\n"},
    };
    for (const Case& c : cases) {
        TSurvey survey;
        survey.NewSurvey();
        AddItem(survey, c.Item, 12);
        if (!c.Last)
            AddItem(survey, {"Next", qsNumericValue, ""}, 13);
        survey.Renumber();
        const int ordinal = c.Item.Style >= 1 && c.Item.Style <= 6 ? 1 : 0;
        QString expected = QString::fromUtf8(c.Expected);
        // The jump cases end with the blank space and, unless last, the next anchor.
        if (c.Layout.Gotos && !c.Layout.Style2 && c.Item.Style >= 1 && c.Item.Style <= 6)
            expected += P + (c.Last ? QString() : QStringLiteral("<A NAME=\"Question2\"></A>"));
        EXPECT_EQ(RenderQuestionHTML(survey, 0, ordinal, PageLayoutOf(c.Layout)), expected) << c.What;
    }
}

TEST(RenderQuestionHTML, SkipGroupJumps)
{
    auto survey = SkipGroupSurvey();
    const TPageLayout gotos{.IncludeGotos = true};
    const QString lead = QStringLiteral("<SMALL>&nbsp;&nbsp;&nbsp;");
    // Q1 owns 1a and 1b; "No" skips them to question 2, the ordinal-4 item.
    EXPECT_EQ(RenderQuestionHTML(*survey, 0, 1, gotos),
        QStringLiteral("1) Do you drive?<p>\r\n<UL>\r\n<INPUT TYPE=\"RADIO\" NAME=\"orv1\" VALUE=\"0\">Yes")
            + lead + QStringLiteral("<A HREF=\"#Question2\">If Yes then go to 1a</A></SMALL><br>")
            + QStringLiteral("<INPUT TYPE=\"RADIO\" NAME=\"orv1\" VALUE=\"1\">No") + lead
            + QStringLiteral("<A HREF=\"#Question4\">If No then go to 2</A></SMALL><br>")
            + QStringLiteral("<INPUT TYPE=\"RADIO\" NAME=\"orv1\" VALUE=\"2\">Sometimes") + lead
            + QStringLiteral("<A HREF=\"#Question2\">If Sometimes then go to 1a</A></SMALL><br>")
            + QStringLiteral("</UL><p>\r\n") + P + QStringLiteral("<A NAME=\"Question2\"></A>"));
    // Q2's group runs to the end of the survey: its skipping answer leads to the end.
    const QString q2 = RenderQuestionHTML(*survey, 3, 4, gotos);
    EXPECT_TRUE(q2.contains(QStringLiteral("VALUE=\"0\">Yes") + lead
        + QStringLiteral("<A HREF=\"#Question5\">If Yes then go to 2a</A></SMALL><br>")))
        << qPrintable(q2);
    EXPECT_TRUE(q2.contains(QStringLiteral("VALUE=\"1\">No") + lead
        + QStringLiteral("<A HREF=\"#EndOfSurvey\">Go to End</A></SMALL><br>")))
        << qPrintable(q2);
    // An owner gets the blank space and the anchor, but no "Go to next question".
    EXPECT_TRUE(
        q2.endsWith(QStringLiteral("</UL><p>\r\n") + P + QStringLiteral("<A NAME=\"Question5\"></A>")));
    // A skip-group owner in the last position offers "then go to End" for the other answers.
    survey->DeleteQuestion(4);
    survey->Renumber();
    EXPECT_TRUE(
        RenderQuestionHTML(*survey, 3, 4, gotos)
            .contains(QStringLiteral("<A HREF=\"#Question5\">If Yes then go to End</A></SMALL><br>")));
}

TEST(RenderQuestionHTML, StaleSkipDistanceDoesNotReadPastTheList)
{
    auto survey = SkipGroupSurvey();
    survey->GetQuestion(0).SkipDistance = 50;
    EXPECT_TRUE(RenderQuestionHTML(*survey, 0, 1, {}).contains(QStringLiteral("\">If No then go to </A>")));
    EXPECT_EQ(RenderQuestionHTML(*survey, 99, 1, {}), QString());
}

TEST(RenderQuestionHTML, HeaderAfterOneLineItemsGetsItsOwnParagraph)
{
    TSurvey survey;
    survey.NewSurvey();
    AddItem(survey, {"Food", qsSlidingScale, "Bad,Good"}, 1);
    AddItem(survey, {"Drinks", qsHeader, ""}, 2);
    AddItem(survey, {"Day", qsPullDownList, "Mon"}, 3);
    AddItem(survey, {"More", qsHeader, ""}, 4);
    AddItem(survey, {"Age", qsNumericValue, ""}, 5);
    AddItem(survey, {"End", qsHeader, ""}, 6);
    const TPageLayout oneLine{.QuestionStyle2 = true};
    EXPECT_EQ(RenderQuestionHTML(survey, 1, 1, oneLine), QStringLiteral("<p><B>Drinks</B><p>\r\n"));
    EXPECT_EQ(RenderQuestionHTML(survey, 3, 2, oneLine), QStringLiteral("<p><B>More</B><p>\r\n"));
    EXPECT_EQ(RenderQuestionHTML(survey, 5, 3, oneLine), QStringLiteral("<B>End</B><p>\r\n"));
}

// Every style in each of the eight layouts, against the reviewed golden files.
TEST(RenderQuestionHTML, GoldenFragmentsForEveryLayout)
{
    auto survey = AllStylesSurvey();
    for (int bits = 0; bits < 8; ++bits) {
        const TLayout layout{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        const QString name = QStringLiteral("fragments-bold%1-style2%2-gotos%3.txt")
                                 .arg(int(layout.Bold))
                                 .arg(int(layout.Style2))
                                 .arg(int(layout.Gotos));
        const QString diff = CompareWithGolden(name, RenderAll(*survey, PageLayoutOf(layout)).toUtf8());
        EXPECT_TRUE(diff.isEmpty()) << qPrintable(diff);
    }
    auto groups = SkipGroupSurvey();
    const QString diff = CompareWithGolden(QStringLiteral("fragments-skipgroups.txt"),
        RenderAll(*groups, PageLayoutOf({false, false, true})).toUtf8());
    EXPECT_TRUE(diff.isEmpty()) << qPrintable(diff);
}

TEST(RenderQuestionText, BlocksByStyle)
{
    struct Case {
        TItemSpec Item;
        const char* Expected;
    };
    const Case cases[] = {
        {{"Part two", qsHeader, ""}, "---[ Part two]---\r\n\r\n"},
        {{"Rooms?", qsMultipleSelect, "Lobby,Hall~2", 0, true},
            "Rooms?\r\n(Select all that apply)\r\n\r\n[ ] Lobby\r\n[ ] Hall~2\r\n\r\nOther (Please specify): "
            "________________________________________\r\n\r\n\r\n"},
        {{"Member?", qsSingleSelect, "Yes,No"},
            "Member?\r\n(Select only one)\r\n\r\n( ) Yes\r\n( ) No\r\n\r\n\r\n"},
        {{"Odd", 0, "A"}, "Odd\r\n(Select only one)\r\n\r\n( ) A\r\n\r\n\r\n"},
        {{"Name", qsFreeFormText, "", 5}, "Name\r\n(Type in your response below)\r\n\r\n_____\r\n\r\n"},
        {{"Story", qsFreeFormText, "", -1}, "Story\r\n(Type in your response below)\r\n\r\n\r\n\r\n\r\n\r\n"},
        {{"Age", qsNumericValue, ""}, "Age\r\n(Please enter the value below)\r\n\r\n______\r\n\r\n"},
    };
    for (const Case& c : cases) {
        TSurvey survey;
        survey.NewSurvey();
        AddItem(survey, c.Item, 1);
        EXPECT_EQ(RenderQuestionText(survey, 0), QString::fromUtf8(c.Expected)) << c.Item.Text.toStdString();
    }
}

} // namespace
