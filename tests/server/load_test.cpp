// Load and durability: 50 clients post for a while (ORVALLE_LOAD_SECONDS, default 20) while a
// downloader fetches incrementally; every acknowledged response arrives exactly once. A server
// killed with SIGKILL under load keeps every response it acknowledged. Two server processes
// on one database behave as one.

#include "serverprocess.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

int LoadSeconds()
{
    const char* text = std::getenv("ORVALLE_LOAD_SECONDS");
    return text ? std::max(1, std::atoi(text)) : 20;
}

std::string AnswerOf(const std::string& line)
{
    const auto at = line.find(",orv1=");
    if (at == std::string::npos)
        return {};
    const auto end = line.find(',', at + 6);
    return line.substr(at + 6, end == std::string::npos ? std::string::npos : end - at - 6);
}

std::string DateRecOf(const std::string& line)
{
    const auto at = line.find("DateRec=");
    return at == std::string::npos ? "" : line.substr(at + 8, 14);
}

// Downloads incrementally as the program does and counts each answer it receives.
class Collector {
public:
    // One download from `LastUpdate`; false when it failed.
    bool Fetch(httplib::Client& client)
    {
        const auto body = Download(client, "S1", "pw", lastUpdate_);
        const auto lines = Lines(body);
        if (lines.size() < 2 || lines.front() != "<DATA>" || lines.back() != "</DATA>")
            return false;
        for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
            ++seen_[AnswerOf(lines[i])];
            lastUpdate_ = DateRecOf(lines[i]);
        }
        ++downloads_;
        return true;
    }
    const std::map<std::string, int>& Seen() const { return seen_; }
    int Downloads() const { return downloads_; }

private:
    std::string lastUpdate_ = "Never";
    std::map<std::string, int> seen_;
    int downloads_ = 0;
};

struct Load {
    std::mutex mutex;
    std::set<std::string> acknowledged;
    std::atomic<int> failures = 0;
    std::vector<std::string> reasons; // of the first failures
    std::atomic<bool> stop = false;
};

// 50 clients spread over the servers' ports, posting until told to stop.
std::vector<std::thread> StartClients(Load& load, const std::vector<int>& ports)
{
    std::vector<std::thread> clients;
    for (int c = 0; c < 50; ++c)
        clients.emplace_back([&load, port = ports[c % ports.size()], c] {
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(20, 0);
            for (int i = 0; !load.stop; ++i) {
                const std::string answer = "c" + std::to_string(c) + "n" + std::to_string(i);
                auto reply = client.Post(
                    "/orv.dll", "SurveyFile=S1&orv1=" + answer, "application/x-www-form-urlencoded");
                if (reply && reply->status == 200) {
                    std::lock_guard lock(load.mutex);
                    load.acknowledged.insert(answer);
                } else {
                    if (++load.failures <= 5) {
                        std::lock_guard lock(load.mutex);
                        load.reasons.push_back(reply
                                ? "status " + std::to_string(reply->status) + ": " + reply->body
                                : "transport: " + httplib::to_string(reply.error()));
                    }
                    std::this_thread::sleep_for(20ms);
                }
            }
        });
    return clients;
}

void StopClients(Load& load, std::vector<std::thread>& clients)
{
    load.stop = true;
    for (auto& client : clients)
        client.join();
}

class LoadTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam() && TestPostgresUrl().empty())
            GTEST_SKIP() << "PostgreSQL runs under pg_virtualenv (server_postgres_test)";
        database = FreshDatabase(GetParam(), dir.Path());
    }

    TempDir dir;
    std::string database;
};

} // namespace

TEST_P(LoadTest, TwoServersUnderLoadLoseNothingAndDoubleNothing)
{
    ServerProcess first(database), second(database);
    ASSERT_TRUE(RegisterSurvey(*first.Client(), "S1", "pw"));
    Load load;
    auto clients = StartClients(load, {first.Port(), second.Port()});
    Collector collector;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(LoadSeconds());
    for (int turn = 0; std::chrono::steady_clock::now() < end; ++turn) {
        EXPECT_TRUE(collector.Fetch(*(turn % 2 ? second : first).Client()));
        std::this_thread::sleep_for(300ms);
    }
    StopClients(load, clients);
    std::this_thread::sleep_for(1100ms);
    ASSERT_TRUE(collector.Fetch(*first.Client()));

    EXPECT_EQ(load.failures, 0) << (load.reasons.empty() ? "" : load.reasons.front());
    EXPECT_GT(load.acknowledged.size(), 1000u);
    EXPECT_EQ(collector.Seen().size(), load.acknowledged.size());
    for (const auto& [answer, count] : collector.Seen()) {
        EXPECT_EQ(count, 1) << answer << " downloaded more than once";
        EXPECT_TRUE(load.acknowledged.count(answer)) << answer << " was never acknowledged";
    }
    RecordProperty("responses", static_cast<int>(load.acknowledged.size()));
    RecordProperty("downloads", collector.Downloads());
}

TEST_P(LoadTest, KilledUnderLoadKeepsEveryAcknowledgedResponse)
{
    auto server = std::make_unique<ServerProcess>(database);
    ASSERT_TRUE(RegisterSurvey(*server->Client(), "S1", "pw"));
    Load load;
    auto clients = StartClients(load, {server->Port()});
    std::this_thread::sleep_for(std::chrono::seconds(std::min(LoadSeconds(), 5)));
    server->Kill();
    StopClients(load, clients);

    ServerProcess restarted(database);
    std::this_thread::sleep_for(1100ms);
    Collector collector;
    ASSERT_TRUE(collector.Fetch(*restarted.Client()));
    EXPECT_GT(load.acknowledged.size(), 100u);
    for (const auto& answer : load.acknowledged)
        EXPECT_EQ(collector.Seen().count(answer), 1u) << answer << " was acknowledged but lost";
}

INSTANTIATE_TEST_SUITE_P(Sqlite, LoadTest, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Postgres, LoadTest, testing::Values(true));
