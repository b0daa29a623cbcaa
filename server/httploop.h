#pragma once

// One event loop of the HTTP server: a thread with its own epoll set that accepts connections
// from the shared listening socket and carries every exchange on them without ever blocking.
// Requests go to the handler; work that may wait (the database, the disk) runs on the worker
// pool, and its reply comes back to the loop through a queue and an eventfd.

#include "httpparser.h"
#include "request.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvserver {

struct HttpOptions;
class LogWriter;
class WorkerPool;

struct LoopContext {
    RequestHandler& handler;
    const HttpOptions& options;
    LogWriter& log;
    WorkerPool& workers;
    const std::atomic<bool>& stopping;
};

class HttpLoop {
public:
    explicit HttpLoop(LoopContext context);
    ~HttpLoop();
    HttpLoop(const HttpLoop&) = delete;
    HttpLoop& operator=(const HttpLoop&) = delete;

    // Serves connections from `listener` until the server stops and every exchange under way
    // on this loop is finished.
    void Run(int listener);
    // From any thread: makes the loop look at the stop flag and its queue.
    void Wake();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;
    // A reply, or the next piece of a streamed one, finished on another thread.
    struct Completion {
        Connection* connection = nullptr;
        bool isPiece = false;
        Reply reply;
        std::string piece;
        bool more = false;
        bool failed = false;
    };

    void Post(Completion completion);
    void PostReply(Connection* connection, Reply reply);
    void TakeCompletions();
    void OnReply(Connection& connection, Reply reply);
    void OnPiece(Connection& connection, Completion& piece);

    void Accept();
    void PauseAccepting();
    void Tick();
    void BeginStop();

    void Advance(Connection& connection);
    bool ReadSome(Connection& connection);
    bool SendPending(Connection& connection);
    bool TakeRequest(Connection& connection);
    bool TakeHead(Connection& connection);
    void Dispatch(Connection& connection, Request request);
    void Respond(Connection& connection, Reply reply);
    void Refuse(Connection& connection, int status, const char* title, const char* message);
    void FinishExchange(Connection& connection);
    void AskForPiece(Connection& connection);
    void Drain(Connection& connection);
    void Close(Connection& connection);
    void LogExchange(const Connection& connection, int status, bool streamed);

    LoopContext context_;
    int epoll_ = -1;
    int wake_ = -1;
    int listener_ = -1;
    bool accepting_ = false;
    Clock::time_point acceptPausedUntil_{};
    bool stopBegun_ = false;
    Clock::time_point nextTick_{};
    std::unordered_map<Connection*, std::unique_ptr<Connection>> connections_;
    std::vector<std::unique_ptr<Connection>> closed_; // freed after the events that may name them

    std::mutex queueMutex_;
    std::vector<Completion> queue_;
};

} // namespace orvserver
