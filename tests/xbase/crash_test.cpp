// Processes: a writer killed by SIGKILL at any step of an in-place commit leaves the files as
// they were before the commit or as they are after it, once the next process has opened the
// table (and played back the journal the writer left); a reader that seeks all the time while
// another process commits never misses a key.

#include "stepfilesystem.h"
#include "support/assertok.h"
#include "xbase/journal.h"
#include "xbase/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kTrials = 250; // sanitizers run several times slower
constexpr long kLargeTrials = 8;
#else
constexpr int kTrials = 1000;
constexpr long kLargeTrials = 30;
#endif

const char* const kExts[] = {".dbf", ".fpt", ".cdx"};

struct TFiles {
    QByteArray parts[3];
    bool operator==(const TFiles& o) const
    {
        return parts[0] == o.parts[0] && parts[1] == o.parts[1] && parts[2] == o.parts[2];
    }
};

TFiles Read(const QString& base)
{
    TFiles f;
    for (int i = 0; i < 3; ++i) {
        QFile file(base + kExts[i]);
        if (file.open(QIODevice::ReadOnly))
            f.parts[i] = file.readAll();
    }
    return f;
}

void Write(const QString& base, const TFiles& f)
{
    for (int i = 0; i < 3; ++i) {
        QFile file(base + kExts[i]);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(f.parts[i]);
    }
    QFile::remove(JournalPath(base + ".dbf"));
}

// One commit chosen by the seed: appends with memos, edits of keys, or a deletion.
TStatus Commit(TTable& t, quint32 seed)
{
    QRandomGenerator rng(seed);
    TStatus st;
    switch (seed % 3) {
    case 0:
        for (int i = 0; st.ok() && i < 3; ++i) {
            st = t.Append();
            if (st.ok())
                st = t.AssignField("NAME", QStringLiteral("new %1 %2").arg(seed).arg(i));
            if (st.ok())
                st = t.AssignField("NOTE", QString(int(rng.bounded(300)), QLatin1Char('m')));
        }
        break;
    case 1:
        st = t.Go(1 + int(rng.bounded(400)));
        if (st.ok())
            st = t.AssignField("NAME", QStringLiteral("edited %1").arg(seed));
        if (st.ok())
            st = t.AssignField("NOTE", QStringLiteral("note %1").arg(seed));
        break;
    default:
        st = t.Go(1 + int(rng.bounded(400)));
        return st.ok() ? t.Delete() : st;
    }
    return st.ok() ? t.Commit() : st;
}

// So many appends that most of them wait in a temporary file until the commit writes them
// straight into the table file.
TStatus CommitMany(TTable& t)
{
    TStatus st;
    for (int i = 0; st.ok() && i < 70000; ++i) {
        st = t.Append();
        if (st.ok())
            st = t.AssignField("NAME", QStringLiteral("many %1").arg(i * 7919 % 70001));
        if (st.ok() && i % 500 == 0)
            st = t.AssignField("NOTE", QStringLiteral("note of %1").arg(i));
    }
    return st.ok() ? t.Commit() : st;
}

using TCommit = std::function<TStatus(TTable&)>;

TCommit Seeded(quint32 seed)
{
    return [seed](TTable& t) { return Commit(t, seed); };
}

// Runs the commit in a child process on `fs`, killed at `killAt` (or not at all); returns the
// number of steps it took.
long RunChild(const QString& path, const TCommit& commit, long killAt)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        auto fs = std::make_shared<TStepFileSystem>();
        TTable t(fs);
        if (!t.Open(path).ok())
            _exit(3);
        fs->steps = 0;
        fs->killAt = killAt;
        if (!commit(t).ok())
            _exit(4);
        if (killAt > fs->steps)
            ::raise(SIGKILL); // killed just after the commit
        const long steps = fs->steps;
        if (::write(fds[1], &steps, sizeof steps) != sizeof steps)
            _exit(5);
        _exit(0);
    }
    ::close(fds[1]);
    long steps = -1;
    if (::read(fds[0], &steps, sizeof steps) != sizeof steps)
        steps = -1;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return steps;
}

