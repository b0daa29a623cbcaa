// Appends past the size a handle keeps in memory wait in a temporary file: they are stored whole
// by the commit (records, memos, keys), counted and numbered as if they were still in memory, and
// a commit that fails half-way through writing them leaves the files as they were.

#include "support/assertok.h"
#include "xbase/journal.h"
#include "xbase/table.h"
#include "xbase/tablecheck.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

// Records of about 4 KB: some 2,100 of them pass the size held in memory.
constexpr int kMany = 2600;

void MakeWideTable(TTable& t, const QString& path)
{
    std::vector<TFieldSpec> fields = {{"NAME", 'C', 40, 0}, {"NOTE", 'M', 10, 0}};
    for (int i = 1; i <= 16; ++i)
        fields.push_back({QStringLiteral("WIDE%1").arg(i), 'C', 250, 0});
    ASSERT_OK(t.CreateTable(path, fields));
    ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
    ASSERT_OK(t.CreateIndexTag("ODD", "NAME", "RIGHT(TRIM(NAME),1) $ '13579'"));
    for (int i = 0; i < 30; ++i) {
        ASSERT_OK(t.Append());
        ASSERT_OK(t.AssignField("NAME", QStringLiteral("old %1").arg(i * 37 % 101)));
    }
    ASSERT_OK(t.Commit());
}

QString Name(int i)
{
    return QStringLiteral("new %1").arg(i * 7919 % 10007);
}

QString Note(int i)
{
    return i % 3 == 0 ? QString(20 + i % 200, QChar('a' + i % 26)) : QString();
}

TStatus AppendMany(TTable& t)
{
    TStatus st;
    for (int i = 0; st.ok() && i < kMany; ++i) {
        st = t.Append();
        if (st.ok())
            st = t.AssignField("WIDE16", QStringLiteral("wide %1").arg(i));
        if (st.ok() && !Note(i).isEmpty())
            st = t.AssignField("NOTE", Note(i));
        if (st.ok())
            st = t.AssignField("NAME", Name(i)); // the current record changes after the others went
    }
    return st.ok() ? t.Commit() : st;
}

std::shared_ptr<TFileSystem> Borrow(TMemoryFileSystem& fs)
{
    return std::shared_ptr<TFileSystem>(&fs, [](TFileSystem*) {});
}

} // namespace

TEST(AppendSpillTest, ManyAppendsWaitOnDiskAndAreStoredWhole)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/w.dbf";
    {
        TTable t;
        MakeWideTable(t, path);
        for (int i = 0; i < kMany; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("WIDE16", QStringLiteral("wide %1").arg(i)));
            if (!Note(i).isEmpty())
                ASSERT_OK(t.AssignField("NOTE", Note(i)));
            ASSERT_OK(t.AssignField("NAME", Name(i)));
            ASSERT_EQ(t.RecNo(), 31 + i);
            ASSERT_EQ(t.FieldText("NAME"), Name(i));
        }
        EXPECT_EQ(t.RecordCount(), 30 + kMany);
        ASSERT_OK(t.Commit());
        EXPECT_EQ(t.RecNo(), 30 + kMany); // still on the last one
    }
    TTable t;
    ASSERT_OK(t.OpenReadOnly(path));
    ASSERT_EQ(t.RecordCount(), 30 + kMany);
    for (int i = 0; i < kMany; ++i) {
        ASSERT_OK(t.Go(31 + i));
        ASSERT_EQ(t.FieldText("NAME"), Name(i)) << i;
        ASSERT_EQ(t.FieldText("WIDE16"), QStringLiteral("wide %1").arg(i));
        ASSERT_EQ(t.FieldText("NOTE"), Note(i));
    }
    ASSERT_OK(t.SetOrder(t.TagNumber("NAME")));
    ASSERT_TRUE(t.Seek(Name(1234), TSeekMode::Exact));
    EXPECT_EQ(t.RecNo(), 31 + 1234);
    ASSERT_OK(t.Close());
    TTableCheck check;
    ASSERT_OK(CheckTable(path, &check));
    EXPECT_EQ(check.Problems, 0) << check.Lines.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(JournalPath(path)));
}

// The records that waited on disk go into the table file before its journal is complete: a
// failure at any point of the commit cuts them off again, and the handle still has every one.
TEST(AppendSpillTest, FullDiskDuringALargeCommitLeavesTheFilesAsBefore)
{
    TMemoryFileSystem fs;
    const QString path = QStringLiteral("/m/w.dbf");
    {
        TTable t(Borrow(fs));
        MakeWideTable(t, path);
    }
    const QStringList names = {"/m/w.dbf", "/m/w.fpt", "/m/w.cdx"};
    auto snapshot = [&] {
        QByteArrayList files;
        for (const QString& name : names)
            files << fs.Content(name);
        return files;
    };
    const QByteArrayList before = snapshot();
    QByteArrayList after;
    {
        TTable t(Borrow(fs));
        ASSERT_OK(t.Open(path));
        ASSERT_OK(AppendMany(t));
        after = snapshot();
    }
    const qint64 written = after[0].size() + after[1].size() + after[2].size();
    int failures = 0;
    for (qint64 budget = 0; budget < 3 * written; budget += written / 23 + 1) {
        SCOPED_TRACE(budget);
        for (int i = 0; i < names.size(); ++i)
            fs.SetContent(names[i], before[i]);
        TTable t(Borrow(fs));
        ASSERT_OK(t.Open(path));
        fs.SetWriteBudget(budget);
        const bool stored = AppendMany(t).ok();
        fs.SetWriteBudget(-1);
        if (stored) {
            ASSERT_TRUE(snapshot() == after);
            continue;
        }
        ++failures;
        EXPECT_FALSE(fs.Exists(JournalPath(path)));
        ASSERT_TRUE(snapshot() == before);
        ASSERT_OK(t.Commit()); // the same handle, with room again
        ASSERT_TRUE(snapshot() == after);
    }
    EXPECT_GT(failures, 10);
}
