#include "httpserver.h"

#include "pages.h"
#include "requestlog.h"

#include <chrono>
#include <httplib.h>
#include <sys/socket.h>
#include <thread>

namespace orvserver {

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

// The library listens with a backlog of five connections; bursts of new connections beyond
// that were dropped. Listening again on the bound socket widens the queue.
class ListeningServer : public httplib::Server {
public:
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }
};

namespace {

// The part of the path below the base path, or false when the path lies outside it.
bool BelowBase(const std::string& path, const std::string& base, std::string& rest)
{
    if (path.compare(0, base.size(), base) != 0)
        return false;
    rest = path.substr(base.size());
    return rest.empty() || rest.front() == '/';
}

Request MakeRequest(const httplib::Request& in, std::string path)
{
    Request request;
    request.method = in.method;
    request.path = std::move(path);
    const auto mark = in.target.find('?');
    if (mark != std::string::npos)
        request.query = in.target.substr(mark + 1);
    request.contentType = in.get_header_value("Content-Type");
    request.peerAddress = in.remote_addr;
    request.forwardedFor = in.get_header_value("X-Forwarded-For");
    request.userAgent = in.get_header_value("User-Agent");
    return request;
}

void WriteReply(Reply reply, httplib::Response& out)
{
    out.status = reply.status;
    if (!reply.location.empty())
        out.set_header("Location", reply.location);
    out.set_header("Cache-Control", "no-store");
    if (!reply.stream) {
        out.set_content(reply.body, reply.contentType);
        return;
    }
    out.set_chunked_content_provider(
        reply.contentType, [stream = std::move(reply.stream)](size_t, httplib::DataSink& sink) {
            std::string piece;
            bool more = true;
            try {
                more = stream(piece);
            } catch (const std::exception&) {
                return false; // drops the connection: the body stays incomplete
            }
            if (!piece.empty() && !sink.write(piece.data(), piece.size()))
                return false;
            if (!more)
                sink.done();
            return true;
        });
}

} // namespace

HttpServer::HttpServer(RequestHandler& handler, HttpOptions options, std::ostream& log)
    : server_(std::make_unique<ListeningServer>())
    , handler_(handler)
    , options_(std::move(options))
    , log_(log)
{
    const int threads = options_.threads;
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server_->set_payload_max_length(options_.maxBody);
    server_->set_keep_alive_max_count(1000);
    server_->set_read_timeout(10, 0);
    server_->set_write_timeout(30, 0);
    server_->set_tcp_nodelay(true);
    Route();
}

HttpServer::~HttpServer() = default;

bool HttpServer::Bind()
{
    if (!server_->is_valid())
        return false;
    if (options_.port == 0)
        port_ = server_->bind_to_any_port(options_.address);
    else
        port_ = server_->bind_to_port(options_.address, options_.port) ? options_.port : -1;
    if (port_ <= 0)
        return false;
    server_->WidenBacklog();
    return true;
}

void HttpServer::Serve()
{
    if (!stopping_)
        server_->listen_after_bind();
    serving_ = false;
    log_.Flush();
}

void HttpServer::Stop()
{
    stopping_ = true;
    // The library ignores a stop before its loop runs: a stop right after the start would be lost.
    while (serving_ && !server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_->stop();
}

void HttpServer::Route()
{
    auto respond = [this](const httplib::Request& in, httplib::Response& out, std::string body) {
        const auto started = Clock::now();
        std::string rest;
        Reply reply;
        if (!BelowBase(in.path, options_.basePath, rest)) {
            reply = PageReply(404, "Not found", "There is nothing at this address.");
        } else {
            auto request = MakeRequest(in, rest);
            request.body = std::move(body);
            try {
                reply = handler_.Handle(request);
            } catch (const std::exception& error) {
                LogError(log_, std::string("request failed: ") + error.what());
                reply = PageReply(
                    500, "Server error", "The server could not complete the request. Please try again.");
            }
        }
        LogRequest(log_, in.remote_addr, in.method, in.path, reply.status,
            std::chrono::duration<double, std::milli>(Clock::now() - started).count(), !!reply.stream);
        WriteReply(std::move(reply), out);
    };
    server_->Get(
        ".*", [respond](const httplib::Request& in, httplib::Response& out) { respond(in, out, {}); });
    server_->Post(".*",
        [this, respond](
            const httplib::Request& in, httplib::Response& out, const httplib::ContentReader& reader) {
            if (in.is_multipart_form_data()) {
                LogRequest(log_, in.remote_addr, in.method, in.path, 415, 0, false);
                WriteReply(
                    PageReply(415, "Unsupported form", "This server reads form-encoded posts only."), out);
                return;
            }
            const auto deadline = Clock::now() + std::chrono::seconds(options_.bodySeconds);
            std::string body;
            bool tooLarge = false, tooSlow = false;
            const bool complete = reader([&](const char* data, size_t length) {
                if (body.size() + length > options_.maxBody)
                    tooLarge = true;
                else if (Clock::now() > deadline)
                    tooSlow = true;
                else
                    body.append(data, length);
                return !tooLarge && !tooSlow;
            });
            if (tooLarge || (!complete && out.status == 413)) {
                LogRequest(log_, in.remote_addr, in.method, in.path, 413, 0, false);
                WriteReply(
                    PageReply(413, "Request too large", "The request is larger than this server accepts."),
                    out);
                return;
            }
            if (!complete || tooSlow) {
                LogRequest(log_, in.remote_addr, in.method, in.path, 408, 0, false);
                WriteReply(PageReply(408, "Request incomplete", "The request did not arrive in time."), out);
                return;
            }
            respond(in, out, std::move(body));
        });
    server_->set_error_handler([](const httplib::Request&, httplib::Response& out) {
        if (!out.body.empty())
            return;
        const auto page
            = PageReply(out.status, "Request refused", "The server could not accept this request.");
        out.set_content(page.body, page.contentType);
    });
}

} // namespace orvserver
