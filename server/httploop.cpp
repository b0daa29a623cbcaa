#include "httploop.h"

#include "httpserver.h"
#include "pages.h"
#include "requestlog.h"
#include "workerpool.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvserver {

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(2);
constexpr auto kTickInterval = std::chrono::milliseconds(500);
constexpr int kAcceptsPerEvent = 8;

// Tags for the two descriptors in the epoll set that are not connections.
char listenerTag, wakeTag;

std::string PeerAddress(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
    else if (address.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
    return text;
}

bool IsMultipart(std::string_view contentType)
{
    constexpr std::string_view kMultipart = "multipart/form-data";
    if (contentType.size() < kMultipart.size())
        return false;
    for (std::size_t i = 0; i < kMultipart.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(contentType[i])) != kMultipart[i])
            return false;
    return true;
}

// The part of the path below the base path, or false when the path lies outside it.
bool BelowBase(const std::string& path, const std::string& base, std::string& rest)
{
    if (path.compare(0, base.size(), base) != 0)
        return false;
    rest = path.substr(base.size());
    return rest.empty() || rest.front() == '/';
}

void AppendReplyHead(std::string& out, const Reply& reply, bool keepAlive, bool chunked)
{
    out += "HTTP/1.1 ";
    out += std::to_string(reply.status);
    out += ' ';
    out += StatusText(reply.status);
    out += "\r\nContent-Type: ";
    out += reply.contentType;
    out += "\r\nCache-Control: no-store\r\n";
    if (!reply.location.empty()) {
        out += "Location: ";
        out += reply.location;
        out += "\r\n";
    }
    if (chunked) {
        out += "Transfer-Encoding: chunked\r\n";
    } else if (!reply.stream) {
        out += "Content-Length: ";
        out += std::to_string(reply.body.size());
        out += "\r\n";
    }
    if (!keepAlive)
        out += "Connection: close\r\n";
    out += "\r\n";
}

void AppendChunk(std::string& out, std::string_view piece)
{
    char size[24];
    const int length = std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    out.append(size, static_cast<std::size_t>(length));
    out += piece;
    out += "\r\n";
}

} // namespace

struct HttpLoop::Connection {
    enum class State { Head, Body, Handling, Sending, Draining, Closed };

    int fd = -1;
    std::string peer;
    State state = State::Head;
    std::string in; // received and not yet taken
    std::string out; // to send
    std::size_t sent = 0;
    bool readable = true, writable = true;
    bool peerDone = false; // the client will send no more
    bool keepAlive = true;
    bool chunked = false; // the streamed reply goes in chunks (else it ends with the connection)
    bool drainAfter = false; // input is left unread: drain it before closing, or the reply is lost
    Clock::time_point deadline;
    Clock::time_point started;
    RequestHead head;
    std::size_t headLength = 0;
    std::function<bool(std::string&)> stream;
    bool pieceUnderWay = false;

    // Work on other threads still refers to this connection.
    bool Outstanding() const { return state == State::Handling || pieceUnderWay; }
};

HttpLoop::HttpLoop(LoopContext context)
    : context_(context)
    , epoll_(epoll_create1(EPOLL_CLOEXEC))
    , wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (epoll_ < 0 || wake_ < 0)
        throw std::runtime_error("cannot create the server's event loop");
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = &wakeTag;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
}

HttpLoop::~HttpLoop()
{
    for (auto& [connection, owned] : connections_)
        if (owned->fd >= 0)
            ::close(owned->fd);
    ::close(wake_);
    ::close(epoll_);
}

void HttpLoop::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
}

void HttpLoop::Run(int listener)
{
    listener_ = listener;
    acceptPausedUntil_ = Clock::now(); // Tick() starts accepting
    epoll_event events[128];
    for (;;) {
        if (context_.stopping && !stopBegun_)
            BeginStop();
        if (stopBegun_ && connections_.empty())
            return;
        const auto now = Clock::now();
        if (now >= nextTick_)
            Tick();
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick_ - now).count();
        const int count = epoll_wait(epoll_, events, 128, static_cast<int>(std::max<long long>(1, wait)));
        for (int i = 0; i < count; ++i) {
            void* tag = events[i].data.ptr;
            if (tag == &listenerTag) {
                Accept();
            } else if (tag == &wakeTag) {
                std::uint64_t value;
                [[maybe_unused]] const auto read = ::read(wake_, &value, sizeof value);
                TakeCompletions();
            } else {
                auto& connection = *static_cast<Connection*>(tag);
                if (connection.state == Connection::State::Closed)
                    continue;
                if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                    connection.readable = true;
                if (events[i].events & (EPOLLOUT | EPOLLHUP | EPOLLERR))
                    connection.writable = true;
                Advance(connection);
            }
        }
        closed_.clear();
    }
}

