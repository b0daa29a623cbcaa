// Hostile requests are refused cleanly, and the server keeps serving others meanwhile.

#include "serverprocess.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class HostileTest : public testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<ServerProcess>(
            dir.Path() + "/r.sqlite", std::vector<std::string>{"--threads", "16"});
        client = server->Client();
        ASSERT_TRUE(RegisterSurvey(*client, "S1", "pw"));
    }

    int Connect() const
    {
        const int socket = ConnectTo(server->Port());
        EXPECT_GE(socket, 0);
        return socket;
    }

    bool ServesOthers() const
    {
        auto other = server->Client();
        auto reply = other->Get("/orv.dll/VerifyServer");
        return reply && reply->status == 200;
    }

    TempDir dir;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<httplib::Client> client;
};

} // namespace

TEST_F(HostileTest, RefusesOversizedAndMalformedForms)
{
    struct Case {
        std::string name, body, contentType;
        int status;
    };
    std::string manyFields = "SurveyFile=S1";
    for (int i = 0; i < 100000; ++i)
        manyFields += "&f" + std::to_string(i) + "=1";
    const std::vector<Case> cases{
        {"oversized body", "SurveyFile=S1&orv1=" + std::string(5 * 1024 * 1024, 'x'),
            "application/x-www-form-urlencoded", 413},
        {"100,000 fields", manyFields, "application/x-www-form-urlencoded", 413},
        {"one answer too long", "SurveyFile=S1&orv1=" + std::string(300 * 1024, 'x'),
            "application/x-www-form-urlencoded", 413},
        {"bad escape", "SurveyFile=S1&orv1=100%", "application/x-www-form-urlencoded", 400},
        {"bad hex", "SurveyFile=S1&orv1=%G1", "application/x-www-form-urlencoded", 400},
        {"multipart", "--x\r\n", "multipart/form-data; boundary=x", 415},
    };
    for (const auto& c : cases) {
        auto reply = client->Post("/orv.dll", c.body, c.contentType.c_str());
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(reply->status, c.status) << c.name;
        EXPECT_NE(reply->body.find("<HTML>"), std::string::npos) << c.name << ": no readable page";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(Lines(Download(*client, "S1", "pw", "Never")).size(), 2u) << "a refused post was stored";
    EXPECT_TRUE(ServesOthers());
}

TEST_F(HostileTest, SlowClientsDoNotBlockOthers)
{
    // Four clients trickle a request one byte a second while others are served at full speed.
    std::vector<std::thread> slow;
    std::atomic<bool> stop = false;
    for (int i = 0; i < 4; ++i)
        slow.emplace_back([&] {
            const int socket = Connect();
            const std::string request = "POST /orv.dll HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n";
            for (std::size_t at = 0; at < request.size() && !stop; ++at) {
                send(socket, &request[at], 1, MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
            close(socket);
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        auto reply = client->Post(
            "/orv.dll", "SurveyFile=S1&orv1=" + std::to_string(i), "application/x-www-form-urlencoded");
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 200);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    stop = true;
    for (auto& thread : slow)
        thread.join();
}

TEST_F(HostileTest, GarbageOnTheWireIsDropped)
{
    const std::vector<std::string> garbage{std::string("\x00\x01\x02\xff\r\n\r\n", 8),
        "GET / HTTP/9.9\r\n\r\n", "GET /orv.dll/" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n",
        "POST /orv.dll HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
        "POST /orv.dll HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"};
    for (const auto& request : garbage) {
        const int socket = Connect();
        send(socket, request.data(), request.size(), MSG_NOSIGNAL);
        shutdown(socket, SHUT_WR);
        char buffer[4096];
        while (recv(socket, buffer, sizeof buffer, 0) > 0) { }
        close(socket);
    }
    EXPECT_TRUE(ServesOthers());
}
