// The server's side of the HTTP connection, spoken byte by byte: pipelined requests,
// 100-continue, refusals that end the connection with a readable page, and a stop that lets
// a request in progress finish.

#include "serverprocess.h"

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class ConnectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<ServerProcess>(dir.Path() + "/r.sqlite");
        ASSERT_TRUE(RegisterSurvey(*server->Client(), "S1", "pw"));
    }

    int Connect() const
    {
        const int socket = ConnectTo(server->Port(), 5);
        EXPECT_GE(socket, 0);
        return socket;
    }

    static void Send(int socket, const std::string& bytes)
    {
        ASSERT_EQ(send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }

    // What arrives until the server closes the connection (or nothing comes for 5 s).
    static std::string ReadToEnd(int socket)
    {
        std::string received;
        char buffer[4096];
        for (ssize_t n; (n = recv(socket, buffer, sizeof buffer, 0)) > 0;)
            received.append(buffer, static_cast<std::size_t>(n));
        return received;
    }

    // What arrives until `marker` has come.
    static std::string ReadUntil(int socket, const std::string& marker)
    {
        std::string received;
        char buffer[4096];
        while (received.find(marker) == std::string::npos) {
            const auto n = recv(socket, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return received;
    }

    static std::string Post(const std::string& body, const std::string& extraFields = "")
    {
        return "POST /orv.dll HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            + extraFields + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }

    std::size_t StoredResponses() const
    {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(1100)); // downloads hold back the current second
        return Lines(Download(*server->Client(), "S1", "pw", "Never")).size() - 2;
    }

    static std::vector<std::string> StatusLines(const std::string& received)
    {
        std::vector<std::string> lines;
        for (auto at = received.find("HTTP/1.1 "); at != std::string::npos;
             at = received.find("HTTP/1.1 ", at + 1))
            lines.push_back(received.substr(at, received.find("\r\n", at) - at));
        return lines;
    }

    TempDir dir;
    std::unique_ptr<ServerProcess> server;
};

} // namespace

TEST_F(ConnectionTest, PipelinedRequestsAreAnsweredInOrder)
{
    const int socket = Connect();
    Send(socket,
        Post("SurveyFile=S1&orv1=first") + "GET /orv.dll/VerifyServer HTTP/1.1\r\nHost: x\r\n\r\n"
            + Post("SurveyFile=S1&orv1=second", "Connection: close\r\n"));
    const auto received = ReadToEnd(socket);
    close(socket);
    EXPECT_EQ(StatusLines(received),
        (std::vector<std::string>{"HTTP/1.1 200 OK", "HTTP/1.1 200 OK", "HTTP/1.1 200 OK"}))
        << received;
    const auto verify = received.find("Orvalle Response Server 2.1");
    EXPECT_NE(verify, std::string::npos);
    EXPECT_GT(verify, received.find("HTTP/1.1 200")) << "the second reply came first";
    EXPECT_EQ(StoredResponses(), 2u);
}

TEST_F(ConnectionTest, ABodyWaitsForContinue)
{
    const int socket = Connect();
    const std::string body = "SurveyFile=S1&orv1=after+continue";
    Send(socket,
        "POST /orv.dll HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Expect: 100-continue\r\nContent-Length: "
            + std::to_string(body.size()) + "\r\n\r\n");
    EXPECT_EQ(ReadUntil(socket, "\r\n\r\n"), "HTTP/1.1 100 Continue\r\n\r\n");
    Send(socket, body);
    EXPECT_EQ(StatusLines(ReadUntil(socket, "</HTML>")), std::vector<std::string>{"HTTP/1.1 200 OK"});
    close(socket);
    EXPECT_EQ(StoredResponses(), 1u);
}

TEST_F(ConnectionTest, RefusalsAreReadableAndEndTheConnection)
{
    struct Case {
        std::string name, request, status;
    };
    const std::vector<Case> cases{
        {"chunked body",
            "POST /orv.dll HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nSurve\r\n0\r\n\r\n",
            "HTTP/1.1 411 Length Required"},
        {"declared too large", "POST /orv.dll HTTP/1.1\r\nContent-Length: 100000000\r\n\r\nSurveyFile=S1",
            "HTTP/1.1 413 Payload Too Large"},
        {"multipart",
            "POST /orv.dll HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=x\r\nContent-Length: "
            "5\r\n\r\n--x\r\n",
            "HTTP/1.1 415 Unsupported Media Type"},
        {"header too large",
            "GET /orv.dll/VerifyServer HTTP/1.1\r\nX: " + std::string(40000, 'a') + "\r\n\r\n",
            "HTTP/1.1 431 Request Header Fields Too Large"},
        {"HTTP/1.0 without keep-alive", "GET /orv.dll HTTP/1.0\r\n\r\n", "HTTP/1.1 200 OK"},
    };
    for (const auto& c : cases) {
        const int socket = Connect();
        Send(socket, c.request);
        // No shutdown from this side: the server itself must end the connection after the reply.
        const auto received = ReadToEnd(socket);
        close(socket);
        EXPECT_EQ(StatusLines(received), std::vector<std::string>{c.status}) << c.name;
        EXPECT_NE(received.find("Connection: close"), std::string::npos) << c.name;
        EXPECT_NE(received.find("<HTML>"), std::string::npos) << c.name << ": no readable page";
    }
}

TEST_F(ConnectionTest, AClientLeavingMidBodyStoresNothing)
{
    const int socket = Connect();
    Send(socket,
        "POST /orv.dll HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Content-Length: 40\r\n\r\nSurveyFile=S1&orv1=cut");
    close(socket);
    EXPECT_EQ(StoredResponses(), 0u);
}

TEST_F(ConnectionTest, AStopLetsTheRequestInProgressFinish)
{
    const int socket = Connect();
    const std::string request = Post("SurveyFile=S1&orv1=during+the+stop");
    const auto half = request.size() - 10;
    Send(socket, request.substr(0, half));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto stopped = std::async(std::launch::async, [this] { return server->Terminate(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
        << "stopped in the middle of a request";
    Send(socket, request.substr(half));
    const auto received = ReadToEnd(socket);
    close(socket);
    EXPECT_EQ(StatusLines(received), std::vector<std::string>{"HTTP/1.1 200 OK"});
    EXPECT_NE(received.find("Connection: close"), std::string::npos);
    EXPECT_EQ(stopped.get(), 0);
    ServerProcess again(dir.Path() + "/r.sqlite");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(Lines(Download(*again.Client(), "S1", "pw", "Never")).size(), 3u);
}

TEST_F(ConnectionTest, DownloadsComeInChunksOrEndWithTheConnection)
{
    ASSERT_EQ(server->Client()
                  ->Post("/orv.dll", "SurveyFile=S1&orv1=one", "application/x-www-form-urlencoded")
                  ->status,
        200);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::string target = "/orv.dll/GetResults?SurveyFile=S1&ID=pw&LastUpdate=Never";
    for (const std::string version : {"1.1", "1.0"}) {
        const int socket = Connect();
        Send(socket, "GET " + target + " HTTP/" + version + "\r\nConnection: close\r\n\r\n");
        const auto received = ReadToEnd(socket);
        close(socket);
        const auto body = received.substr(received.find("\r\n\r\n") + 4);
        if (version == "1.1") {
            EXPECT_NE(received.find("Transfer-Encoding: chunked"), std::string::npos);
            EXPECT_TRUE(body.ends_with("</DATA>\r\n\r\n0\r\n\r\n")) << body;
        } else {
            EXPECT_EQ(received.find("Transfer-Encoding"), std::string::npos) << "HTTP/1.0 knows no chunks";
            EXPECT_TRUE(body.starts_with("<DATA>\r\n")) << body;
            EXPECT_TRUE(body.ends_with("</DATA>\r\n")) << body;
        }
        EXPECT_NE(body.find("orv1=one"), std::string::npos) << version;
    }
}
