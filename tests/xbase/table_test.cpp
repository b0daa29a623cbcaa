// TTable on real files: creating, filling, indexing, seeking, filtering, sharing, copying.

#include "support/assertok.h"
#include "xbase/cdxfile.h"
#include "xbase/filesystem.h"
#include "xbase/table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

std::vector<TFieldSpec> ListFields()
{
    return {{"FNAME", 'C', 30, 0}, {"LNAME", 'C', 30, 0}, {"EMAIL", 'C', 200, 0}, {"SCORE", 'N', 5, 0},
        {"NOTES", 'M', 10, 0}};
}

class TableTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    void AddPerson(TTable& t, const QString& f, const QString& l, const QString& e, long long score,
        const QString& notes = QString())
    {
        ASSERT_OK(t.Append());
        ASSERT_OK(t.AssignField("FNAME", f));
        ASSERT_OK(t.AssignField("LNAME", l));
        ASSERT_OK(t.AssignField("EMAIL", e));
        ASSERT_OK(t.AssignField("SCORE", score));
        if (!notes.isEmpty())
            ASSERT_OK(t.AssignField("NOTES", notes));
        ASSERT_OK(t.Commit());
    }

    QStringList Walk(TTable& t, const QString& field)
    {
        QStringList out;
        EXPECT_TRUE(t.First().ok());
        for (int guard = 0; !t.Eof() && guard < 100000; ++guard) {
            out << t.FieldText(field);
            EXPECT_TRUE(t.Skip().ok());
        }
        return out;
    }
};

TEST_F(TableTest, CreatesReadableTableWithMemoAndIndex)
{
    TTable t;
    ASSERT_OK(t.CreateTable(Path("list.eml"), ListFields()));
    EXPECT_EQ(t.VersionByte(), 0xF5);
    ASSERT_OK(t.CreateIndexTag("LNAME", "LNAME+FNAME", ".not. DELETED()"));
    ASSERT_OK(t.CreateIndexTag("EMAIL", "EMAIL"));
    AddPerson(t, "Zoë", "Brown", "zoe@example.org", 12, "line one\r\nline two");
    AddPerson(t, "Adam", "Adams", "adam@example.org", -3);
    AddPerson(t, "Cleo", "Brown", "cleo@example.org", 30, QString(56, QLatin1Char('x')));
    EXPECT_TRUE(QFile::exists(Path("list.fpt")));
    EXPECT_TRUE(QFile::exists(Path("list.cdx")));
    QFile cpg(Path("list.cpg"));
    ASSERT_TRUE(cpg.open(QIODevice::ReadOnly));
    EXPECT_EQ(cpg.readAll(), QByteArray("UTF-8"));
    ASSERT_OK(t.Close());

    TTable r;
    ASSERT_OK(r.Open(Path("list.eml")));
    EXPECT_FALSE(r.IndexWasRebuilt());
    EXPECT_EQ(r.RecordCount(), 3);
    EXPECT_EQ(r.TagCount(), 2);
    EXPECT_EQ(r.TagNumber("email"), 2);
    EXPECT_EQ(r.TagName(1), QStringLiteral("LNAME"));
    EXPECT_EQ(r.TagInfo(1).ForExpression, QStringLiteral(".not. DELETED()"));
    ASSERT_OK(r.Go(1));
    EXPECT_EQ(r.FieldText("FNAME"), QStringLiteral("Zoë"));
    EXPECT_EQ(r.MemoText("NOTES"), QStringLiteral("line one\r\nline two"));
    EXPECT_EQ(r.FieldNumber("SCORE"), 12);
    ASSERT_OK(r.Go(2));
    EXPECT_EQ(r.FieldNumber("SCORE"), -3);
    EXPECT_TRUE(r.FieldBlank("NOTES"));
    ASSERT_OK(r.Go(3));
    EXPECT_EQ(r.MemoText("NOTES"), QString(56, QLatin1Char('x')));

    ASSERT_OK(r.SetOrder(r.TagNumber("LNAME")));
    EXPECT_EQ(Walk(r, "FNAME"), (QStringList{"Adam", "Cleo", "Zoë"}));
}

