// The list commands, the editor's arithmetic and the template files, without a window.
#include "core/authoring/listediting.h"
#include "core/authoring/questionrows.h"
#include "core/authoring/questionrules.h"
#include "core/authoring/responsetemplate.h"
#include "core/base/commatext.h"
#include "core/base/profilefile.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int AddSingle(TSurvey& s, const QString& text, const QString& options = QStringLiteral("Yes,No"))
{
    return s.AddQuestion({text, qsSingleSelect, options, 0, false, 40, false, 40, 0, 0, 0});
}

TSurvey& Numbered(TSurvey& s, int count)
{
    for (int i = 0; i < count; ++i)
        AddSingle(s, QStringLiteral("Q%1").arg(i + 1));
    return s;
}

QStringList Texts(const TSurvey& s)
{
    QStringList texts;
    for (int i = 0; i < s.QuestionCount(); ++i)
        texts.append(s.GetQuestion(i).Text);
    return texts;
}

QStringList Labels(TSurvey& s)
{
    s.Renumber();
    QStringList labels;
    for (int i = 0; i < s.QuestionCount(); ++i)
        labels.append(s.GetQuestion(i).NumberLabel);
    return labels;
}

} // namespace

TEST(QuestionRules, AutomaticStep)
{
    struct Case {
        const char* Min;
        const char* Max;
        int Step;
        int Groups;
    };
    const Case cases[] = {
        {"1", "10", 10, 1},
        {"2", "10", 5, 2},
        {"5", "100", 9, 11}, // 100 / 5 exceeds 10: the range is cut in ten
        {"1", "200", 19, 10}, // 10.47 rounds down
        {"0", "10", 10, 1}, // a minimum of 0 counts as 1
        {"10", "5", 1, 1}, // a zero step falls back
        {"", "", 10, 1}, // empty boxes: 1 and 10
        {" 2 ", " 10 ", 5, 2},
        {"x", "10", 1, 1},
        {"1", "99999999999999999999", 1, 1},
        {"-2147483648", "2147483647", 1, 1}, // truncates to 0: falls back, no overflow
        {"4", "6", 1, 2},
    };
    for (const Case& c : cases) {
        const TStepProposal p = AutomaticStep(QString::fromLatin1(c.Min), QString::fromLatin1(c.Max));
        EXPECT_EQ(p.Step, c.Step) << c.Min << ".." << c.Max;
        EXPECT_EQ(p.Groups, c.Groups) << c.Min << ".." << c.Max;
    }
}

TEST(QuestionRules, GroupsRoundHalvesToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(StepGroups("1", "11", "4"), 2); // 10 / 4 = 2.5
    EXPECT_EQ(StepGroups("1", "15", "4"), 4); // 14 / 4 = 3.5
    EXPECT_EQ(StepGroups("1", "10", ""), 1); // empty step counts as 10
    EXPECT_EQ(StepGroups("1", "10", "0"), 1);
    EXPECT_EQ(StepGroups("1", "10", "abc"), 1);
    EXPECT_EQ(StepGroupCaption(11), QStringLiteral("(Results will be groups of 11)"));
}

TEST(QuestionRules, LengthValidationOrder)
{
    struct Case {
        bool Other;
        bool ResponsesPage;
        const char* OtherLength;
        bool Comment;
        const char* CommentLength;
        const char* Failing; // "" when accepted
    };
    const Case cases[] = {
        {true, true, "20", true, "20", "eOtherLength"}, // other is checked first
        {true, true, "30", true, "251", "eCommentLength"},
        {true, false, "20", false, "20", ""}, // other only counts on the responses page
        {false, false, "x", true, "20", "eCommentLength"}, // comment counts on any page
        {true, true, "abc", false, "", "eOtherLength"},
        {true, true, " 250 ", true, "30", ""},
        {false, true, "", false, "", ""},
    };
    for (const Case& c : cases) {
        QString failing;
        try {
            ValidateQuestionLengths(c.Other, c.ResponsesPage, QString::fromLatin1(c.OtherLength), c.Comment,
                QString::fromLatin1(c.CommentLength));
        } catch (const EValidationException& e) {
            failing = e.Field();
            EXPECT_EQ(e.Message(), QStringLiteral("You must enter a value between 30 and 250"));
        }
        EXPECT_EQ(failing, QString::fromLatin1(c.Failing)) << c.OtherLength << " " << c.CommentLength;
    }
}

