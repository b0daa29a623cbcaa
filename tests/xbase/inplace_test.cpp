// The index changed in place: after thousands of small commits (splits and merges at every level
// of deep trees) every tag equals a fresh build from the records and keeps every node rule; a
// full disk at any byte of a commit leaves the files exactly as before it; journals that are cut
// short are never taken for complete ones.

#include "support/assertok.h"
#include "xbase/cdxfile.h"
#include "xbase/cdxstore.h"
#include "xbase/cdxtree.h"
#include "xbase/dbfheader.h"
#include "xbase/filesystem.h"
#include "xbase/journal.h"
#include "xbase/table.h"
#include "xbase/tagindex.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kScale = 4; // sanitizers run several times slower: fewer rounds
#else
constexpr int kScale = 1;
#endif

const QString kTable = QStringLiteral("/m/t.dbf");
const QString kIndex = QStringLiteral("/m/t.cdx");

std::shared_ptr<TFileSystem> Borrow(TMemoryFileSystem& fs)
{
    return std::shared_ptr<TFileSystem>(&fs, [](TFileSystem*) {});
}

// Keys of 200 bytes and more leave room for two entries in an interior node and few in a leaf,
// so a few hundred records already make trees many levels deep.
void MakeTable(TTable& t)
{
    ASSERT_OK(t.CreateTable(kTable, {{"NAME", 'C', 200, 0}, {"CODE", 'C', 4, 0}, {"SCORE", 'N', 7, 0}}));
    ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
    ASSERT_OK(t.CreateIndexTag("LIVE", "CODE+NAME", ".NOT. DELETED()"));
    ASSERT_OK(t.CreateIndexTag("SCORE", "SCORE", "", true));
    ASSERT_OK(t.CreateIndexTag("CODE", "CODE"));
}

QString RandomName(QRandomGenerator& rng)
{
    QString s;
    for (int i = 150 + int(rng.bounded(50)); i > 0; --i)
        s += QChar('A' + int(rng.bounded(26)));
    return s;
}

void Fill(TTable& t, QRandomGenerator& rng)
{
    ASSERT_OK(t.AssignField("NAME", RandomName(rng)));
    ASSERT_OK(t.AssignField("CODE", QString::number(rng.bounded(30))));
    ASSERT_OK(t.AssignField("SCORE", (long long)rng.bounded(2000) - 1000));
}

int Depth(const QByteArray& cdx, const TCdxTagHeader& tag)
{
    int depth = 1;
    quint32 page = tag.RootOffset;
    while (page + 512u <= quint32(cdx.size()) && !(cdx[int(page)] & 2) && depth < 40) {
        const char* first = cdx.constData() + page + 12 + tag.KeyLength + 4;
        page = quint32(quint8(first[0])) << 24 | quint32(quint8(first[1])) << 16
            | quint32(quint8(first[2])) << 8 | quint8(first[3]);
        ++depth;
    }
    return depth;
}

// Every tag in the file keeps the node rules and holds exactly the keys of the records; returns
// the depth of the tag named `deepTag`.
void ExpectExact(TMemoryFileSystem& fs, const QString& deepTag, int* depth)
{
    const QByteArray cdx = fs.Content(kIndex);
    const QByteArray dbf = fs.Content(kTable);
    TDbfHeader header;
    ASSERT_OK(ParseDbfHeader(dbf, dbf.size(), &header));
    std::vector<TCdxTagHeader> tags;
    ASSERT_OK(ReadCdxTags(cdx, &tags));
    ASSERT_EQ(tags.size(), 4u);
    for (const TCdxTagHeader& h : tags) {
        SCOPED_TRACE(h.Name.toStdString());
        auto tag = TTag::FromHeader(h, header.Layout);
        std::vector<TCdxEntry> stored, fresh;
        ASSERT_OK(ReadCdxEntries(cdx, h, tag->Fill, &stored, true));
        TRecordContext ctx;
        std::string key;
        for (quint32 n = 1; n <= header.RecordCount; ++n) {
            ctx.Record = std::string_view(
                dbf.constData() + header.RecordOffset(n), size_t(header.Layout.RecordLength));
            if (tag->KeyOf(ctx, &key))
                fresh.push_back({key, n});
        }
        std::sort(fresh.begin(), fresh.end());
        ASSERT_EQ(stored.size(), fresh.size());
        ASSERT_TRUE(stored == fresh);
        if (h.Name == deepTag)
            *depth = Depth(cdx, h);
    }
}

