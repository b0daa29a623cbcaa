// Both stores behave alike: registration under an ID, incremental reads that hold back the
// current second, clearing, accounts. The PostgreSQL cases run under pg_virtualenv.

#include "commitqueue.h"
#include "serverprocess.h"
#include "store.h"

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

using namespace orvserver;

namespace {

class StoreTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam() && TestPostgresUrl().empty())
            GTEST_SKIP() << "PostgreSQL runs under pg_virtualenv (server_postgres_test)";
        store = OpenStore(FreshDatabase(GetParam(), dir.Path()));
    }

    std::vector<StoredResponse> ReadAll(const std::string& survey, Stamp after, Stamp cutoff, int page = 1000)
    {
        std::vector<StoredResponse> all;
        ResponseCursor cursor{after};
        for (;;) {
            auto rows = store->ReadResponses(survey, cursor, cutoff, page);
            all.insert(all.end(), rows.begin(), rows.end());
            if (static_cast<int>(rows.size()) < page)
                return all;
            cursor = {rows.back().received, rows.back().seq};
        }
    }

    TempDir dir;
    std::unique_ptr<ResponseStore> store;
};

PendingResponse Answer(const std::string& survey, const std::string& value)
{
    return {survey, MakeResponseText("127.0.0.1", "test", {{"orv1", value}})};
}

} // namespace

TEST_P(StoreTest, RegistrationKeepsItsId)
{
    EXPECT_TRUE(store->RegisterSurvey({"S1", "secret", "acct", "", ""}));
    EXPECT_TRUE(store->RegisterSurvey({"S1", "secret", "acct", "http://a.org/", "[Details]"}));
    EXPECT_FALSE(store->RegisterSurvey({"S1", "other", "acct", "http://evil.org/", "[Details]"}));
    // A registration without the survey file keeps the file and address stored before.
    EXPECT_TRUE(store->RegisterSurvey({"S1", "secret", "acct2", "", ""}));
    const auto survey = store->FindSurvey("S1");
    ASSERT_TRUE(survey);
    EXPECT_EQ(survey->id, "secret");
    EXPECT_EQ(survey->account, "acct2");
    EXPECT_EQ(survey->resultUrl, "http://a.org/");
    EXPECT_EQ(survey->questions, "[Details]");
    EXPECT_FALSE(store->FindSurvey("S2"));

    store->RegisterSurvey({"S3", "", "", "", ""});
    store->SetResultUrlIfEmpty("S3", "http://first.org/");
    store->SetResultUrlIfEmpty("S3", "http://second.org/");
    EXPECT_EQ(store->FindSurvey("S3")->resultUrl, "http://first.org/");
}

TEST_P(StoreTest, ReadsInOrderUpToTheCutoff)
{
    const Stamp first = store->AddResponses({Answer("S1", "a"), Answer("S1", "b"), Answer("S2", "x")});
    const auto cutoff = store->DownloadCutoff();
    EXPECT_GE(cutoff, first);
    // Nothing of the current second is handed out.
    EXPECT_TRUE(ReadAll("S1", 0, first).empty());
    const auto all = ReadAll("S1", 0, first + 1, 1);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_NE(all[0].line.find("orv1=a"), std::string::npos);
    EXPECT_NE(all[1].line.find("orv1=b"), std::string::npos);
    EXPECT_NE(all[0].line.find("DateRec=" + StampText(first)), std::string::npos);
    EXPECT_TRUE(ReadAll("S1", first, first + 1).empty());
    EXPECT_EQ(store->ClearResponses("S1"), 2);
    EXPECT_TRUE(ReadAll("S1", 0, first + 1).empty());
    EXPECT_EQ(ReadAll("S2", 0, first + 1).size(), 1u);
}

// A batch of every size the store may split it into keeps each response, in order.
TEST_P(StoreTest, ABatchKeepsItsResponsesInOrder)
{
    std::vector<PendingResponse> batch;
    for (int i = 0; i < 87; ++i)
        batch.push_back(Answer(i % 2 ? "S1" : "S2", std::to_string(i)));
    const Stamp stamp = store->AddResponses(batch);
    const auto odd = ReadAll("S1", 0, stamp + 1);
    const auto even = ReadAll("S2", 0, stamp + 1);
    ASSERT_EQ(odd.size(), 43u);
    ASSERT_EQ(even.size(), 44u);
    for (std::size_t i = 0; i < odd.size(); ++i) {
        EXPECT_TRUE(odd[i].line.ends_with(",orv1=" + std::to_string(2 * i + 1))) << odd[i].line;
        EXPECT_TRUE(even[i].line.ends_with(",orv1=" + std::to_string(2 * i))) << even[i].line;
        EXPECT_LT(even[i].seq, odd[i].seq);
    }
}

TEST_P(StoreTest, BinaryAnswersSurvive)
{
    const std::string bytes("\x00\xff\xfe'\\x", 6);
    const Stamp stamp = store->AddResponses({Answer("S\xe9", bytes)});
    const auto rows = ReadAll("S\xe9", 0, stamp + 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].line.find(bytes), std::string::npos);
}

TEST_P(StoreTest, Accounts)
{
    EXPECT_FALSE(store->HasAccount("acme"));
    EXPECT_TRUE(store->AddAccount("acme"));
    EXPECT_FALSE(store->AddAccount("acme"));
    EXPECT_TRUE(store->HasAccount("acme"));
}

// Many threads through the group commit: every acknowledged response is stored once.
TEST_P(StoreTest, GroupCommitStoresEveryResponseOnce)
{
    CommitQueue queue(*store);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                queue.Add(Answer("S1", std::to_string(t) + "-" + std::to_string(i)));
        });
    for (auto& thread : threads)
        thread.join();
    const auto rows = ReadAll("S1", 0, 99999999999999);
    EXPECT_EQ(rows.size(), 400u);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, StoreTest, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Postgres, StoreTest, testing::Values(true));

// Commits one after another with no pause between them: the log is still copied back into the
// database and starts over, instead of growing with every commit.
TEST(SqliteStoreTest, TheLogStartsOverUnderContinuousCommits)
{
    TempDir dir;
    const auto path = FreshDatabase(false, dir.Path());
    auto store = OpenStore(path);
    std::uintmax_t largest = 0;
    for (int i = 0; i < 5000; ++i) {
        store->AddResponses({Answer("S1", std::to_string(i))});
        largest = std::max(largest, std::filesystem::file_size(path + "-wal"));
    }
    // 5000 commits of three pages each would make a log of 60 MB.
    EXPECT_LT(largest, 16u << 20);
    EXPECT_EQ(store->ReadResponses("S1", ResponseCursor{0}, 99999999999999, 10000).size(), 5000u);
}