TEST(QuestionRules, EditorValuesBecomeFields)
{
    TEditorValues v;
    v.Style = qsFreeFormText;
    v.Responses = QStringLiteral("a\nb\n");
    v.OtherLength = QStringLiteral("abc");
    v.CommentLength = QStringLiteral(" 60 ");
    v.Limited = true;
    v.Length = QStringLiteral("  ");
    const TQuestionContent f = FieldsFromEditor(v);
    EXPECT_EQ(SplitCommaText(f.Options), QStringList({"a", "b"}));
    EXPECT_EQ(f.OtherLength, 40);
    EXPECT_EQ(f.CommentLength, 60);
    EXPECT_EQ(f.LengthOfResponse, 0); // limited with an empty box
    v.Length = QStringLiteral("80");
    EXPECT_EQ(FieldsFromEditor(v).LengthOfResponse, 80);
    v.Style = qsSingleSelect; // only Free Form Text keeps a length
    EXPECT_EQ(FieldsFromEditor(v).LengthOfResponse, -1);
    EXPECT_EQ(MemoLines(QString()), QStringList());
    EXPECT_EQ(MemoLines(QStringLiteral("a\r\n\r\nb")), QStringList({"a", "", "b"}));

    // A huge pasted list survives the trip into the item's comma text and back.
    QStringList huge;
    for (int i = 0; i < 10000; ++i)
        huge.append(QStringLiteral("Option, \"%1\"").arg(i));
    v.Responses = huge.join(QLatin1Char('\n'));
    TSurvey survey;
    const int row = AddItem(survey, FieldsFromEditor(v), {});
    EXPECT_EQ(survey.GetQuestion(row).OptionList(), huge);

    TQuestion verbose;
    verbose.Style = qsFreeFormText;
    verbose.LengthOfResponse = -1;
    const TEditorValues shown = EditorFromItem(verbose);
    EXPECT_FALSE(shown.Limited);
    EXPECT_TRUE(shown.Length.isEmpty());
}

TEST(ListEditing, AddInsertsAfterTheOneSelectedRowElseAppends)
{
    TSurvey s;
    Numbered(s, 3);
    TQuestionContent f;
    f.Text = QStringLiteral("New");
    EXPECT_EQ(AddItem(s, f, {0}), 1);
    EXPECT_EQ(AddItem(s, f, {0, 2}), 4);
    EXPECT_EQ(AddItem(s, f, {}), 5);
    EXPECT_EQ(AddHeaderItem(s, QStringLiteral("H"), {5}), 6);
    EXPECT_EQ(AddHeaderItem(s, QStringLiteral("H0"), {0}), 1);
    EXPECT_EQ(Texts(s), QStringList({"Q1", "H0", "New", "Q2", "Q3", "New", "New", "H"}));
    EXPECT_EQ(s.GetQuestion(1).Style, qsHeader);
}

TEST(ListEditing, DeleteKeepsTheFocusedRowOrTakesTheNewLast)
{
    TSurvey s;
    Numbered(s, 5);
    EXPECT_EQ(DeleteItems(s, {1, 2}, 1), 1);
    EXPECT_EQ(Texts(s), QStringList({"Q1", "Q4", "Q5"}));
    EXPECT_EQ(DeleteItems(s, {1, 2}, 2), 0); // the last rows went: focus on the new last
    EXPECT_EQ(DeleteItems(s, {0}, 0), -1);
}

