#pragma once

// The server's view of one HTTP exchange, free of the HTTP library that carries it.

#include <functional>
#include <string>

namespace orvserver {

struct Request {
    std::string method; // "GET" or "POST"
    std::string path; // below the base path: "" for the base itself, else "/VerifyServer" ...
    std::string query; // after "?", undecoded
    std::string body;
    std::string contentType;
    std::string peerAddress; // the connection's address
    std::string forwardedFor; // X-Forwarded-For as received
    std::string userAgent;
};

struct Reply {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::string location; // for redirects
    // When set, the body is produced piece by piece: each call appends the next piece to
    // `piece` and returns true while more follows; it throws when the body cannot be finished.
    std::function<bool(std::string& piece)> stream;
};

class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    virtual Reply Handle(const Request& request) = 0;
};

} // namespace orvserver