TEST(InPlaceIndexTest, ThousandsOfSmallCommitsKeepEveryTagExact)
{
    TMemoryFileSystem fs;
    TTable t(Borrow(fs));
    MakeTable(t);
    QRandomGenerator rng(2026);
    for (int i = 0; i < 200; ++i) {
        ASSERT_OK(t.Append());
        Fill(t, rng);
    }
    ASSERT_OK(t.Commit());
    int count = 200, commits = 0, depth = 0, deepest = 0;
    auto check = [&] {
        ASSERT_NO_FATAL_FAILURE(ExpectExact(fs, "LIVE", &depth));
        deepest = std::max(deepest, depth);
    };
    // Growth: small batches of appends, edits of keys, deletions and recalls.
    for (int round = 0; round < 1500 / kScale; ++round, ++commits) {
        const quint32 op = rng.bounded(10);
        if (op < 5) {
            for (int i = int(rng.bounded(3)); i >= 0; --i, ++count) {
                ASSERT_OK(t.Append());
                Fill(t, rng);
            }
            ASSERT_OK(t.Commit());
        } else {
            ASSERT_OK(t.Go(1 + int(rng.bounded(quint32(count)))));
            if (op < 8) {
                Fill(t, rng);
                ASSERT_OK(t.Commit());
            } else {
                ASSERT_OK(op == 8 ? t.Delete() : t.Recall());
            }
        }
        if (round % 250 == 0)
            check();
    }
    check();
    const int grown = depth;
    // Shrinking: nearly every record leaves the FOR tag, one commit each.
    for (int n = 1; n <= count; ++n) {
        if (n % 20 == 0)
            continue;
        ASSERT_OK(t.Go(n));
        if (!t.Deleted()) {
            ASSERT_OK(t.Delete());
            ++commits;
        }
        if (n % 300 == 0)
            check();
    }
    check();
    const int shrunk = depth;
    // And back again.
    for (int round = 0; round < 500 / kScale; ++round, ++commits) {
        ASSERT_OK(t.Go(1 + int(rng.bounded(quint32(count)))));
        ASSERT_OK(t.Recall());
    }
    check();
    EXPECT_GE(commits, 2500 / kScale);
    EXPECT_GE(deepest, 5) << "the trees should have grown several levels";
    EXPECT_LE(deepest, 16) << "two-entry interior nodes should stay near a balanced tree's depth";
    EXPECT_LT(shrunk, grown) << "merges should have taken levels away";
    // What navigation sees agrees with the file.
    ASSERT_OK(t.SetOrder(t.TagNumber("LIVE")));
    int walked = 0;
    ASSERT_OK(t.First());
    for (; !t.Eof() && walked < 100000; ++walked)
        ASSERT_OK(t.Skip());
    EXPECT_EQ(walked, t.VisibleCount());
}

// The state of the three files.
struct TFiles {
    QByteArray dbf, fpt, cdx;
    bool operator==(const TFiles&) const = default;
};

TFiles Snapshot(TMemoryFileSystem& fs)
{
    return {fs.Content("/m/d.dbf"), fs.Content("/m/d.fpt"), fs.Content("/m/d.cdx")};
}

void Restore(TMemoryFileSystem& fs, const TFiles& files)
{
    fs.SetContent("/m/d.dbf", files.dbf);
    fs.SetContent("/m/d.fpt", files.fpt);
    fs.SetContent("/m/d.cdx", files.cdx);
    fs.SetContent("/m/d.cpg", "UTF-8");
    (void)fs.Remove(JournalPath("/m/d.dbf"));
}