// ---- the queue from other threads

void HttpLoop::Post(Completion completion)
{
    bool wasEmpty;
    {
        std::lock_guard lock(queueMutex_);
        wasEmpty = queue_.empty();
        queue_.push_back(std::move(completion));
    }
    if (wasEmpty)
        Wake();
}

void HttpLoop::PostReply(Connection* connection, Reply reply)
{
    Completion completion;
    completion.connection = connection;
    completion.reply = std::move(reply);
    Post(std::move(completion));
}

void HttpLoop::TakeCompletions()
{
    std::vector<Completion> taken;
    {
        std::lock_guard lock(queueMutex_);
        taken.swap(queue_);
    }
    for (auto& completion : taken) {
        auto& connection = *completion.connection;
        if (completion.isPiece)
            OnPiece(connection, completion);
        else
            OnReply(connection, std::move(completion.reply));
    }
}

void HttpLoop::OnReply(Connection& connection, Reply reply)
{
    LogExchange(connection, reply.status, !!reply.stream);
    Respond(connection, std::move(reply));
}

void HttpLoop::OnPiece(Connection& connection, Completion& piece)
{
    connection.pieceUnderWay = false;
    if (connection.state == Connection::State::Closed) {
        Close(connection);
        return;
    }
    if (piece.failed) {
        // The body cannot be finished: the client sees it end early, never a short body as whole.
        Close(connection);
        return;
    }
    if (!connection.chunked)
        connection.out += piece.piece; // HTTP/1.0: the body ends where the connection does
    else if (!piece.piece.empty())
        AppendChunk(connection.out, piece.piece);
    if (!piece.more) {
        if (connection.chunked)
            connection.out += "0\r\n\r\n";
        connection.stream = nullptr;
    }
    Advance(connection);
}

// ---- connections

void HttpLoop::Accept()
{
    for (int i = 0; i < kAcceptsPerEvent; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = accept4(
            listener_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                PauseAccepting();
            return;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->peer = PeerAddress(address);
        connection->deadline = Clock::now() + std::chrono::seconds(context_.options.headSeconds);
        epoll_event event{};
        event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
        event.data.ptr = connection.get();
        if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
            ::close(fd);
            continue;
        }
        auto* raw = connection.get();
        connections_.emplace(raw, std::move(connection));
        Advance(*raw);
    }
}

// Out of descriptors: stop taking connections for a moment instead of spinning on the error.
void HttpLoop::PauseAccepting()
{
    if (accepting_)
        epoll_ctl(epoll_, EPOLL_CTL_DEL, listener_, nullptr);
    accepting_ = false;
    acceptPausedUntil_ = Clock::now() + std::chrono::milliseconds(100);
    nextTick_ = std::min(nextTick_, acceptPausedUntil_);
}

void HttpLoop::Tick()
{
    const auto now = Clock::now();
    nextTick_ = now + kTickInterval;
    if (!accepting_ && !stopBegun_ && now >= acceptPausedUntil_) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.ptr = &listenerTag;
        accepting_ = epoll_ctl(epoll_, EPOLL_CTL_ADD, listener_, &event) == 0;
    }
    std::vector<Connection*> late;
    for (auto& [connection, owned] : connections_)
        if (!connection->Outstanding() && connection->state != Connection::State::Closed
            && now >= connection->deadline)
            late.push_back(connection);
    for (auto* connection : late) {
        using State = Connection::State;
        if ((connection->state == State::Head && !connection->in.empty()) || connection->state == State::Body)
            Refuse(*connection, 408, "Request incomplete", "The request did not arrive in time.");
        else
            Close(*connection);
    }
}

// No new connections; idle ones close, requests under way are finished and then closed.
void HttpLoop::BeginStop()
{
    stopBegun_ = true;
    if (accepting_)
        epoll_ctl(epoll_, EPOLL_CTL_DEL, listener_, nullptr);
    accepting_ = false;
    std::vector<Connection*> idle;
    const auto soon = Clock::now() + std::chrono::seconds(context_.options.headSeconds);
    for (auto& [connection, owned] : connections_) {
        if (connection->state == Connection::State::Head)
            idle.push_back(connection);
        connection->deadline = std::min(connection->deadline, soon);
    }
    for (auto* connection : idle)
        Close(*connection);
}