// Kills lose nothing the kernel holds, so the files can live in memory when the system offers a
// memory-backed folder: the trials then wait for no disk.
QString TrialFolder()
{
    return QDir(QStringLiteral("/dev/shm")).exists()
        ? QStringLiteral("/dev/shm/xbase-crash-XXXXXX")
        : QDir::tempPath() + QStringLiteral("/xbase-crash-XXXXXX");
}

class CrashTest : public ::testing::Test {
protected:
    QTemporaryDir dir{TrialFolder()};
    QString base, path;

    void SetUp() override
    {
        base = dir.path() + "/r";
        path = base + ".dbf";
        TTable t(std::make_shared<TStepFileSystem>());
        ASSERT_OK(t.CreateTable(path, {{"NAME", 'C', 120, 0}, {"CODE", 'C', 3, 0}, {"NOTE", 'M', 10, 0}}));
        ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
        ASSERT_OK(t.CreateIndexTag("LIVE", "CODE+NAME", ".NOT. DELETED()"));
        for (int i = 0; i < 400; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", QStringLiteral("name %1").arg(i * 7919 % 4001)));
            ASSERT_OK(t.AssignField("CODE", QString::number(i % 7)));
            ASSERT_OK(t.AssignField("NOTE", QStringLiteral("note %1").arg(i)));
        }
        ASSERT_OK(t.Commit());
    }
};

TEST_F(CrashTest, KilledAtAnyStepOfACommitLeavesTheTableBeforeOrAfterIt)
{
    const TFiles original = Read(base);
    QRandomGenerator rng(4242);
    QElapsedTimer clock;
    clock.start();
    int before = 0, after = 0, journals = 0;
    std::map<quint32, std::pair<TFiles, long>> outcomes; // seed -> files after, steps
    for (int trial = 0; trial < kTrials; ++trial) {
        const quint32 seed = rng.bounded(30u);
        auto known = outcomes.find(seed);
        if (known == outcomes.end()) {
            Write(base, original);
            const long steps = RunChild(path, Seeded(seed), -1);
            ASSERT_GT(steps, 0) << "the commit itself failed";
            known = outcomes.emplace(seed, std::make_pair(Read(base), steps)).first;
        }
        const auto& [afterFiles, steps] = known->second;
        SCOPED_TRACE(QStringLiteral("seed %1, trial %2").arg(seed).arg(trial).toStdString());
        Write(base, original);
        const long killAt = 1 + long(rng.bounded(quint32(steps + 1)));
        ASSERT_EQ(RunChild(path, Seeded(seed), killAt), -1); // killed
        journals += QFile::exists(JournalPath(path));
        {
            // Another process, opening for reading only, puts the files right.
            TTable reader(std::make_shared<TStepFileSystem>());
            ASSERT_OK(reader.OpenReadOnly(path));
            EXPECT_FALSE(reader.IndexWasRebuilt());
        }
        EXPECT_FALSE(QFile::exists(JournalPath(path)));
        const TFiles now = Read(base);
        const bool isBefore = now == original, isAfter = now == afterFiles;
        ASSERT_TRUE(isBefore || isAfter) << "killed at step " << killAt << " of " << steps;
        before += isBefore;
        after += isAfter;
    }
    EXPECT_GT(before, kTrials / 2); // most steps come before the journal is removed
    EXPECT_GT(after, 0);
    EXPECT_GT(journals, kTrials / 4);
    EXPECT_LT(clock.elapsed(), 120000);
}