// Commits of each kind, each splitting or merging leaves: two appends with memos, an edit of a
// key and a memo, a deletion (which leaves the FOR tag).
using TChange = TStatus (*)(TTable&);

TStatus AppendSome(TTable& t, int count)
{
    TStatus st;
    for (int i = 0; st.ok() && i < count; ++i) {
        st = t.Append();
        if (st.ok())
            st = t.AssignField("NAME", QStringLiteral("added %1").arg(i));
        if (st.ok())
            st = t.AssignField("NOTE", QString(100 + 50 * i, QLatin1Char('n')));
    }
    return st.ok() ? t.Commit() : st;
}

// Two keys go into their leaves; forty make the index be written whole.
TStatus AppendTwo(TTable& t)
{
    return AppendSome(t, 2);
}

TStatus AppendForty(TTable& t)
{
    return AppendSome(t, 40);
}

TStatus EditOne(TTable& t)
{
    TStatus st = t.Go(7);
    if (st.ok())
        st = t.AssignField("NAME", QStringLiteral("renamed"));
    if (st.ok())
        st = t.AssignField("NOTE", QStringLiteral("a note longer than the one before it"));
    return st.ok() ? t.Commit() : st;
}

TStatus DeleteOne(TTable& t)
{
    TStatus st = t.Go(9);
    return st.ok() ? t.Delete() : st;
}

TStatus DeleteMany(TTable& t)
{
    return t.DeleteMany({9, 310, 2, 599, 40, 41, 42, 170});
}

// Batches large beside the table are indexed by merging their keys with the stored ones and
// writing every tag whole; batches small beside it go into the leaves. Both, in turns, with edits
// and deletions between them, keep every tag exact.
TEST(InPlaceIndexTest, LargeBatchesMergeWithTheStoredKeys)
{
    TMemoryFileSystem fs;
    TTable t(Borrow(fs));
    MakeTable(t);
    QRandomGenerator rng(12);
    int count = 0, depth = 0;
    for (const int batch : {40, 5, 40, 300, 2, 100, 1, 400}) {
        SCOPED_TRACE(batch);
        for (int i = 0; i < batch; ++i, ++count) {
            ASSERT_OK(t.Append());
            Fill(t, rng);
        }
        ASSERT_OK(t.Commit());
        ASSERT_NO_FATAL_FAILURE(ExpectExact(fs, "LIVE", &depth));
        ASSERT_OK(t.Go(1 + int(rng.bounded(quint32(count)))));
        ASSERT_OK(t.Delete());
        ASSERT_OK(t.DeleteMany({1 + int(rng.bounded(quint32(count))), 1 + int(rng.bounded(quint32(count))),
            1 + int(rng.bounded(quint32(count)))}));
        ASSERT_OK(t.Go(1 + int(rng.bounded(quint32(count)))));
        Fill(t, rng);
        ASSERT_OK(t.Commit());
    }
    ASSERT_NO_FATAL_FAILURE(ExpectExact(fs, "LIVE", &depth));
    EXPECT_EQ(t.RecordCount(), count);
}

