// The server protocol against a real orvalle-server on loopback: verify, both forms of
// registration, the form post and its redirect, incremental downloads, clearing, accounts.

#include "serverprocess.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// The register post's survey text: the lines as comma text, then every byte but a letter as %XX.
std::string EncodeSurveyText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty())
            text += ',';
        if (line.find_first_of(" ,\"\t") == std::string::npos) {
            text += line;
            continue;
        }
        text += '"';
        for (char c : line)
            text += c == '"' ? std::string("\"\"") : std::string(1, c);
        text += '"';
    }
    std::string encoded;
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if (std::isalpha(c))
            encoded += static_cast<char>(c);
        else
            encoded += {'%', hex[c >> 4], hex[c & 15]};
    }
    return encoded;
}

std::string RegisterForm2(
    httplib::Client& client, const std::string& name, const std::string& id, const std::string& resultUrl)
{
    const std::string body = "SurveyFile=" + name + "&ID=" + id + "&AccountID=&Questions="
        + EncodeSurveyText({"[Details]", "Name=Caf\xC3\xA9 visit, 2024", "UniqueName=" + name,
            "ResultURL=" + resultUrl, "[Question1]", "Text=How was it?"});
    auto reply = client.Post("/orv.dll/RegSurvey", body, "application/x-www-form-urlencoded");
    return reply ? reply->body : "";
}

httplib::Result Post(httplib::Client& client, const Fields& fields)
{
    return client.Post("/orv.dll", FormBody(fields), "application/x-www-form-urlencoded");
}

std::string CurrentUtcSecond()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
    return text;
}

void WaitForNextSecond()
{
    const auto second = CurrentUtcSecond();
    while (CurrentUtcSecond() == second)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::string DateRecOf(const std::string& line)
{
    const auto at = line.find("DateRec=");
    return at == std::string::npos ? "" : line.substr(at + 8, 14);
}

class ProtocolTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam() && TestPostgresUrl().empty())
            GTEST_SKIP() << "PostgreSQL runs under pg_virtualenv (server_postgres_test)";
        database = FreshDatabase(GetParam(), dir.Path());
        server = std::make_unique<ServerProcess>(database);
        client = server->Client();
    }

    TempDir dir;
    std::string database;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<httplib::Client> client;
};

} // namespace

TEST_P(ProtocolTest, VerifyNamesTheProductAndVersion)
{
    auto reply = client->Get("/orv.dll/VerifyServer");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    const auto& body = reply->body;
    ASSERT_NE(body.find("Orvalle"), std::string::npos);
    // The program reads the version around the first ".": two characters before, one after.
    const auto dot = body.find('.');
    ASSERT_NE(dot, std::string::npos);
    EXPECT_EQ(body.substr(dot - 2, 4), " 2.1");
}

TEST_P(ProtocolTest, RegisterForm2RedirectsToItsOwnResultAddressOnly)
{
    EXPECT_NE(RegisterForm2(*client, "S240101120000", "pw", "http://example.org/thanks.html")
                  .find("Registration Complete"),
        std::string::npos);
    auto reply = Post(*client,
        {{"SurveyFile", "S240101120000"}, {"AccountID", "NA"}, {"ResultURL", "http://evil.example/"},
            {"orv1", "0"}});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 303);
    EXPECT_EQ(reply->get_header_value("Location"), "http://example.org/thanks.html");

    // Registering again under another ID is refused, with a readable error page.
    const auto refused = RegisterForm2(*client, "S240101120000", "guess", "http://evil.example/");
    EXPECT_EQ(refused.find("Registration Complete"), std::string::npos);
    EXPECT_NE(refused.find("another ID"), std::string::npos);
    reply = Post(*client, {{"SurveyFile", "S240101120000"}, {"orv1", "1"}});
    EXPECT_EQ(reply->get_header_value("Location"), "http://example.org/thanks.html");
}