TEST_F(TableTest, SeekFindsExactAndLeadingPartsAndTreatsEmptyKeyAsBlank)
{
    TTable t;
    ASSERT_OK(t.CreateTable(Path("r.dbf"), {{"REMOTEIP", 'C', 25, 0}, {"EMAIL", 'C', 250, 0}}));
    ASSERT_OK(t.CreateIndexTag("REMOTEIP", "REMOTEIP"));
    ASSERT_OK(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
    const QString longMail = QString(238, QLatin1Char('a')) + QStringLiteral("@x.org");
    const QStringList ips{"1.2.3.45", "1.2.3.4", "", "10.0.0.1"};
    const QStringList mails{"a@b.c", longMail, "", "c@d.e"};
    for (int i = 0; i < ips.size(); ++i) {
        ASSERT_OK(t.Append());
        ASSERT_OK(t.AssignField("REMOTEIP", ips[i]));
        ASSERT_OK(t.AssignField("EMAIL", mails[i]));
    }
    ASSERT_OK(t.Commit());
    ASSERT_OK(t.SetOrder(t.TagNumber("REMOTEIP")));
    struct Case {
        QString key;
        TSeekMode mode;
        int recno; // 0: not found
    } cases[] = {
        {"1.2.3.4", TSeekMode::Exact, 2},
        {"1.2.3.4", TSeekMode::Partial, 2},
        {"1.2.3.45", TSeekMode::Exact, 1},
        {"1.2.3", TSeekMode::Partial, 2},
        {"1.2.3", TSeekMode::Exact, 0},
        {"", TSeekMode::Partial, 3},
        {"   ", TSeekMode::Exact, 3},
        {"9", TSeekMode::Partial, 0},
        {"10.0.0.1", TSeekMode::Exact, 4},
    };
    for (const Case& c : cases) {
        const bool found = t.Seek(c.key, c.mode);
        EXPECT_EQ(found, c.recno != 0) << c.key.toStdString();
        if (found)
            EXPECT_EQ(t.RecNo(), c.recno) << c.key.toStdString();
        else
            EXPECT_TRUE(t.Eof());
    }
    ASSERT_OK(t.SetOrder(t.TagNumber("EMAIL")));
    ASSERT_TRUE(t.Seek(longMail, TSeekMode::Exact));
    EXPECT_EQ(t.FieldText("EMAIL"), longMail);
    EXPECT_FALSE(t.CreateIndexTag("WIDE", "EMAIL").ok()); // 250 bytes do not fit a key
}

TEST_F(TableTest, DeletedRecordsAreHiddenAndFiltersCompileOnce)
{
    TTable t;
    ASSERT_OK(t.CreateTable(Path("f.dbf"), ListFields()));
    ASSERT_OK(t.CreateIndexTag("LIVE", "LNAME", ".NOT. DELETED()"));
    AddPerson(t, "A", "One", "a@x", 3);
    AddPerson(t, "B", "Two", "b@x", 30);
    AddPerson(t, "C", "Three", "c@x", 7);
    ASSERT_OK(t.Go(2));
    ASSERT_OK(t.Delete());
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.VisibleCount(), 2);
    EXPECT_EQ(Walk(t, "FNAME"), (QStringList{"A", "C"}));
    ASSERT_OK(t.SetOrder(1));
    EXPECT_EQ(Walk(t, "FNAME"), (QStringList{"A", "C"})); // One, Three
    EXPECT_FALSE(t.Seek("Two"));
    ASSERT_OK(t.SetOrder(0));
    ASSERT_OK(t.SetFilter("SCORE > 5"));
    EXPECT_EQ(t.VisibleCount(), 1);
    EXPECT_EQ(Walk(t, "FNAME"), (QStringList{"C"}));
    EXPECT_FALSE(t.SetFilter("SCORE > nosuchfield").ok());
    ASSERT_OK(t.SetFilter(""));
    ASSERT_OK(t.Go(2));
    EXPECT_TRUE(t.Deleted());
    ASSERT_OK(t.Recall());
    EXPECT_EQ(t.VisibleCount(), 3);
    ASSERT_OK(t.SetOrder(1));
    EXPECT_TRUE(t.Seek("Two"));

    // Deleting in an order that drops deleted records: the next record follows, as in a list.
    ASSERT_TRUE(t.Seek("Three")); // order One, Three, Two
    ASSERT_OK(t.Delete());
    ASSERT_OK(t.Skip());
    EXPECT_EQ(t.FieldText("LNAME"), QStringLiteral("Two"));
    ASSERT_OK(t.Skip(-1));
    EXPECT_EQ(t.FieldText("LNAME"), QStringLiteral("One"));

    // Many at once, an edit pending and one record already deleted among them; a record out of
    // range refuses the whole call.
    AddPerson(t, "D", "Four", "d@x", 1);
    EXPECT_FALSE(t.DeleteMany({1, 5}).ok());
    ASSERT_OK(t.Go(4));
    EXPECT_FALSE(t.Deleted()); // the pending record went in, and no mark was made
    ASSERT_OK(t.Go(1));
    ASSERT_OK(t.AssignField("FNAME", QStringLiteral("A2")));
    ASSERT_OK(t.DeleteMany({4, 3, 4}));
    EXPECT_EQ(t.VisibleCount(), 2);
    ASSERT_OK(t.SetOrder(1));
    EXPECT_EQ(Walk(t, "FNAME"), (QStringList{"A2", "B"})); // One, Two
    ASSERT_OK(t.Go(3));
    EXPECT_TRUE(t.Deleted());
}

