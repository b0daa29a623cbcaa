#pragma once

// One line per request on the log: time, address, method, path, status, duration. Query
// strings and bodies (survey IDs, answers) are never written.

#include <chrono>
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace orvserver {

// Gathers log lines and writes them out together a moment later, so that a request does not
// wait for a write of its own and lines of different threads never interleave.
class LogWriter {
public:
    static constexpr auto kDelay = std::chrono::milliseconds(100);
    static constexpr std::size_t kMaxGathered = 64 * 1024;

    explicit LogWriter(std::ostream& out);
    ~LogWriter(); // writes what is gathered
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void Add(std::string_view line);
    void Flush();

private:
    void Run();

    std::ostream& out_;
    std::mutex mutex_;
    std::mutex writeMutex_; // keeps the order of the gathered pieces
    std::condition_variable wake_;
    std::string gathered_;
    bool stopping_ = false;
    std::thread thread_;
};

void LogRequest(LogWriter& log, std::string_view address, std::string_view method, std::string_view path,
    int status, double milliseconds, bool streamed);
void LogError(LogWriter& log, std::string_view message);
// Written at once: for the server's start and stop.
void LogInfo(std::ostream& log, std::string_view message);

} // namespace orvserver
