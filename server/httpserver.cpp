#include "httpserver.h"

#include "httploop.h"
#include "workerpool.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace orvserver {

namespace {

int ListenOn(const addrinfo& address)
{
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, address.ai_addr, address.ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Each connection is one descriptor and holds no thread: allow as many as the system lets us.
void RaiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int BoundPort(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
    return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
}

} // namespace

HttpServer::HttpServer(RequestHandler& handler, HttpOptions options, std::ostream& log)
    : handler_(handler)
    , options_(std::move(options))
    , log_(log)
    , workers_(std::make_unique<WorkerPool>(options_.threads))
{
    const LoopContext context{handler_, options_, log_, *workers_, stopping_};
    for (int i = 0; i < std::max(1, options_.loops); ++i)
        loops_.push_back(std::make_unique<HttpLoop>(context));
}

HttpServer::~HttpServer()
{
    workers_.reset(); // finishes the work queued for the loops while they are still there
    loops_.clear();
    if (listener_ >= 0)
        ::close(listener_);
}

bool HttpServer::Bind()
{
    RaiseDescriptorLimit();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const auto port = std::to_string(options_.port);
    if (getaddrinfo(options_.address.c_str(), port.c_str(), &hints, &found) != 0)
        return false;
    for (auto* address = found; address && listener_ < 0; address = address->ai_next)
        listener_ = ListenOn(*address);
    freeaddrinfo(found);
    if (listener_ < 0)
        return false;
    port_ = BoundPort(listener_);
    return port_ > 0;
}

void HttpServer::Serve()
{
    std::vector<std::thread> threads;
    for (auto& loop : loops_)
        threads.emplace_back([this, &loop] { loop->Run(listener_); });
    for (auto& thread : threads)
        thread.join();
    log_.Flush();
}

void HttpServer::Stop()
{
    stopping_ = true;
    for (auto& loop : loops_)
        loop->Wake();
}

} // namespace orvserver