TEST_P(ProtocolTest, RegisterForm1LearnsTheFirstResultAddress)
{
    ASSERT_TRUE(RegisterSurvey(*client, "S1", "pw"));
    auto reply = Post(*client, {{"SurveyFile", "S1"}, {"ResultURL", "javascript:alert(1)"}});
    EXPECT_EQ(reply->status, 200);
    EXPECT_NE(reply->body.find("Thank you"), std::string::npos);
    reply = Post(*client, {{"SurveyFile", "S1"}, {"ResultURL", "https://first.example/done"}});
    EXPECT_EQ(reply->get_header_value("Location"), "https://first.example/done");
    reply = Post(*client, {{"SurveyFile", "S1"}, {"ResultURL", "https://second.example/"}});
    EXPECT_EQ(reply->get_header_value("Location"), "https://first.example/done");
}

TEST_P(ProtocolTest, PostsForUnregisteredSurveysAreNotStored)
{
    auto reply = Post(*client, {{"SurveyFile", "S9"}, {"orv1", "1"}});
    EXPECT_EQ(reply->status, 404);
    ASSERT_TRUE(RegisterSurvey(*client, "S9", "pw"));
    WaitForNextSecond();
    EXPECT_EQ(Lines(Download(*client, "S9", "pw", "Never")), (std::vector<std::string>{"<DATA>", "</DATA>"}));
}

