#include "core/authoring/questionimport.h"
#include "core/survey/survey.h"
#include "support/testsurvey.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TItem {
    QString Text;
    int Style;
    QStringList Options;
    bool operator==(const TItem&) const = default;
};

void PrintTo(const TItem& item, std::ostream* os)
{
    *os << "{" << item.Text.toStdString() << ", " << item.Style << ", ["
        << item.Options.join("|").toStdString() << "]}";
}

std::vector<TItem> Items(const TSurvey& survey)
{
    std::vector<TItem> items;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        items.push_back({q.Text, q.Style, q.OptionList()});
    }
    return items;
}

class TQuestionImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        survey.NewSurvey();
        WriteBytes(
            dir.filePath("rtemp0.ovt"), "[Details]\r\nTitle=Yes or no\r\n[Values]\r\n1=Yes\r\n2=No\r\n");
        WriteBytes(dir.filePath("rtemp1.ovt"),
            "[Details]\r\nTitle=Age ranges\r\n[Values]\r\n1=Under 18\r\n2=18 to 64\r\n3=65 or older\r\n");
    }
    std::vector<TItem> Import(const QByteArray& text, int style = qsSingleSelect)
    {
        WriteBytes(dir.filePath("in.txt"), text);
        EXPECT_EQ(ImportQuestionsFromFile(survey, dir.filePath("in.txt"), style, dir.path()), QString());
        return Items(survey);
    }
    QTemporaryDir dir;
    TSurvey survey;
};

TEST(ImportLines, ClassifiedByTheirFirstCharacters)
{
    struct {
        QString line;
        TImportLine kind;
    } cases[] = {
        {"H) Section two", TImportLine::Header},
        {"h)x", TImportLine::Header},
        {" Yes", TImportLine::Option},
        {"  -Age", TImportLine::TemplateReference},
        {" x-y", TImportLine::Option},
        {"\tIndented", TImportLine::Question},
        {QString(QChar(4)), TImportLine::Ignored},
        {"", TImportLine::Question},
        {"1. Do you own a car?", TImportLine::Question},
        {"-Age", TImportLine::Question},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyImportLine(c.line), c.kind) << c.line.toStdString();
}

TEST_F(TQuestionImport, SixLineExampleWithTemplate)
{
    const auto items = Import(
        "1. Do you own a car?\r\n Yes\r\n No\r\nH) Section two\r\n2. Age?\r\n -Age\r\n", qsMultipleSelect);
    const std::vector<TItem> expected{
        {"1. Do you own a car?", qsMultipleSelect, {"Yes", "No"}},
        {" Section two", qsHeader, {}},
        {"2. Age?", qsMultipleSelect, {"Under 18", "18 to 64", "65 or older"}},
    };
    EXPECT_EQ(items, expected);
    const TQuestion& q = survey.GetQuestion(0);
    EXPECT_EQ(q.LengthOfResponse, 0);
    EXPECT_FALSE(q.IncludeOther);
    EXPECT_FALSE(q.IncludeComment);
    EXPECT_EQ(q.OtherLength, 40);
    EXPECT_EQ(q.CommentLength, 40);
}

TEST_F(TQuestionImport, UnmatchedTemplateLineIsAnOptionAsWritten)
{
    const auto items = Import("Q\n -Nothing like this\n -rtemp1.ovt|Age\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Options, (QStringList{" -Nothing like this", "Under 18", "18 to 64", "65 or older"}));
}

TEST_F(TQuestionImport, EdgeLines)
{
    const auto items = Import(" early\nFirst\nH)x\nh)x\nNo options\n\x04\n\tTabbed\n\n late\nLast\n");
    const std::vector<TItem> expected{
        {"First", qsSingleSelect, {"early"}}, {"x", qsHeader, {}}, {"x", qsHeader, {}},
        {"No options", qsSingleSelect, {}}, {"\tTabbed", qsSingleSelect, {}},
        {"Last", qsSingleSelect, {"late"}}, // the empty line started no question
    };
    EXPECT_EQ(items, expected);
}

TEST_F(TQuestionImport, UnreadableFileIsReported)
{
    const QString missing = dir.filePath("missing.txt");
    EXPECT_EQ(ImportQuestionsFromFile(survey, missing, qsSingleSelect, dir.path()),
        "Error loading file " + missing);
    EXPECT_EQ(survey.QuestionCount(), 0);
}

} // namespace
