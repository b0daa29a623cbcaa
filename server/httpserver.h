#pragma once

// The HTTP side of the server. It turns each request below the base path into a Request for
// the handler, enforces the size and time limits on requests, streams replies that come in
// pieces, and writes one log line per request. A few event loops carry every connection
// without blocking; what may wait (the database, the disk) runs on a pool of worker threads,
// so slow clients hold no thread and a disk sync never holds up a loop.

#include "request.h"
#include "requestlog.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace orvserver {

class HttpLoop;
class WorkerPool;

struct HttpOptions {
    std::string address = "127.0.0.1";
    int port = 8765;
    std::string basePath = "/orv.dll";
    std::size_t maxBody = 4 * 1024 * 1024;
    int threads = 64; // workers for requests that wait for the database
    int loops = 2; // event loop threads
    int headSeconds = 10; // a request's head must arrive within this time (also the keep-alive idle time)
    int bodySeconds = 60; // a request body must arrive within this time
    int writeSeconds = 30; // a reply that the client does not take within this time is dropped
};

class HttpServer {
public:
    HttpServer(RequestHandler& handler, HttpOptions options, std::ostream& log);
    ~HttpServer();

    // Binds the address; false when it is taken or invalid.
    bool Bind();
    int Port() const { return port_; }
    // Serves until Stop(); requests in progress are finished first.
    void Serve();
    // May come from another thread at any time, also before Serve() began.
    void Stop();

private:
    RequestHandler& handler_;
    HttpOptions options_;
    LogWriter log_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ = false;
    std::unique_ptr<WorkerPool> workers_;
    std::vector<std::unique_ptr<HttpLoop>> loops_;
};

} // namespace orvserver