TEST_P(ProtocolTest, IncrementalDownloadsHoldBackTheCurrentSecond)
{
    ASSERT_TRUE(RegisterSurvey(*client, "S2", "pw"));
    ASSERT_EQ(Post(*client, {{"SurveyFile", "S2"}, {"orv1", "first"}})->status, 200);
    const auto asked = CurrentUtcSecond();
    auto lines = Lines(Download(*client, "S2", "pw", "Never"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "<DATA>");
    EXPECT_EQ(lines.back(), "</DATA>");
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_LT(DateRecOf(lines[i]), asked) << "a response of a second not yet over";

    WaitForNextSecond();
    lines = Lines(Download(*client, "S2", "pw", "Never"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find("orv1=first"), std::string::npos);
    const auto last = DateRecOf(lines[1]);
    ASSERT_EQ(last.size(), 14u);

    EXPECT_EQ(Lines(Download(*client, "S2", "pw", last)).size(), 2u);
    ASSERT_EQ(Post(*client, {{"SurveyFile", "S2"}, {"orv1", "second"}})->status, 200);
    WaitForNextSecond();
    lines = Lines(Download(*client, "S2", "pw", last));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find("orv1=second"), std::string::npos);
}

TEST_P(ProtocolTest, DownloadErrorsComeAsErrorFiles)
{
    ASSERT_TRUE(RegisterSurvey(*client, "S3", "pw"));
    struct Case {
        std::string survey, id, lastUpdate, message;
    };
    for (const auto& c : std::vector<Case>{
             {"S3", "wrong", "Never", "The survey ID is not correct."},
             {"S3", "", "Never", "The survey ID is not correct."},
             {"nope", "pw", "Never", "The survey is not registered with this server."},
             {"S3", "pw", "yesterday", "LastUpdate must be Never or a time of 14 digits."},
         })
        EXPECT_EQ(Lines(Download(*client, c.survey, c.id, c.lastUpdate)),
            (std::vector<std::string>{"<ERROR>", c.message}))
            << c.survey << " " << c.id << " " << c.lastUpdate;
}

TEST_P(ProtocolTest, ClearAsksFirstAndNeedsTheId)
{
    ASSERT_TRUE(RegisterSurvey(*client, "S4", "pw"));
    Post(*client, {{"SurveyFile", "S4"}, {"orv1", "1"}});
    const std::string query = FormBody({{"SurveyFile", "S4"}, {"AccountID", ""}, {"ID", "pw"}});
    auto reply = client->Get(("/orv.dll/clearSurvey?" + query).c_str());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_NE(reply->body.find("METHOD=\"POST\""), std::string::npos);
    reply = client->Post("/orv.dll/clearSurvey", FormBody({{"SurveyFile", "S4"}, {"ID", "guess"}}),
        "application/x-www-form-urlencoded");
    EXPECT_EQ(reply->status, 403);
    WaitForNextSecond();
    EXPECT_EQ(Lines(Download(*client, "S4", "pw", "Never")).size(), 3u) << "a GET or a wrong ID cleared";

    reply = client->Post("/orv.dll/clearSurvey", query, "application/x-www-form-urlencoded");
    EXPECT_EQ(reply->status, 200);
    EXPECT_NE(reply->body.find("1 responses were cleared"), std::string::npos);
    EXPECT_EQ(Lines(Download(*client, "S4", "pw", "Never")).size(), 2u);
}

TEST_P(ProtocolTest, UnknownPathsAndMethods)
{
    for (const char* path :
        {"/", "/orv.dll/nothing", "/orv.dllx", "/other/VerifyServer", "/orv.dll/../etc/passwd"})
        EXPECT_GE(client->Get(path)->status, 400) << path;
    EXPECT_EQ(client->Get("/orv.dll/verifyserver")->status, 200);
    EXPECT_EQ(client->Post("/orv.dll/GetResults", "", "text/plain")->status, 404);
}

TEST_P(ProtocolTest, StopsOnSigtermAndKeepsSecretsOutOfTheLog)
{
    ASSERT_TRUE(RegisterSurvey(*client, "S5", "hush-hush"));
    Post(*client, {{"SurveyFile", "S5"}, {"orv1", "my private answer"}});
    Download(*client, "S5", "hush-hush", "Never");
    EXPECT_EQ(server->Terminate(), 0);
    const auto log = server->Log();
    EXPECT_NE(log.find("POST /orv.dll 200"), std::string::npos) << log;
    EXPECT_EQ(log.find("hush-hush"), std::string::npos);
    EXPECT_EQ(log.find("private"), std::string::npos);
    // Restarted on the same database, the response is still there.
    ServerProcess again(database);
    WaitForNextSecond();
    EXPECT_EQ(Lines(Download(*again.Client(), "S5", "hush-hush", "Never")).size(), 3u);
    // A stop that comes as soon as the server says it listens is not lost (a lost one hangs here).
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ServerProcess(database).Terminate(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, ProtocolTest, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Postgres, ProtocolTest, testing::Values(true));

TEST(ServerOptions, AccountsModeNeedsAKnownAccount)
{
    TempDir dir;
    const auto database = dir.Path() + "/r.sqlite";
    ServerProcess server(database, {"--accounts"});
    auto client = server.Client();
    auto reply = client->Get("/orv.dll/RegisterSurvey?SurveyFile=S1&AccountID=acme&ID=pw");
    EXPECT_NE(reply->body.find("account ID is not known"), std::string::npos);
    const std::string add = std::string(ORVALLE_SERVER_BINARY) + " account add acme --database " + database;
    ASSERT_EQ(std::system((add + " >/dev/null").c_str()), 0);
    EXPECT_NE(std::system((add + " >/dev/null 2>&1").c_str()), 0) << "added twice";
    reply = client->Get("/orv.dll/RegisterSurvey?SurveyFile=S1&AccountID=acme&ID=pw");
    EXPECT_NE(reply->body.find("Registration Complete"), std::string::npos);
}

TEST(ServerOptions, ForwardedForOnlyWhenTrusted)
{
    TempDir dir;
    for (bool trusted : {false, true}) {
        ServerProcess server(dir.Path() + "/r" + std::to_string(trusted) + ".sqlite",
            trusted ? std::vector<std::string>{"--trust-proxy"} : std::vector<std::string>{});
        auto client = server.Client();
        ASSERT_TRUE(RegisterSurvey(*client, "S1", "pw"));
        client->Post("/orv.dll", {{"X-Forwarded-For", "6.6.6.6, 10.1.2.3"}}, "SurveyFile=S1&orv1=1",
            "application/x-www-form-urlencoded");
        WaitForNextSecond();
        const auto body = Download(*client, "S1", "pw", "Never");
        EXPECT_NE(body.find(trusted ? "RemoteAddr=10.1.2.3," : "RemoteAddr=127.0.0.1,"), std::string::npos)
            << body;
    }
}

TEST(ServerOptions, RefusesBadCommandLines)
{
    for (const char* args : {"--port 70000", "--base-path orv.dll", "--bogus", "--port"}) {
        const std::string command = std::string(ORVALLE_SERVER_BINARY) + " " + args + " >/dev/null 2>&1";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << args;
    }
}
