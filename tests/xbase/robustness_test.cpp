// The index stays a valid, exact CDX through random changes; crashes and a second writer leave
// committed records intact; damaged and random files are refused, never crash or hang.

#include "xbase/cdxfile.h"
#include "xbase/filesystem.h"
#include "xbase/table.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

#define ASSERT_OK(expr)                                                                                      \
    do {                                                                                                     \
        const TStatus st_ = (expr);                                                                          \
        ASSERT_TRUE(st_.ok()) << st_.Message().toStdString();                                                \
    } while (0)

const std::vector<TFieldSpec> kFields
    = {{"NAME", 'C', 30, 0}, {"CODE", 'C', 3, 0}, {"SCORE", 'N', 7, 0}, {"NOTE", 'M', 10, 0}};

void MakeIndexedTable(TTable& t, const QString& path)
{
    ASSERT_OK(t.CreateTable(path, kFields));
    ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
    ASSERT_OK(t.CreateIndexTag("LIVE", "UPPER(NAME)+CODE", ".NOT. DELETED()"));
    ASSERT_OK(t.CreateIndexTag("SCORE", "SCORE", "", true));
    ASSERT_OK(t.CreateIndexTag("ODD", "CODE", "SCORE > 500"));
}

QString RandomName(QRandomGenerator& rng)
{
    static const char* stems[] = {"ann", "bob", "ann ", "annabel", "zed", "Ärger", "bo", "b"};
    QString s = QString::fromUtf8(stems[rng.bounded(8)]);
    for (int i = int(rng.bounded(4)); i > 0; --i)
        s += QChar('a' + int(rng.bounded(26)));
    return s;
}

// Every tag of the file at `cdxBytes` is a valid tree (strict rules) and holds exactly what a
// fresh build from the records gives.
void ExpectIndexExact(TMemoryFileSystem& fs, const QString& tablePath, const QString& cdxPath)
{
    const QByteArray bytes = fs.Content(cdxPath);
    std::vector<TCdxTagHeader> headers;
    ASSERT_OK(ReadCdxTags(bytes, &headers));
    ASSERT_EQ(headers.size(), 4u);
    for (const TCdxTagHeader& h : headers) {
        std::vector<TCdxEntry> entries;
        const char fill = h.Name == QLatin1String("SCORE") ? '\0' : ' ';
        ASSERT_OK(ReadCdxEntries(bytes, h, fill, &entries, true));
    }
    auto shared = std::shared_ptr<TFileSystem>(&fs, [](TFileSystem*) {});
    TTable fresh(shared);
    ASSERT_OK(fresh.OpenReadOnly(tablePath));
    EXPECT_FALSE(fresh.IndexWasRebuilt()) << "the index differs from a rebuilt one";
}

TEST(RobustnessTest, IndexMatchesRebuildAfterRandomChanges)
{
    auto fs = std::make_shared<TMemoryFileSystem>();
    TTable t(fs);
    MakeIndexedTable(t, "/m/t.dbf");
    QRandomGenerator rng(12345);
    int count = 0;
    for (int round = 0; round < 40; ++round) {
        // A batch of appends, committed together or one by one.
        const int batch = int(rng.bounded(120));
        const bool together = rng.bounded(2);
        for (int i = 0; i < batch; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", RandomName(rng)));
            ASSERT_OK(t.AssignField("CODE", QString::number(rng.bounded(40))));
            ASSERT_OK(t.AssignField("SCORE", (long long)rng.bounded(2000) - 1000));
            if (rng.bounded(3) == 0)
                ASSERT_OK(t.AssignField("NOTE", RandomName(rng).repeated(int(rng.bounded(20)))));
            if (!together)
                ASSERT_OK(t.Commit());
        }
        ASSERT_OK(t.Commit());
        count += batch;
        // Edits, deletions and recalls of random records.
        for (int i = 0; count > 0 && i < 25; ++i) {
            ASSERT_OK(t.Go(1 + int(rng.bounded(count))));
            switch (rng.bounded(4)) {
            case 0:
                ASSERT_OK(t.Delete());
                break;
            case 1:
                ASSERT_OK(t.Recall());
                break;
            default:
                ASSERT_OK(t.AssignField("NAME", RandomName(rng)));
                ASSERT_OK(t.AssignField("SCORE", (long long)rng.bounded(2000) - 1000));
                ASSERT_OK(t.Commit());
            }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectIndexExact(*fs, "/m/t.dbf", "/m/t.cdx"));
    }
    EXPECT_EQ(t.RecordCount(), count);
    EXPECT_GT(fs->Content("/m/t.cdx").size(), 40 * 512); // several levels of nodes were needed
}

