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

// Takes the reply of a request begun without blocking; may be called from any thread.
using ReplySink = std::function<void(Reply)>;

class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    // Runs on a thread that may wait for the disk or the database.
    virtual Reply Handle(const Request& request) = 0;
    // For requests that are answered without waiting on this thread (a form post waits for its
    // commit on the store's own threads): returns true and hands the reply to `done` now or
    // later, from any thread. False leaves the request to Handle() on a thread that may block.
    virtual bool HandleWithoutWaiting(const Request&, ReplySink&) { return false; }
};

} // namespace orvserver