TEST(InPlaceIndexTest, FullDiskAtAnyByteOfACommitLeavesTheFilesAsBefore)
{
    TMemoryFileSystem fs;
    {
        TTable t(Borrow(fs));
        ASSERT_OK(t.CreateTable("/m/d.dbf", {{"NAME", 'C', 60, 0}, {"NOTE", 'M', 10, 0}}));
        ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
        ASSERT_OK(t.CreateIndexTag("LIVE", "NAME", ".NOT. DELETED()"));
        for (int i = 0; i < 600; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", QStringLiteral("name %1").arg(i * 7919 % 1000)));
            ASSERT_OK(t.AssignField("NOTE", QStringLiteral("note %1").arg(i)));
        }
        ASSERT_OK(t.Commit());
    }
    const TFiles before = Snapshot(fs);
    const std::vector<std::pair<const char*, TChange>> changes = {{"append two", &AppendTwo},
        {"edit one", &EditOne}, {"delete one", &DeleteOne}, {"delete many", &DeleteMany},
        {"append forty", &AppendForty}};
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        TFiles after;
        {
            Restore(fs, before);
            TTable t(Borrow(fs));
            ASSERT_OK(t.Open("/m/d.dbf"));
            ASSERT_OK(change(t));
            after = Snapshot(fs);
        }
        ASSERT_FALSE(after == before);
        bool succeeded = false;
        int failures = 0;
        for (qint64 budget = 0; !succeeded && budget < 100000; budget += 1 + budget / (400 * kScale)) {
            SCOPED_TRACE(budget);
            Restore(fs, before);
            TTable t(Borrow(fs));
            ASSERT_OK(t.Open("/m/d.dbf"));
            fs.SetWriteBudget(budget);
            succeeded = change(t).ok();
            fs.SetWriteBudget(-1);
            if (succeeded) {
                EXPECT_TRUE(Snapshot(fs) == after);
                break;
            }
            ++failures;
            EXPECT_FALSE(fs.Exists(JournalPath("/m/d.dbf")));
            ASSERT_TRUE(Snapshot(fs) == before);
            // The same handle, with room again, stores the whole commit.
            ASSERT_OK(t.Commit());
            ASSERT_TRUE(Snapshot(fs) == after);
        }
        EXPECT_TRUE(succeeded);
        EXPECT_GT(failures, 100);
    }
}

TEST(InPlaceIndexTest, OnlyCompleteJournalsAreRead)
{
    const std::vector<TFileBefore> files
        = {{"t.dbf", 1000, {{0, QByteArray(32, 'h')}, {500, QByteArray(100, 'r')}}}, {"t.cdx", 4096, {}}};
    const QByteArray whole = EncodeJournal(files);
    std::vector<TFileBefore> read;
    ASSERT_TRUE(DecodeJournal(whole, &read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Regions[1].second, QByteArray(100, 'r'));
    EXPECT_EQ(read[1].Size, 4096);
    QRandomGenerator rng(5);
    for (int i = 0; i < 2000; ++i) {
        QByteArray damaged = whole;
        if (i % 2)
            damaged.truncate(int(rng.bounded(quint32(whole.size()))));
        else
            damaged[int(rng.bounded(quint32(whole.size())))] ^= char(1 + rng.bounded(255));
        EXPECT_FALSE(DecodeJournal(damaged, &read)) << i;
    }
}

} // namespace

namespace {

// Keys of 240 bytes: interior nodes of two entries, whose leaves split one after another.
TEST(InPlaceIndexTest, LongKeysGrowInPlaceUnderAWholeBuiltTree)
{
    TMemoryFileSystem fs;
    TTable t(Borrow(fs));
    ASSERT_OK(t.CreateTable(kTable, {{"EMAIL", 'C', 250, 0}, {"IP", 'C', 25, 0}}));
    ASSERT_OK(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
    ASSERT_OK(t.CreateIndexTag("IP", "IP"));
    auto ip = [](int i) {
        return QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255);
    };
    for (int i = 0; i < 5000; ++i) {
        ASSERT_OK(t.Append());
        ASSERT_OK(t.AssignField("EMAIL", QStringLiteral("person%1@example.org").arg(i * 7919 % 100003)));
        ASSERT_OK(t.AssignField("IP", ip(i)));
    }
    ASSERT_OK(t.Commit());
    for (int batch = 0; batch < 3; ++batch) {
        // Each batch is first looked up, then appended and committed together.
        for (int i = batch * 100; i < batch * 100 + 100; ++i) {
            ASSERT_OK(t.SetOrder(2));
            EXPECT_FALSE(t.Seek(ip(5000 + i), TSeekMode::Exact));
            ASSERT_OK(t.SetOrder(1));
            EXPECT_FALSE(t.Seek(QStringLiteral("added%1@example.org").arg(i * 31 % 1000), TSeekMode::Exact));
        }
        for (int i = batch * 100; i < batch * 100 + 100; ++i) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("EMAIL", QStringLiteral("added%1@example.org").arg(i * 31 % 1000)));
            ASSERT_OK(t.AssignField("IP", ip(5000 + i)));
        }
        ASSERT_OK(t.Commit());
    }
    ASSERT_OK(t.SetOrder(1));
    EXPECT_TRUE(t.Seek("added31@example.org", TSeekMode::Exact));
    std::vector<TCdxTagHeader> tags;
    const QByteArray cdx = fs.Content(kIndex);
    ASSERT_OK(ReadCdxTags(cdx, &tags));
    std::vector<TCdxEntry> entries;
    ASSERT_OK(ReadCdxEntries(cdx, tags[0], ' ', &entries, true));
    EXPECT_EQ(entries.size(), 5300u);
    EXPECT_LE(Depth(cdx, tags[0]), 14);
}

} // namespace

