#include "mergefixture.h"

#include <QRandomGenerator>

namespace {

using TBadInput = TMergeFixture;

// Whatever arrives, the merge ends, counts what it saw and leaves the records already in the
// table as they were.
TEST_F(TBadInput, HostileFilesNeitherCrashNorHangNorHarmTheTable)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a,b", true, true});
    AddWithID(*survey, 2, {qsFreeFormText, "", false, false, -1});
    survey->SetOnly1IP(true);
    ASSERT_EQ(Merge(Data({"RemoteAddr=1.1.1.1,orv1=0,orv2=kept"})).TotalCount, 1);

    QRandomGenerator random(7);
    QByteArray garbage(256 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random.bounded(256));
    QByteArray megaValue(3 * 1024 * 1024, 'v');

    struct TCase {
        const char* What;
        QByteArray Bytes;
        bool Succeeded;
        int Added;
        int Eliminated;
    };
    const TCase cases[] = {
        {"binary garbage after the status line", "<DATA>\r\n" + garbage, true, -1, -1},
        {"binary garbage only", garbage, true, -1, -1},
        {"a response line of megabytes", "<DATA>\r\nRemoteAddr=2.2.2.2,orv2=" + megaValue + "\r\n</DATA>\r\n",
            true, 1, 0},
        {"unbalanced quote",
            "<DATA>\r\nRemoteAddr=3.3.3.3,\"orv1Other=open\r\nRemoteAddr=4.4.4.4\r\n</DATA>\r\n", true, 2, 0},
        {"no end marker", "<DATA>\r\nRemoteAddr=5.5.5.5\r\n", true, 1, 0},
        {"no markers at all", "RemoteAddr=6.6.6.6\r\nRemoteAddr=7.7.7.7\r\n", true, 1, 0},
        {"truncated download", "<DATA>\r\nRemoteAddr=8.8.8.8,orv1=1\r\nRemoteAddr=9.9.9.9,orv1Comm", true, 2,
            0},
        {"empty file", "", true, 0, 0},
        {"NUL bytes inside a line", QByteArray("<DATA>\r\nRemoteAddr=10.0.0.1,\0orv1=1\0\r\n", 38), true, 1,
            0},
    };
    int total = 1;
    for (const TCase& c : cases) {
        const TAddResponseResult r = Merge(WriteFile("bad.dat", c.Bytes));
        EXPECT_EQ(r.Succeeded, c.Succeeded) << c.What;
        if (c.Added >= 0) {
            EXPECT_EQ(r.AddedCount, c.Added) << c.What;
            EXPECT_EQ(r.EliminatedCount, c.Eliminated) << c.What;
        }
        total += r.AddedCount;
        EXPECT_EQ(r.TotalCount, total) << c.What;
        const std::vector<TRecord> rows = Records();
        ASSERT_EQ(static_cast<int>(rows.size()), total) << c.What;
        EXPECT_EQ(rows[0]["REMOTEIP"], "1.1.1.1") << c.What;
        EXPECT_EQ(rows[0]["ORV2"], "kept") << c.What;
    }
    for (const TRecord& row : Records()) {
        if (row["REMOTEIP"] == "2.2.2.2") {
            EXPECT_EQ(row["ORV2"].size(), megaValue.size()) << "the memo holds the whole answer";
        }
    }
}

TEST_F(TBadInput, LineLongerThanTheReaderKeepsIsEliminated)
{
    // 70 MB of one line: skipped whole, counted, and the lines after it still merge.
    QByteArray bytes
        = "<DATA>\r\nRemoteAddr=1," + QByteArray(70 * 1024 * 1024, 'x') + "\r\nRemoteAddr=2\r\n</DATA>\r\n";
    const TAddResponseResult r = Merge(WriteFile("long.dat", bytes));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 1);
    EXPECT_EQ(r.EliminatedCount, 1);
}

} // namespace