void HttpLoop::Advance(Connection& connection)
{
    using State = Connection::State;
    for (;;) {
        if (connection.sent < connection.out.size() && !SendPending(connection))
            return;
        switch (connection.state) {
        case State::Head:
        case State::Body:
            if (TakeRequest(connection))
                continue;
            if (connection.peerDone) {
                Close(connection); // the client left in the middle of a request
                return;
            }
            if (!connection.readable || !ReadSome(connection))
                return;
            continue;
        case State::Sending:
            if (connection.stream) {
                AskForPiece(connection);
                return;
            }
            FinishExchange(connection);
            continue;
        case State::Draining:
            Drain(connection);
            return;
        case State::Handling:
        case State::Closed:
            return;
        }
    }
}

// Appends what the socket holds; false when nothing more can be read now (or it closed).
bool HttpLoop::ReadSome(Connection& connection)
{
    char buffer[kReadChunk];
    const auto received = ::recv(connection.fd, buffer, sizeof buffer, 0);
    if (received > 0) {
        connection.in.append(buffer, static_cast<std::size_t>(received));
        // A short read emptied the socket; the next arrival raises a new edge.
        if (static_cast<std::size_t>(received) < sizeof buffer)
            connection.readable = false;
        return true;
    }
    connection.readable = false;
    if (received == 0) {
        connection.peerDone = true;
        return true; // a request complete before the end is still answered
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return false;
    Close(connection);
    return false;
}

// Sends what is pending; false while some of it must wait for the socket (or it closed).
bool HttpLoop::SendPending(Connection& connection)
{
    while (connection.sent < connection.out.size()) {
        if (!connection.writable)
            return false;
        const auto written = ::send(connection.fd, connection.out.data() + connection.sent,
            connection.out.size() - connection.sent, MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                connection.writable = false;
                return false;
            }
            if (errno == EINTR)
                continue;
            Close(connection);
            return false;
        }
        connection.sent += static_cast<std::size_t>(written);
        connection.deadline = Clock::now() + std::chrono::seconds(context_.options.writeSeconds);
    }
    connection.out.clear();
    connection.sent = 0;
    return true;
}

// Takes the next request from what has arrived; true when it moved on (to a reply or a refusal).
bool HttpLoop::TakeRequest(Connection& connection)
{
    if (connection.state == Connection::State::Head)
        return TakeHead(connection);
    const auto length = connection.headLength + *connection.head.contentLength;
    if (connection.in.size() < length)
        return false;
    Request request;
    request.body.assign(connection.in, connection.headLength, *connection.head.contentLength);
    connection.in.erase(0, length);
    Dispatch(connection, std::move(request));
    return true;
}

bool HttpLoop::TakeHead(Connection& connection)
{
    if (connection.in.empty())
        return false;
    HeadLimits limits;
    const auto head = ParseRequestHead(connection.in, connection.head, limits);
    switch (head.kind) {
    case HeadResult::Kind::Incomplete:
        return false;
    case HeadResult::Kind::Refused:
        Refuse(connection, head.status, "Request refused", head.reason);
        return true;
    case HeadResult::Kind::Complete:
        break;
    }
    auto& request = connection.head;
    connection.headLength = head.length;
    connection.started = Clock::now();
    if (!request.contentLength)
        request.contentLength = 0;
    if (*request.contentLength > context_.options.maxBody) {
        Refuse(connection, 413, "Request too large", "The request is larger than this server accepts.");
        return true;
    }
    if (request.method == "POST" && IsMultipart(request.contentType)) {
        Refuse(connection, 415, "Unsupported form", "This server reads form-encoded posts only.");
        return true;
    }
    connection.state = Connection::State::Body;
    connection.deadline = Clock::now() + std::chrono::seconds(context_.options.bodySeconds);
    if (request.expectContinue && request.minorVersion == 1 && *request.contentLength > 0
        && connection.in.size() < connection.headLength + *request.contentLength)
        connection.out += "HTTP/1.1 100 Continue\r\n\r\n";
    return true;
}