TEST(RobustnessTest, CommitOnAFullDiskStoresNothing)
{
    auto fs = std::make_shared<TMemoryFileSystem>();
    {
        TTable t(fs);
        MakeIndexedTable(t, "/m/d.dbf");
        for (int i = 0; i < 50; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", QStringLiteral("n%1").arg(i)));
        }
        ASSERT_OK(t.Commit());
    }
    // Budgets that stop the journal, the memo, and the records in turn.
    for (qint64 budget : {0, 10, 100, 700}) {
        SCOPED_TRACE(budget);
        TTable t(fs);
        ASSERT_OK(t.Open("/m/d.dbf"));
        ASSERT_OK(t.Go(3));
        ASSERT_OK(t.AssignField("NAME", QStringLiteral("changed")));
        ASSERT_OK(t.Append()); // commits the edit (no space needed)
        ASSERT_OK(t.AssignField("NAME", QStringLiteral("lost")));
        ASSERT_OK(t.AssignField("NOTE", QString(300, QLatin1Char('m'))));
        fs->SetWriteBudget(budget);
        for (int attempt = 0; attempt < 3; ++attempt) { // retries fail the same way
            EXPECT_FALSE(t.Commit().ok());
            TTable other(fs); // what is on disk now
            ASSERT_OK(other.OpenReadOnly("/m/d.dbf"));
            EXPECT_EQ(other.RecordCount(), 50);
            EXPECT_FALSE(other.IndexWasRebuilt());
            ASSERT_OK(other.SetOrder(other.TagNumber("NAME")));
            EXPECT_TRUE(other.Seek("changed"));
        }
        EXPECT_FALSE(t.Close().ok()); // closing retries, fails, and drops the append
        fs->SetWriteBudget(-1);
        ASSERT_OK(t.Open("/m/d.dbf"));
        ASSERT_OK(t.Go(3));
        ASSERT_OK(t.AssignField("NAME", QStringLiteral("n2")));
        ASSERT_OK(t.Commit());
    }
    TTable r(fs);
    ASSERT_OK(r.Open("/m/d.dbf"));
    EXPECT_EQ(r.RecordCount(), 50);
    ASSERT_OK(r.SetOrder(r.TagNumber("NAME")));
    EXPECT_TRUE(r.Seek("n49"));
    EXPECT_EQ(r.RecNo(), 50);
}

// Children write; the parent checks what they left.
void AppendForever(const QString& path, int writeFd, const QString& tag)
{
    TTable t;
    if (!t.Open(path).ok())
        _exit(3);
    for (int i = 1;; ++i) {
        if (!t.Append().ok() || !t.AssignField("NAME", QStringLiteral("%1-%2").arg(tag).arg(i)).ok()
            || !t.AssignField("SCORE", (long long)i).ok()
            || !t.AssignField("NOTE", QStringLiteral("memo %1").arg(i)).ok() || !t.Commit().ok())
            _exit(4);
        if (writeFd >= 0 && ::write(writeFd, &i, sizeof i) != sizeof i)
            _exit(5);
        if (tag != QLatin1String("k") && i == 150)
            _exit(0);
    }
}

