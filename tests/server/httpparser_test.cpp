// The request head reader: what it takes from a request, what it refuses, and where it stops.

#include "httpparser.h"

#include <gtest/gtest.h>

using namespace orvserver;
using Kind = HeadResult::Kind;

TEST(RequestHead, ReadsTheFieldsTheServerUses)
{
    const std::string text
        = "POST /orv.dll/Reg%53urvey?a=%41&b=1 HTTP/1.1\r\n"
          "host: x\r\ncontent-length:  12 \r\nContent-Type: application/x-www-form-urlencoded\r\n"
          "User-Agent: Mozilla/5.0 (X11)\r\nX-Forwarded-For: 10.0.0.1\r\nx-forwarded-for: 10.0.0.2\r\n"
          "Expect: 100-continue\r\n\r\nSurveyFile=S";
    RequestHead head;
    const auto result = ParseRequestHead(text, head);
    ASSERT_EQ(result.kind, Kind::Complete);
    EXPECT_EQ(text.substr(result.length), "SurveyFile=S") << "the head ends at its blank line";
    EXPECT_EQ(head.method, "POST");
    EXPECT_EQ(head.path, "/orv.dll/RegSurvey");
    EXPECT_EQ(head.query, "a=%41&b=1") << "the query stays undecoded";
    EXPECT_EQ(head.contentLength, 12u);
    EXPECT_EQ(head.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(head.userAgent, "Mozilla/5.0 (X11)");
    EXPECT_EQ(head.forwardedFor, "10.0.0.1, 10.0.0.2");
    EXPECT_TRUE(head.keepAlive);
    EXPECT_TRUE(head.expectContinue);
}

TEST(RequestHead, KeepAliveFollowsVersionAndConnection)
{
    const std::vector<std::pair<std::string, bool>> cases{
        {"GET / HTTP/1.1\r\n\r\n", true}, {"GET / HTTP/1.1\r\nConnection: close\r\n\r\n", false},
        {"GET / HTTP/1.1\r\nConnection: Upgrade, Close\r\n\r\n", false}, {"GET / HTTP/1.0\r\n\r\n", false},
        {"GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", true},
        {"\r\nGET / HTTP/1.1\n\n", true}, // a blank line before, bare line feeds
    };
    for (const auto& [text, keepAlive] : cases) {
        RequestHead head;
        ASSERT_EQ(ParseRequestHead(text, head).kind, Kind::Complete) << text;
        EXPECT_EQ(head.keepAlive, keepAlive) << text;
    }
}

TEST(RequestHead, WaitsForTheWholeHead)
{
    const std::string text = "GET /orv.dll/VerifyServer HTTP/1.1\r\nHost: x\r\n\r\n";
    for (std::size_t length = 0; length < text.size(); ++length) {
        RequestHead head;
        EXPECT_EQ(ParseRequestHead(text.substr(0, length), head).kind, Kind::Incomplete) << length;
    }
}

TEST(RequestHead, RefusesWhatItCannotTrust)
{
    const std::string big(20000, 'a');
    std::string manyFields = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 200; ++i)
        manyFields += "X-" + std::to_string(i) + ": 1\r\n";
    manyFields += "\r\n";
    const std::vector<std::pair<std::string, int>> cases{
        {std::string("\x00\x01\x02\xff\r\n\r\n", 8), 400},
        {"GET / HTTP/9.9\r\n\r\n", 505},
        {"GET /" + big + " HTTP/1.1\r\n\r\n", 431},
        {"GET / HTTP/1.1\r\nX: " + big, 431}, // a head that never ends
        {manyFields, 431},
        {"GET  / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1 extra\r\n\r\n", 400},
        {"GET orv.dll HTTP/1.1\r\n\r\n", 400},
        {"G(T / HTTP/1.1\r\n\r\n", 400},
        {"GET /a\x01 HTTP/1.1\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: -5\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: 5x\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", 411},
        {"POST / HTTP/1.1\r\nContent-Length : 5\r\n\r\n", 400}, // a blank before the colon
        {"GET / HTTP/1.1\r\nX: a\r\n folded\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nX: a\rb\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nExpect: something-else\r\n\r\n", 417},
        {"\r\n\r\n\r\n\r\n\r\nGET / HTTP/1.1\r\n\r\n", 400},
    };
    for (const auto& [text, status] : cases) {
        RequestHead head;
        const auto result = ParseRequestHead(text, head);
        EXPECT_EQ(result.kind, Kind::Refused) << text.substr(0, 60);
        EXPECT_EQ(result.status, status) << text.substr(0, 60);
        EXPECT_STRNE(result.reason, "") << text.substr(0, 60);
    }
}

TEST(RequestHead, EqualContentLengthsAreOne)
{
    RequestHead head;
    const auto result
        = ParseRequestHead("POST / HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 5\r\n\r\n", head);
    EXPECT_EQ(result.kind, Kind::Complete);
    EXPECT_EQ(head.contentLength, 5u);
}

TEST(RequestHead, PathEscapesThatAreNotHexStay)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/a%2", "/a%2"}, {"/a%zz", "/a%zz"}, {"/%41%42", "/AB"}, {"/a%", "/a%"}};
    for (const auto& [target, path] : cases) {
        RequestHead head;
        ASSERT_EQ(ParseRequestHead("GET " + target + " HTTP/1.1\r\n\r\n", head).kind, Kind::Complete);
        EXPECT_EQ(head.path, path);
    }
}
