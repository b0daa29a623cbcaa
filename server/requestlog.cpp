#include "requestlog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <ostream>
#include <string>

namespace orvserver {

namespace {

std::mutex logMutex;

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

// One write per line, so lines of different threads never interleave.
void Write(std::ostream& log, std::string line)
{
    line += '\n';
    std::lock_guard lock(logMutex);
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.flush();
}

} // namespace

void LogRequest(std::ostream& log, std::string_view address, std::string_view method, std::string_view path,
    int status, double milliseconds, bool streamed)
{
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fms", milliseconds);
    Write(log,
        Now() + " " + Printable(address) + " " + Printable(method) + " " + Printable(path) + " "
            + std::to_string(status) + " " + duration + (streamed ? " streaming" : ""));
}

void LogError(std::ostream& log, std::string_view message)
{
    Write(log, Now() + " error: " + Printable(message));
}

void LogInfo(std::ostream& log, std::string_view message)
{
    Write(log, Now() + " " + Printable(message));
}

} // namespace orvserver
