#pragma once

// The HTTP side of the server: cpp-httplib behind one small class. It turns each request below
// the base path into a Request for the handler, enforces the size and time limits on request
// bodies, streams replies that come in pieces, and writes one log line per request.

#include "request.h"
#include "requestlog.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>

namespace orvserver {

class ListeningServer;

struct HttpOptions {
    std::string address = "127.0.0.1";
    int port = 8765;
    std::string basePath = "/orv.dll";
    std::size_t maxBody = 4 * 1024 * 1024;
    int threads = 64;
    int bodySeconds = 60; // a request body must arrive within this time
};

class HttpServer {
public:
    HttpServer(RequestHandler& handler, HttpOptions options, std::ostream& log);
    ~HttpServer();

    // Binds the address; false with a message on the log when it is taken or invalid.
    bool Bind();
    int Port() const { return port_; }
    // Serves until Stop(); requests in progress are finished first.
    void Serve();
    // May come from another thread at any time, also before Serve() began.
    void Stop();

private:
    void Route();
    std::unique_ptr<ListeningServer> server_;
    RequestHandler& handler_;
    HttpOptions options_;
    LogWriter log_;
    int port_ = 0;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> serving_ = true; // until Serve() has returned
};

} // namespace orvserver