TEST_F(CrashTest, KilledWhileALargeAppendIsStoredLeavesTheTableBeforeOrAfterIt)
{
    const TFiles original = Read(base);
    const long steps = RunChild(path, &CommitMany, -1);
    ASSERT_GT(steps, 0) << "the commit itself failed";
    const TFiles afterFiles = Read(base);
    int before = 0, after = 0;
    // Every step when there are few, else an even spread of them.
    const long stride = std::max(1L, steps / kLargeTrials);
    for (long killAt = 1; killAt <= steps + 1; killAt += stride) {
        SCOPED_TRACE(QStringLiteral("killed at step %1 of %2").arg(killAt).arg(steps).toStdString());
        Write(base, original);
        ASSERT_EQ(RunChild(path, &CommitMany, killAt), -1);
        {
            TTable reader(std::make_shared<TStepFileSystem>());
            ASSERT_OK(reader.OpenReadOnly(path));
            EXPECT_FALSE(reader.IndexWasRebuilt());
        }
        const TFiles now = Read(base);
        const bool isBefore = now == original, isAfter = now == afterFiles;
        ASSERT_TRUE(isBefore || isAfter);
        before += isBefore;
        after += isAfter;
    }
    EXPECT_GT(before, 1);
    EXPECT_GT(after, 0);
}

// A reader seeks keys that exist all the time while a writer commits appends and key edits.
TEST_F(CrashTest, ReaderSeekingWhileAnotherProcessCommitsNeverMissesAKey)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(fds[0]);
        TTable t(std::make_shared<TStepFileSystem>());
        if (!t.Open(path).ok())
            _exit(3);
        QRandomGenerator rng(7);
        for (int i = 0;; ++i) {
            // Records 201-400 change keys and come and go from the FOR tag; 1-200 stay.
            const TStatus st = i % 2 ? Commit(t, 3 * quint32(i)) // appends
                                     : t.Go(201 + int(rng.bounded(200)));
            if (!st.ok())
                _exit(4);
            if (i % 2 == 0) {
                if (!t.AssignField("NAME", QStringLiteral("moved %1").arg(i)).ok() || !t.Commit().ok()
                    || !(i % 4 ? t.Delete() : t.Recall()).ok())
                    _exit(5);
            }
            if (i == 20 && ::write(fds[1], &i, sizeof i) != sizeof i)
                _exit(6);
        }
    }
    ::close(fds[1]);
    int started = 0;
    ASSERT_EQ(::read(fds[0], &started, sizeof started), qint64(sizeof started)); // writer under way
    TTable r;
    ASSERT_OK(r.OpenReadOnly(path));
    ASSERT_OK(r.SetOrder(r.TagNumber("NAME")));
    const int live = r.TagNumber("LIVE");
    QElapsedTimer clock;
    clock.start();
    int seeks = 0, grown = 0;
    // At least two seconds and at least a thousand seeks (a loaded machine takes longer for them).
    const auto going
        = [&clock, &seeks] { return (clock.elapsed() < 2000 || seeks <= 1000) && clock.elapsed() < 120000; };
    for (int i = 0; going(); ++i, ++seeks) {
        const int n = i * 37 % 200;
        const QString name = QStringLiteral("name %1").arg(n * 7919 % 4001);
        ASSERT_TRUE(r.Seek(name, TSeekMode::Exact)) << name.toStdString() << " after " << seeks;
        ASSERT_EQ(r.RecNo(), n + 1);
        ASSERT_EQ(r.FieldText("NAME"), name);
        if (i % 50 == 0) {
            // Each step along the FOR tag lands on a record that is not deleted (the walk as a
            // whole spans commits, so a record whose key moved ahead may come again).
            ASSERT_OK(r.SetOrder(live));
            int steps = 0;
            ASSERT_OK(r.First());
            for (; !r.Eof() && steps < 100000; ++steps) {
                ASSERT_FALSE(r.Deleted());
                ASSERT_OK(r.Skip());
            }
            grown = std::max(grown, steps);
            ASSERT_OK(r.SetOrder(r.TagNumber("NAME")));
        }
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(fds[0]);
    EXPECT_GT(seeks, 1000);
    EXPECT_GT(r.RecordCount(), 400); // the writer's appends were seen
    TTable after;
    ASSERT_OK(after.Open(path)); // and whatever the kill left is put right
    EXPECT_FALSE(after.IndexWasRebuilt());
}

} // namespace