// Seeks through interior pages read raw (nothing cached decoded), and probes of raw leaves, land
// where seeks through the decoded nodes land, for whole keys, prefixes and keys between and
// beyond the stored ones.
TEST(InPlaceIndexTest, SeeksThroughRawInteriorPagesMatchDecodedOnes)
{
    constexpr int kLength = 240;
    std::vector<TCdxEntry> entries;
    for (quint32 i = 0; i < 3000; ++i) {
        std::string key = "k" + std::to_string(i * 7919 % 3001 / 3); // runs of equal keys
        key.resize(kLength, ' ');
        entries.push_back({key, i + 1});
    }
    std::sort(entries.begin(), entries.end());
    TCdxTagHeader header;
    header.Name = QStringLiteral("LONG");
    header.KeyExpression = QStringLiteral("NAME");
    header.KeyLength = kLength;
    TMemoryFileSystem fs;
    fs.SetContent(QStringLiteral("/i.cdx"), BuildCdx({{header, ' ', &entries, {}}}, 1));
    QString error;
    auto file = fs.Open(QStringLiteral("/i.cdx"), false, &error);
    ASSERT_TRUE(file) << qPrintable(error);
    std::vector<TCdxTagHeader> tags;
    TCdxStore decoded(file.get(), 64 << 20), raw(file.get(), 0);
    ASSERT_OK(decoded.ReadTags(&tags));
    ASSERT_EQ(tags.size(), 1u);
    TCdxTree warm(decoded, tags[0].HeaderOffset, kLength, ' ');
    TCdxTree cold(raw, tags[0].HeaderOffset, kLength, ' ');
    std::vector<TCdxEntry> all;
    ASSERT_OK(warm.All(&all, 10000)); // every node now cached decoded
    ASSERT_EQ(all.size(), entries.size());
    QRandomGenerator rng(7);
    int probes = 0;
    for (int round = 0; round < 2000; ++round) {
        const TCdxEntry& near = entries[rng.bounded(quint32(entries.size()))];
        std::string key = near.key;
        quint32 recno = near.recno + rng.bounded(3) - 1;
        switch (round % 4) {
        case 1: // a prefix
            key.resize(1 + rng.bounded(5));
            break;
        case 2: // between stored keys
            key[rng.bounded(6)] = char('0' + rng.bounded(10));
            break;
        case 3: // beyond the last
            key = std::string(kLength, '\xFF');
            recno = 0;
            break;
        }
        TCdxCursor a, b;
        ASSERT_OK(warm.Seek(key, recno, &a));
        ASSERT_OK(cold.Seek(key, recno, &b));
        ASSERT_EQ(a.Valid(), b.Valid()) << key;
        if (a.Valid()) {
            EXPECT_EQ(a.Entry(), b.Entry()) << key;
        }
        TCdxEntry probed;
        bool known = false;
        ASSERT_OK((round % 8 < 4 ? cold : warm).Probe(key, recno, &probed, &known));
        if (known) {
            ASSERT_TRUE(a.Valid()) << key;
            EXPECT_EQ(probed, a.Entry()) << key;
        }
        probes += known;
    }
    EXPECT_GE(probes, 1400); // all but keys past the last one (and past a leaf's last entry)
}
