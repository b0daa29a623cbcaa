#include "requestlog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <ostream>

namespace orvserver {

namespace {

std::string Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// Paths come from the client: control bytes are shown as "?" so a line stays one line.
std::string Printable(std::string_view text)
{
    std::string out(text.substr(0, 200));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            c = '?';
    return out;
}

} // namespace

LogWriter::LogWriter(std::ostream& out)
    : out_(out)
    , thread_([this] { Run(); })
{
}

LogWriter::~LogWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LogWriter::Add(std::string_view line)
{
    bool full;
    {
        std::lock_guard lock(mutex_);
        gathered_.append(line);
        gathered_ += '\n';
        full = gathered_.size() >= kMaxGathered;
    }
    if (full)
        wake_.notify_one();
}

void LogWriter::Flush()
{
    std::lock_guard write(writeMutex_);
    std::string piece;
    {
        std::lock_guard lock(mutex_);
        piece.swap(gathered_);
    }
    if (piece.empty())
        return;
    out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    out_.flush();
}

void LogWriter::Run()
{
    for (bool stopping = false; !stopping;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kDelay, [this] { return stopping_ || gathered_.size() >= kMaxGathered; });
            stopping = stopping_;
        }
        Flush();
    }
}

void LogRequest(LogWriter& log, std::string_view address, std::string_view method, std::string_view path,
    int status, double milliseconds, bool streamed)
{
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fms", milliseconds);
    log.Add(Now() + " " + Printable(address) + " " + Printable(method) + " " + Printable(path) + " "
        + std::to_string(status) + " " + duration + (streamed ? " streaming" : ""));
}

void LogError(LogWriter& log, std::string_view message)
{
    log.Add(Now() + " error: " + Printable(message));
}

void LogInfo(std::ostream& log, std::string_view message)
{
    const std::string line = Now() + " " + Printable(message) + "\n";
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.flush();
}

} // namespace orvserver