TEST(ListEditing, MovesKeepTheSelectionTogether)
{
    TSurvey s;
    Numbered(s, 5);
    EXPECT_EQ(MoveItemsUp(s, {1, 3}), std::vector<int>({0, 2}));
    EXPECT_EQ(Texts(s), QStringList({"Q2", "Q1", "Q4", "Q3", "Q5"}));
    EXPECT_EQ(MoveItemsDown(s, {2, 3}), std::vector<int>({3, 4}));
    EXPECT_EQ(Texts(s), QStringList({"Q2", "Q1", "Q5", "Q4", "Q3"}));
    // Rows at the edge stay, and those behind them do not jump over them.
    EXPECT_EQ(MoveItemsUp(s, {0, 1, 3}), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(Texts(s), QStringList({"Q2", "Q1", "Q4", "Q5", "Q3"}));
    EXPECT_EQ(MoveItemsDown(s, {3, 4}), std::vector<int>({3, 4}));
    EXPECT_TRUE(s.Modified());
}

TEST(ListEditing, CutAndPasteAppendAtTheEndAgainAndAgain)
{
    TSurvey s;
    TSurvey clip;
    Numbered(s, 5);
    s.GetQuestion(0).SkipGroupOfResponse = 0;
    s.GetQuestion(1).SkipGroupOfQuestion = s.GetQuestion(0).ID;
    const int lastID = s.LastID();
    s.Renumber();
    const QString text = CopyItems(s, {0, 1, 2}, clip);
    EXPECT_TRUE(text.contains(QStringLiteral("Q1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Q3")));
    DeleteItems(s, {0, 1, 2}, 0);
    EXPECT_EQ(PasteItems(clip, s), std::vector<int>({2, 3, 4}));
    EXPECT_EQ(PasteItems(clip, s), std::vector<int>({5, 6, 7}));
    EXPECT_EQ(Texts(s), QStringList({"Q4", "Q5", "Q1", "Q2", "Q3", "Q1", "Q2", "Q3"}));
    for (int i = 2; i < s.QuestionCount(); ++i) {
        EXPECT_GT(s.GetQuestion(i).ID, lastID);
        EXPECT_FALSE(s.GetQuestion(i).IsSkipGroupMember());
        EXPECT_FALSE(s.GetQuestion(i).OwnsSkipGroup());
    }
    EXPECT_EQ(clip.QuestionCount(), 3);
}

TEST(ListEditing, CopyOfAHeaderIsFramedText)
{
    TSurvey s;
    TSurvey clip;
    s.AddHeader(QStringLiteral("Part two"));
    s.Renumber();
    EXPECT_EQ(CopyItems(s, {0}, clip), QStringLiteral("---[ Part two]---\r\n\r\n"));
}

TEST(ListEditing, SkipGroupsAreCreatedAndAdjacentOnesUngroupedTogether)
{
    TSurvey s;
    Numbered(s, 3);
    EXPECT_FALSE(CreateSkipGroup(s, {0}, 0)); // no owner before the first row
    EXPECT_FALSE(CreateSkipGroup(s, {1, 2}, 2)); // the owner has two options
    ASSERT_TRUE(CreateSkipGroup(s, {1, 2}, 1));
    EXPECT_EQ(s.GetQuestion(0).SkipGroupOfResponse, 1);
    EXPECT_EQ(s.GetQuestion(1).SkipGroupOfQuestion, s.GetQuestion(0).ID);
    EXPECT_EQ(Labels(s), QStringList({"1", "1a", "1b"}));

    TSurvey t;
    Numbered(t, 6);
    ASSERT_TRUE(CreateSkipGroup(t, {2}, 0)); // owner Q2, member Q3
    ASSERT_TRUE(CreateSkipGroup(t, {4}, 0)); // owner Q4 right after, member Q5
    EXPECT_TRUE(HasAnySkipGroup(t));
    EXPECT_EQ(UngroupSkipGroup(t, {4}), 4);
    EXPECT_FALSE(HasAnySkipGroup(t));

    // An ordinary row selected above a member does not stop the command.
    ASSERT_TRUE(CreateSkipGroup(t, {3}, 0));
    EXPECT_EQ(UngroupSkipGroup(t, {0, 3}), 2);
    EXPECT_FALSE(HasAnySkipGroup(t));
}

TEST(ListEditing, TemplatesChangeOnlyChoiceQuestions)
{
    TSurvey s;
    s.AddHeader(QStringLiteral("H"));
    s.AddQuestion({QStringLiteral("N"), qsNumericValue, QString(), -1, false, 40, false, 40, 1, 10, 10});
    AddSingle(s, QStringLiteral("S"), QStringLiteral("a,b,c"));
    s.GetQuestion(2).SkipGroupOfResponse = 2;
    EXPECT_EQ(ApplyOptions(s, {0, 1, 2}, {"Yes", "No"}), 1);
    EXPECT_TRUE(s.GetQuestion(0).Options.isEmpty());
    EXPECT_TRUE(s.GetQuestion(1).Options.isEmpty());
    EXPECT_EQ(s.GetQuestion(2).OptionList(), QStringList({"Yes", "No"}));
    EXPECT_EQ(s.GetQuestion(2).SkipGroupOfResponse, 2); // may now point past the end
}

class ResponseTemplates : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Dir() const { return dir.path() + QLatin1Char('/'); }
    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile f(Dir() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(ResponseTemplates, ValuesComeInFileOrderWhateverTheKeys)
{
    Write("order.ovt", "[Details]\r\nTitle=Order\r\n[Values]\r\n2=Two\r\n1=One\r\n3=Three\r\n");
    const TResponseTemplate t = ReadResponseTemplate(Dir() + "order.ovt");
    EXPECT_EQ(t.Title, QStringLiteral("Order"));
    EXPECT_EQ(t.Options, QStringList({"Two", "One", "Three"}));

    Write("untitled.ovt", "[Values]\nx=1\n");
    EXPECT_EQ(ReadResponseTemplate(Dir() + "untitled.ovt").Title, QStringLiteral("Unknown"));
    const TResponseTemplate gone = ReadResponseTemplate(Dir() + "gone.ovt");
    EXPECT_EQ(gone.Title, QStringLiteral("Unknown"));
    EXPECT_TRUE(gone.Options.isEmpty());

    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>((i * 37 + 11) % 256));
    Write("junk.ovt", junk);
    const TResponseTemplate j = ReadResponseTemplate(Dir() + "junk.ovt"); // no crash, some result
    EXPECT_FALSE(j.Title.isEmpty());
}

TEST_F(ResponseTemplates, NewFilesTakeTheFirstFreeNumber)
{
    const auto first = CreateResponseTemplate(Dir(), QStringLiteral("A"), {"x"});
    const auto second = CreateResponseTemplate(Dir(), QStringLiteral("B"), {});
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->endsWith("rtemp0.ovt"));
    EXPECT_TRUE(second->endsWith("rtemp1.ovt"));
    QFile::remove(*first);
    EXPECT_TRUE(NextResponseTemplatePath(Dir()).endsWith("rtemp0.ovt"));
    EXPECT_FALSE(CreateResponseTemplate(Dir() + "missing/", QStringLiteral("C"), {"y"}));
}

