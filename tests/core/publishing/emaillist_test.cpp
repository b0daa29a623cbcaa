#include "core/publishing/emaillist.h"
#include "core/publishing/emaillisttext.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class EmailListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(list.Create(path), QString());
        ASSERT_EQ(list.AddMany({{"Ann", "Lee", "ann@example.org"}, {"Bob", "Adams", "bob@example.org"},
                      {"Cy", "Lee", "cy@example.org"}, {"Dee", "Zeta", "aaa@example.org"}}),
            QString());
    }
    QStringList Names(TEmailOrder order)
    {
        EXPECT_EQ(list.SetOrder(order), QString());
        QStringList names;
        for (int r : list.RecordsInOrder())
            names << list.Read(r).FirstName;
        return names;
    }

    QTemporaryDir dir;
    QString path = dir.filePath("people.eml");
    TEmailList list;
};

TEST_F(EmailListTest, TagsOrderTheLiveRecordsAndLeaveDeletedOnesOut)
{
    EXPECT_EQ(Names(TEmailOrder::LastName), QStringList({"Bob", "Ann", "Cy", "Dee"}));
    EXPECT_EQ(Names(TEmailOrder::FirstName), QStringList({"Ann", "Bob", "Cy", "Dee"}));
    EXPECT_EQ(Names(TEmailOrder::Email), QStringList({"Dee", "Ann", "Bob", "Cy"}));
    ASSERT_TRUE(list.Remove(1));
    EXPECT_EQ(Names(TEmailOrder::LastName), QStringList({"Bob", "Cy", "Dee"}));
    EXPECT_EQ(list.Table().RecordCount(), 4); // marked, not removed

    xbase::TTable& t = list.Table();
    for (const char* tag : {"LNAME", "FNAME", "EMAIL"})
        EXPECT_EQ(t.TagInfo(t.TagNumber(tag)).ForExpression.toUpper(), ".NOT. DELETED()") << tag;
}

// The grid sorts rows in memory; it must agree with the index tags, which the seeks use.
TEST_F(EmailListTest, RowsSortedInMemoryFollowTheIndexOrder)
{
    ASSERT_EQ(
        list.AddMany({{"Ann", "", "b@x"}, {"", "Lee", ""}, {"Ann!", "Le", "a b@x"}, {"Ann", "Le!", "a!@x"},
            {QString::fromUtf8("Zoë"), QString::fromUtf8("Ölund"), QString::fromUtf8("é@x")},
            {"ann", "lee", "ANN@x"}, {"Ann", "Lee", "ann@example.org"}}),
        QString());
    ASSERT_TRUE(list.Remove(2));
    for (TEmailOrder order : {TEmailOrder::FirstName, TEmailOrder::LastName, TEmailOrder::Email}) {
        ASSERT_EQ(list.SetOrder(order), QString());
        std::vector<int> sorted;
        for (const TEmailRow& row : list.RowsInOrder())
            sorted.push_back(row.Record);
        EXPECT_EQ(sorted, list.RecordsInOrder()) << OrderTagName(order).toStdString();
    }
}

TEST_F(EmailListTest, FindSeeksTheLeadingPartInTheCurrentOrder)
{
    ASSERT_EQ(list.SetOrder(TEmailOrder::LastName), QString());
    ASSERT_TRUE(list.Find("Le"));
    EXPECT_EQ(list.Table().FieldText("FNAME"), "Ann");
    EXPECT_FALSE(list.Find("Nobody"));
    EXPECT_TRUE(list.Table().Eof());
    ASSERT_EQ(list.SetOrder(TEmailOrder::Email), QString());
    ASSERT_TRUE(list.Find("cy@"));
    EXPECT_EQ(list.Table().FieldText("LNAME"), "Lee");
}

TEST_F(EmailListTest, ReopenedListStartsInLastNameOrderAndSaveAsMovesToTheCopy)
{
    list.Close();
    ASSERT_EQ(list.Open(path), QString());
    EXPECT_EQ(list.Order(), TEmailOrder::LastName);
    ASSERT_TRUE(list.Remove(2));
    const QString copy = dir.filePath("copy.eml");
    ASSERT_EQ(list.SaveAs(copy), QString());
    EXPECT_EQ(list.Path(), copy);
    EXPECT_EQ(list.Table().RecordCount(), 3); // the deleted record stays behind
    EXPECT_EQ(Names(TEmailOrder::LastName), QStringList({"Ann", "Cy", "Dee"}));
    TCreateListFailure failure;
    TEmailList other;
    EXPECT_NE(other.Create(copy, &failure), QString());
    EXPECT_EQ(failure, TCreateListFailure::Refused);
}