TEST(RobustnessTest, KilledWriterLeavesEveryCommittedRecord)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/crash.dbf";
    {
        TTable t;
        MakeIndexedTable(t, path);
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        AppendForever(path, fds[1], "k");
    }
    ::close(fds[1]);
    int last = 0, value = 0;
    while (last < 120 && ::read(fds[0], &value, sizeof value) == sizeof value)
        last = value;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(fds[0]);
    ASSERT_GE(last, 120);

    TTable t;
    ASSERT_OK(t.Open(path));
    ASSERT_GE(t.RecordCount(), last);
    for (int i = 1; i <= last; ++i) {
        ASSERT_OK(t.Go(i));
        ASSERT_EQ(t.FieldText("NAME"), QStringLiteral("k-%1").arg(i));
        ASSERT_EQ(t.MemoText("NOTE"), QStringLiteral("memo %1").arg(i));
    }
    ASSERT_OK(t.SetOrder(t.TagNumber("NAME")));
    EXPECT_TRUE(t.Seek(QStringLiteral("k-%1").arg(last)));
    ASSERT_OK(t.Append()); // and it can still be written
    ASSERT_OK(t.Commit());
}

TEST(RobustnessTest, TwoWritingProcessesDoNotOverwriteEachOther)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/two.dbf";
    {
        TTable t;
        MakeIndexedTable(t, path);
    }
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0)
            AppendForever(path, -1, c == 0 ? "a" : "b");
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    TTable t;
    ASSERT_OK(t.Open(path));
    EXPECT_FALSE(t.IndexWasRebuilt());
    ASSERT_EQ(t.RecordCount(), 300);
    QSet<QString> seen;
    ASSERT_OK(t.First());
    for (; !t.Eof(); (void)t.Skip()) {
        const QString name = t.FieldText("NAME");
        EXPECT_EQ(t.MemoText("NOTE"), "memo " + name.mid(2));
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), 300);
}

// Opening and walking must end with a clear error or a readable table, whatever the bytes.
void Exercise(TMemoryFileSystem& fs, const QString& path)
{
    auto shared = std::shared_ptr<TFileSystem>(&fs, [](TFileSystem*) {});
    TTable t(shared);
    const TStatus st = t.OpenReadOnly(path);
    if (!st.ok()) {
        EXPECT_FALSE(st.Message().isEmpty());
        return;
    }
    (void)t.VisibleCount();
    for (int order = 0; order <= t.TagCount(); ++order) {
        (void)t.SetOrder(order);
        int guard = 0;
        for ((void)t.First(); !t.Eof() && guard < 100000; (void)t.Skip(), ++guard)
            for (int f = 0; f < t.FieldCount(); ++f)
                (void)t.FieldValue(f);
        if (order > 0) {
            (void)t.Seek("a");
            (void)t.Seek("1", TSeekMode::Exact);
        }
    }
}

TEST(RobustnessTest, DamagedAndRandomFilesAreRefusedCleanly)
{
    // Sources: a table of ours and two fixtures, each with memo and index.
    TMemoryFileSystem origin;
    {
        auto shared = std::shared_ptr<TFileSystem>(&origin, [](TFileSystem*) {});
        TTable t(shared);
        MakeIndexedTable(t, "/o/ours.dbf");
        for (int i = 0; i < 60; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", QStringLiteral("name %1").arg(i)));
            ASSERT_OK(t.AssignField("NOTE", QStringLiteral("note %1").arg(i)));
        }
        ASSERT_OK(t.Commit());
    }
    std::vector<std::array<QByteArray, 3>> sources;
    sources.push_back(
        {origin.Content("/o/ours.dbf"), origin.Content("/o/ours.fpt"), origin.Content("/o/ours.cdx")});
    for (const char* base : {"fox2x-codebase/DATA1", "vfp-dbc-contacts/calls"}) {
        std::array<QByteArray, 3> files;
        const char* exts[] = {".dbf", ".fpt", ".cdx"};
        for (int i = 0; i < 3; ++i) {
            QString p = QStringLiteral(ORVALLE_FIXTURES_DIR "/foxpro/") + base + exts[i];
            if (!QFile::exists(p))
                p = QStringLiteral(ORVALLE_FIXTURES_DIR "/foxpro/") + base + QString(exts[i]).toUpper();
            QFile f(p);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << p.toStdString();
            files[size_t(i)] = f.readAll();
        }
        sources.push_back(files);
    }

    QRandomGenerator rng(777);
    for (int round = 0; round < 2000; ++round) {
        std::array<QByteArray, 3> files = sources[rng.bounded(quint32(sources.size()))];
        QByteArray& victim = files[rng.bounded(3)];
        switch (rng.bounded(4)) {
        case 0: // truncate
            victim.truncate(int(rng.bounded(quint32(victim.size() + 1))));
            break;
        case 1: // flip bytes
        case 2:
            for (int i = int(rng.bounded(12)) + 1; i > 0 && !victim.isEmpty(); --i)
                victim[int(rng.bounded(quint32(victim.size())))] = char(rng.bounded(256));
            break;
        default: // random bytes of the same length
            for (char& c : victim)
                c = char(rng.bounded(256));
        }
        TMemoryFileSystem fs;
        fs.SetContent("/f/t.dbf", files[0]);
        fs.SetContent("/f/t.fpt", files[1]);
        fs.SetContent("/f/t.cdx", files[2]);
        ASSERT_NO_FATAL_FAILURE(Exercise(fs, "/f/t.dbf"));
    }
}

} // namespace