TEST_F(ResponseTemplates, RewriteLeavesExactlyTheNewLines)
{
    Write("five.ovt",
        "; mine\r\n[Details]\r\nTitle=Five\r\n[Values]\r\n1=a\r\n2=b\r\n3=c\r\n4=d\r\n5=e\r\n"
        "[Other]\r\nk=v\r\n");
    ASSERT_TRUE(RewriteResponseTemplate(Dir() + "five.ovt", QStringLiteral("Five"), {"a", "", "c"}));
    const TProfileFile f(Dir() + "five.ovt");
    EXPECT_EQ(f.Keys("Values"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(ReadResponseTemplate(Dir() + "five.ovt").Options, QStringList({"a", "", "c"}));
    EXPECT_EQ(f.ReadString("Other", "k", ""), QStringLiteral("v"));
}

TEST_F(ResponseTemplates, ListsAndSorting)
{
    Write("b.ovt", "[Details]\nTitle=Bee\n");
    Write("A.ovt", "[Details]\nTitle=Ay\n");
    Write("c.ovg", "<html></html>");
    EXPECT_EQ(ResponseTemplateFiles(Dir()), QStringList({"A.ovt", "b.ovt"}));
    const auto display = ListTemplates(Dir(), TTemplateKind::Display);
    ASSERT_EQ(display.size(), 1u);
    EXPECT_EQ(display[0].Caption, QStringLiteral("c.ovg"));
    EXPECT_EQ(ListTemplates(Dir(), TTemplateKind::Response).size(), 2u);
}