TEST_F(TableTest, SharedHandlesSeeEachOthersCommits)
{
    TTable a, b;
    ASSERT_OK(a.CreateTable(Path("s.dbf"), ListFields()));
    ASSERT_OK(a.CreateIndexTag("EMAIL", "EMAIL"));
    ASSERT_OK(b.Open(Path("s.dbf")));
    ASSERT_OK(b.SetOrder(1));
    AddPerson(a, "A", "One", "a@x", 1);
    EXPECT_EQ(b.RecordCount(), 1);
    EXPECT_TRUE(b.Seek("a@x"));
    AddPerson(b, "B", "Two", "b@x", 2);
    ASSERT_OK(a.SetOrder(1));
    EXPECT_TRUE(a.Seek("b@x"));
    EXPECT_EQ(a.RecNo(), 2);
    ASSERT_OK(a.AssignField("EMAIL", "z@x"));
    ASSERT_OK(a.Commit());
    EXPECT_FALSE(b.Seek("b@x"));
    EXPECT_TRUE(b.Seek("z@x"));
    EXPECT_EQ(b.FieldText("FNAME"), QStringLiteral("B"));
}

// A read batch sees the table as it was when it began; a writer on another handle waits for its
// end, and changes on the batch's own handle are refused without being lost.
TEST_F(TableTest, ReadBatchHoldsOffWritersUntilItEnds)
{
    TTable a, b;
    ASSERT_OK(a.CreateTable(Path("r.dbf"), ListFields()));
    ASSERT_OK(a.CreateIndexTag("EMAIL", "EMAIL"));
    AddPerson(a, "A", "One", "a@x", 1);
    ASSERT_OK(b.Open(Path("r.dbf")));
    ASSERT_OK(a.SetOrder(1));
    ASSERT_OK(a.BeginReadBatch());
    ASSERT_OK(a.BeginReadBatch()); // nested
    EXPECT_TRUE(a.Seek("a@x", TSeekMode::Exact));

    std::atomic<bool> committed{false};
    std::thread writer([&] {
        EXPECT_TRUE(b.Append().ok());
        EXPECT_TRUE(b.AssignField("EMAIL", "b@x").ok());
        EXPECT_TRUE(b.Commit().ok());
        committed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(committed);
    EXPECT_FALSE(a.Seek("b@x", TSeekMode::Exact));

    ASSERT_OK(a.Append());
    ASSERT_OK(a.AssignField("EMAIL", "c@x"));
    const TStatus refused = a.Commit();
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.Message().contains(QStringLiteral("read batch"))) << qPrintable(refused.Message());

    a.EndReadBatch();
    EXPECT_FALSE(committed); // the outer batch still holds the lock
    a.EndReadBatch();
    writer.join();
    EXPECT_TRUE(committed);
    ASSERT_OK(a.Commit()); // the refused record was kept
    EXPECT_TRUE(a.Seek("b@x", TSeekMode::Exact));
    EXPECT_TRUE(a.Seek("c@x", TSeekMode::Exact));
    EXPECT_EQ(a.RecordCount(), 3);
    a.EndReadBatch(); // one end too many does nothing
    EXPECT_EQ(b.RecordCount(), 3);
}

TEST_F(TableTest, CopiesTableAndText)
{
    TTable t;
    ASSERT_OK(t.CreateTable(Path("c.dbf"), ListFields()));
    ASSERT_OK(t.CreateIndexTag("EMAIL", "EMAIL"));
    AddPerson(t, "Ann \"Q\"", "Lee", "ann@x", 5, "memo text");
    AddPerson(t, "Bob", "Ray", "bob@x", 6);
    AddPerson(t, "Cy", "Doe", "cy@x", -9999, "gone");
    ASSERT_OK(t.Go(2));
    ASSERT_OK(t.Delete());
    ASSERT_OK(t.CopyTable(Path("copy.dbf")));
    ASSERT_OK(t.CopyText(Path("copy.csv")));

    TTable c;
    ASSERT_OK(c.Open(Path("copy.dbf")));
    EXPECT_FALSE(c.IndexWasRebuilt());
    EXPECT_EQ(c.RecordCount(), 2);
    ASSERT_OK(c.SetOrder(c.TagNumber("EMAIL")));
    ASSERT_TRUE(c.Seek("cy@x"));
    EXPECT_EQ(c.MemoText("NOTES"), QStringLiteral("gone"));
    EXPECT_EQ(c.FieldNumber("SCORE"), -9999);

    QFile csv(Path("copy.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(),
        QByteArray("\"Ann \"\"Q\"\"\",\"Lee\",\"ann@x\",5,\r\n"
                   "\"Cy\",\"Doe\",\"cy@x\",-9999,\r\n"));
}

TEST_F(TableTest, RefusesBadDefinitionsAndValues)
{
    TTable t;
    EXPECT_FALSE(t.CreateTable(Path("x.dbf"), {{"1BAD", 'C', 5, 0}}).ok());
    EXPECT_FALSE(t.CreateTable(Path("x.dbf"), {{"WIDE", 'C', 255, 0}}).ok());
    EXPECT_FALSE(t.CreateTable(Path("x.dbf"), {{"A", 'C', 5, 0}, {"a", 'C', 5, 0}}).ok());
    ASSERT_OK(t.CreateTable(Path("x.dbf"), {{"NAME", 'C', 4, 0}, {"N", 'N', 5, 0}}));
    EXPECT_FALSE(TTable().CreateTable(Path("x.dbf"), {{"NAME", 'C', 4, 0}}).ok()); // exists
    ASSERT_OK(t.Append());
    ASSERT_OK(t.AssignField("NAME", QStringLiteral("aéé"))); // 5 bytes: the second é must go whole
    EXPECT_EQ(t.FieldText("NAME"), QStringLiteral("aé"));
    EXPECT_FALSE(t.AssignField("N", 123456).ok());
    EXPECT_FALSE(t.AssignField("N", "abc").ok());
    EXPECT_FALSE(t.AssignField("NOPE", "x").ok());
    // By index: the same rules, and an index past the fields is refused, not written.
    EXPECT_FALSE(t.AssignField(1, 123456).ok());
    EXPECT_FALSE(t.AssignField(2, "x").ok());
    EXPECT_FALSE(t.AssignField(-1, 5).ok());
    EXPECT_FALSE(t.AssignNumber(2, 1.5).ok());
    ASSERT_OK(t.AssignField(1, -9999));
    ASSERT_OK(t.AssignField(0, QStringLiteral("abcd")));
    ASSERT_OK(t.Commit());
    EXPECT_EQ(t.FieldNumber("N"), -9999);
    EXPECT_EQ(t.FieldText("NAME"), QStringLiteral("abcd"));
    EXPECT_FALSE(t.Go(5).ok());
}

} // namespace

namespace {

// Tables of other programs carry their code page in the header (or a .cpg file beside them).
TEST(CodePageTest, TextIsConvertedToUnicode)
{
    struct Case {
        quint8 mark;
        QByteArray cpg; // empty: no .cpg file
        QByteArray stored;
        QString text;
    } cases[] = {
        {0x03, "", "Caf\xE9 \x80", QStringLiteral("Café €")}, // 1252
        {0x01, "", "Caf\x82 \x9C", QStringLiteral("Café £")}, // 437
        {0x02, "", "Caf\x82 \x9D", QStringLiteral("Café Ø")}, // 850
        {0x00, "", "na\xEFve", QStringLiteral("naïve")}, // no mark: Windows-1252
        {0x03, "UTF-8", "Caf\xC3\xA9", QStringLiteral("Café")}, // the .cpg file wins
        {0x00, "1252", "\x93q\x94", QStringLiteral("“q”")},
    };
    for (const Case& c : cases) {
        auto fs = std::make_shared<TMemoryFileSystem>();
        {
            TTable t(fs);
            ASSERT_OK(t.CreateTable("/c/t.dbf", {{"NAME", 'C', 10, 0}}));
            ASSERT_OK(t.Append());
            ASSERT_OK(t.Commit());
        }
        QByteArray bytes = fs->Content("/c/t.dbf");
        bytes[29] = char(c.mark);
        const int offset = 32 + 32 + 1 + 1; // header, one field, terminator, deletion flag
        bytes.replace(offset, c.stored.size(), c.stored);
        fs->SetContent("/c/t.dbf", bytes);
        if (c.cpg.isEmpty())
            (void)fs->Remove("/c/t.cpg");
        else
            fs->SetContent("/c/t.cpg", c.cpg);
        TTable t(fs);
        ASSERT_OK(t.OpenReadOnly("/c/t.dbf"));
        ASSERT_OK(t.Go(1));
        EXPECT_EQ(t.FieldText("NAME"), c.text) << int(c.mark);
        EXPECT_EQ(t.CodePageMark(), c.mark);
    }
}

} // namespace