TEST(RobustnessTest, AnUnreadableRecordIsAnErrorNotABlankRecord)
{
    auto fs = std::make_shared<TMemoryFileSystem>();
    {
        TTable t(fs);
        ASSERT_OK(t.CreateTable("/u/t.dbf", kFields));
        ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
        // More records than one read-ahead holds, so that the first ones are read again later.
        for (int i = 1; i <= 8000; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", QStringLiteral("r%1").arg(i)));
        }
        ASSERT_OK(t.Commit());
    }
    const QByteArray bytes = fs->Content("/u/t.dbf");
    const int headerLength = quint8(bytes[8]) | quint8(bytes[9]) << 8;
    const int recordLength = quint8(bytes[10]) | quint8(bytes[11]) << 8;
    const qint64 third = headerLength + 2 * recordLength;
    TTable t(fs);
    ASSERT_OK(t.Open("/u/t.dbf"));
    ASSERT_OK(t.SetOrder(0));
    fs->SetUnreadable("/u/t.dbf", third + 5, third + 6);
    const auto damaged = [](const TStatus& st) {
        return !st.ok() && st.Message().contains(QLatin1String("Cannot read record 3"));
    };

    ASSERT_OK(t.First());
    EXPECT_EQ(t.FieldText("NAME"), "r1") << "records before the bad block stay readable";
    ASSERT_OK(t.Skip());
    EXPECT_TRUE(damaged(t.Skip())) << "stepping onto the damaged record";
    ASSERT_OK(t.Go(4));
    EXPECT_EQ(t.FieldText("NAME"), "r4") << "records after the bad block stay readable";
    EXPECT_TRUE(damaged(t.Go(3)));
    EXPECT_TRUE(damaged(t.AssignField("NAME", "changed"))) << "a blank stand-in must not be edited";
    EXPECT_TRUE(damaged(t.CopyText("/u/t.csv")));
    EXPECT_FALSE(fs->Exists("/u/t.csv"));
    EXPECT_TRUE(damaged(t.CopyTable("/u/copy.dbf")));
    EXPECT_FALSE(fs->Exists("/u/copy.dbf"));
    EXPECT_TRUE(damaged(t.Reindex())) << "keys of a blank stand-in would misplace the record";
    EXPECT_TRUE(damaged(t.CreateIndexTag("CODE", "CODE")));
    ASSERT_OK(t.SetOrder(t.TagNumber("NAME")));
    EXPECT_FALSE(t.Seek("r3")) << t.LastError().toStdString();
    EXPECT_TRUE(t.LastError().contains(QLatin1String("Cannot read record 3")));

    fs->SetUnreadable("/u/t.dbf", 0, 0);
    ASSERT_OK(t.Go(3));
    EXPECT_EQ(t.FieldText("NAME"), "r3") << "nothing was written over the record";
    EXPECT_TRUE(t.Seek("r3"));
}