void HttpLoop::Dispatch(Connection& connection, Request request)
{
    connection.state = Connection::State::Handling;
    const auto& head = connection.head;
    connection.keepAlive = head.keepAlive && !connection.peerDone;
    std::string rest;
    if (!BelowBase(head.path, context_.options.basePath, rest)) {
        OnReply(connection, PageReply(404, "Not found", "There is nothing at this address."));
        return;
    }
    request.method = head.method;
    request.path = std::move(rest);
    request.query = head.query;
    request.contentType = head.contentType;
    request.peerAddress = connection.peer;
    request.forwardedFor = head.forwardedFor;
    request.userAgent = head.userAgent;

    Connection* target = &connection;
    ReplySink done = [this, target](Reply reply) { PostReply(target, std::move(reply)); };
    try {
        if (context_.handler.HandleWithoutWaiting(request, done))
            return;
    } catch (const std::exception& error) {
        LogError(context_.log, std::string("request failed: ") + error.what());
        OnReply(connection,
            PageReply(500, "Server error", "The server could not complete the request. Please try again."));
        return;
    }
    context_.workers.Post([this, target, request = std::move(request)] {
        Reply reply;
        try {
            reply = context_.handler.Handle(request);
        } catch (const std::exception& error) {
            LogError(context_.log, std::string("request failed: ") + error.what());
            reply = PageReply(
                500, "Server error", "The server could not complete the request. Please try again.");
        }
        PostReply(target, std::move(reply));
    });
}

void HttpLoop::Respond(Connection& connection, Reply reply)
{
    if (connection.state == Connection::State::Closed) {
        connection.state = Connection::State::Head; // no longer outstanding
        Close(connection);
        return;
    }
    if (stopBegun_)
        connection.keepAlive = false;
    connection.chunked = reply.stream && connection.head.minorVersion == 1;
    if (reply.stream && !connection.chunked)
        connection.keepAlive = false;
    AppendReplyHead(connection.out, reply, connection.keepAlive, connection.chunked);
    connection.out += reply.body;
    connection.stream = std::move(reply.stream);
    connection.state = Connection::State::Sending;
    connection.deadline = Clock::now() + std::chrono::seconds(context_.options.writeSeconds);
    Advance(connection);
}

// A request refused before its body was read: the reply ends the connection.
void HttpLoop::Refuse(Connection& connection, int status, const char* title, const char* message)
{
    connection.keepAlive = false;
    connection.drainAfter = true;
    if (connection.head.method.empty())
        connection.head.path = "-";
    connection.started = Clock::now();
    LogExchange(connection, status, false);
    connection.state = Connection::State::Handling;
    Respond(connection, PageReply(status, title, message));
}

void HttpLoop::FinishExchange(Connection& connection)
{
    if (connection.drainAfter) {
        ::shutdown(connection.fd, SHUT_WR);
        connection.in.clear();
        connection.state = Connection::State::Draining;
        connection.deadline = Clock::now() + kDrainTime;
        return;
    }
    if (!connection.keepAlive || connection.peerDone || stopBegun_) {
        Close(connection);
        return;
    }
    connection.state = Connection::State::Head;
    connection.head = RequestHead{};
    connection.deadline = Clock::now() + std::chrono::seconds(context_.options.headSeconds);
}

void HttpLoop::AskForPiece(Connection& connection)
{
    if (connection.pieceUnderWay)
        return;
    connection.pieceUnderWay = true;
    Connection* target = &connection;
    context_.workers.Post([this, target] {
        Completion piece;
        piece.connection = target;
        piece.isPiece = true;
        try {
            piece.more = target->stream(piece.piece);
        } catch (const std::exception& error) {
            LogError(context_.log, std::string("download failed: ") + error.what());
            piece.failed = true;
        }
        Post(std::move(piece));
    });
}

// Reads and drops what the client still sends after a refusal, until it closes or time runs out.
void HttpLoop::Drain(Connection& connection)
{
    char buffer[kReadChunk];
    for (;;) {
        const auto received = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (received > 0)
            continue;
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        Close(connection);
        return;
    }
}

// Closes the socket at once; the connection itself goes when no other thread refers to it.
void HttpLoop::Close(Connection& connection)
{
    if (connection.fd >= 0) {
        ::close(connection.fd);
        connection.fd = -1;
    }
    const bool outstanding = connection.Outstanding();
    connection.state = Connection::State::Closed;
    if (outstanding)
        return;
    const auto found = connections_.find(&connection);
    if (found == connections_.end())
        return;
    closed_.push_back(std::move(found->second));
    connections_.erase(found);
}

void HttpLoop::LogExchange(const Connection& connection, int status, bool streamed)
{
    const auto milliseconds
        = std::chrono::duration<double, std::milli>(Clock::now() - connection.started).count();
    LogRequest(context_.log, connection.peer, connection.head.method.empty() ? "-" : connection.head.method,
        connection.head.path, status, milliseconds, streamed);
}

} // namespace orvserver
