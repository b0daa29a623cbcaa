#include "requestlog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <ostream>

namespace orvserver {

namespace {

// The time is formatted once a second per thread, not for every request.
std::string_view Now()
{
    thread_local std::time_t formatted = -1;
    thread_local char text[32];
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    if (seconds != formatted) {
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
        formatted = seconds;
    }
    return text;
}

// Paths come from the client: control bytes are shown as "?" so a line stays one line.
void AppendPrintable(std::string& line, std::string_view text)
{
    for (const char c : text.substr(0, 200))
        line += static_cast<unsigned char>(c) < ' ' || c == 0x7f ? '?' : c;
}

std::string Printable(std::string_view text)
{
    std::string out;
    AppendPrintable(out, text);
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
    const auto tenths = static_cast<long long>(milliseconds * 10 + 0.5);
    std::string line;
    line.reserve(128);
    line += Now();
    line += ' ';
    AppendPrintable(line, address);
    line += ' ';
    AppendPrintable(line, method);
    line += ' ';
    AppendPrintable(line, path);
    line += ' ';
    line += std::to_string(status);
    line += ' ';
    line += std::to_string(tenths / 10);
    line += '.';
    line += static_cast<char>('0' + tenths % 10);
    line += "ms";
    if (streamed)
        line += " streaming";
    log.Add(line);
}

void LogError(LogWriter& log, std::string_view message)
{
    log.Add(std::string(Now()) + " error: " + Printable(message));
}

void LogInfo(std::ostream& log, std::string_view message)
{
    const std::string line = std::string(Now()) + " " + Printable(message) + "\n";
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.flush();
}

} // namespace orvserver