TEST(EmailListText, ImportLines)
{
    struct Case {
        const char* Text;
        std::vector<TEmailPerson> People;
    } cases[] = {
        {"Ann,Lee,ann@x.org\r\n", {{"Ann", "Lee", "ann@x.org"}}},
        {"a,b,c,d,e\n", {{"a", "b", "c"}}}, // after a third comma: ignored
        {"a,b\n", {{"a", "b", ""}}},
        {"x,y,z\n\nu,v,w", {{"x", "y", "z"}, {"", "", ""}, {"u", "v", "w"}}}, // an empty line is a person
        {"Ann ,Lee,ann@x.org   \r\n", {{"Ann ", "Lee", "ann@x.org"}}}, // only the line end is trimmed
        {"\"Lee, Jr.\",\"O\"\"Neil\",a@x\n", {{"Lee, Jr.", "O\"Neil", "a@x"}}}, // RFC 4180 quotes
        {"O\"Neil,b,c\n", {{"O\"Neil", "b", "c"}}}, // a quote inside a field is text
        {"\"two\nlines\",b,c\n", {{"two\nlines", "b", "c"}}},
        {"FNAME,LNAME,EMAIL\r\n", {{"FNAME", "LNAME", "EMAIL"}}}, // a header line is a person
    };
    for (const Case& c : cases) {
        const std::vector<TEmailPerson> got = ParseImportText(QString::fromUtf8(c.Text));
        ASSERT_EQ(got.size(), c.People.size()) << c.Text;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].FirstName, c.People[i].FirstName) << c.Text;
            EXPECT_EQ(got[i].LastName, c.People[i].LastName) << c.Text;
            EXPECT_EQ(got[i].Email, c.People[i].Email) << c.Text;
        }
    }
}

TEST(EmailListText, QuoteLeftOpenRefusesTheImportNamingItsLine)
{
    QString error;
    EXPECT_TRUE(
        ParseImportText(QStringLiteral("Ann,Lee,a@x\r\n\"Bo,Lee,b@x\r\nCy,Lee,c@x\r\n"), &error).empty());
    EXPECT_EQ(
        error, QStringLiteral("Line 2 opens a quoted field that is never closed; nothing was imported."));
    error.clear();
    EXPECT_EQ(ParseImportText(QStringLiteral("\"two\rlines\",b,c\r\"x"), &error).size(), 0u);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Line 3 "))) << error.toStdString();
}

TEST(EmailListText, CsvExportQuotesOnlyWhatNeedsItAndSurvivesARoundTrip)
{
    const std::vector<TEmailPerson> people
        = {{"Ann", "Lee", "ann@x.org"}, {"Lee, Jr.", "Say \"hi\"", "b@x.org"}, {"Zoë", "", "z@x.org"}};
    const QByteArray csv = FormatExport(people, TListTextFormat::Csv);
    EXPECT_EQ(csv,
        QByteArray("FNAME,LNAME,EMAIL\r\nAnn,Lee,ann@x.org\r\n\"Lee, Jr.\",\"Say \"\"hi\"\"\",b@x.org\r\n")
            + QString::fromUtf8("Zoë,,z@x.org\r\n").toUtf8());
    std::vector<TEmailPerson> back = ParseImportText(QString::fromUtf8(csv));
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[2].FirstName, "Lee, Jr.");
    EXPECT_EQ(back[2].LastName, "Say \"hi\"");
    EXPECT_EQ(back[3].FirstName, QString::fromUtf8("Zoë"));
}

TEST(EmailListText, TextExportPadsEveryFieldToItsWidth)
{
    const QList<QByteArray> lines
        = FormatExport({{"Ann", "Lee", "ann@x.org"}}, TListTextFormat::Text).split('\n');
    ASSERT_EQ(lines.size(), 4); // three lines and the end
    const QByteArray header = lines[0].chopped(1);
    EXPECT_EQ(header.size(), 260);
    EXPECT_TRUE(header.startsWith("FNAME" + QByteArray(25, ' ') + "LNAME"));
    EXPECT_EQ(lines[1].chopped(1),
        QByteArray(29, '-') + ' ' + QByteArray(29, '-') + ' ' + QByteArray(199, '-') + ' ');
    EXPECT_EQ(lines[2].chopped(1),
        "Ann" + QByteArray(27, ' ') + "Lee" + QByteArray(27, ' ') + "ann@x.org" + QByteArray(191, ' '));
}

TEST_F(EmailListTest, ExportFollowsTheCurrentOrderAndImportAppends)
{
    ASSERT_EQ(list.SetOrder(TEmailOrder::Email), QString());
    const QString csv = dir.filePath("out.csv");
    ASSERT_EQ(ExportListText(list, csv, FormatForFileName(csv)), QString());
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("FNAME,LNAME,EMAIL\r\nDee,Zeta,aaa@example.org\r\nAnn,"));
    ASSERT_EQ(ImportListText(list, csv), QString());
    EXPECT_EQ(list.Table().RecordCount(), 9); // four people and the header line
    EXPECT_NE(ImportListText(list, dir.filePath("missing.csv")), QString());
    EXPECT_EQ(EnsureExportExtension("a", TListTextFormat::Text), "a.txt");
    EXPECT_EQ(EnsureExportExtension("a.CSV", TListTextFormat::Csv), "a.CSV");
    EXPECT_EQ(EnsureEmlExtension("list.EML"), "list.EML");
    EXPECT_EQ(EnsureEmlExtension("list"), "list.eml");
}

} // namespace
