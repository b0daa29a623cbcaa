#pragma once

// One line per request on the log: time, address, method, path, status, duration. Query
// strings and bodies (survey IDs, answers) are never written.

#include <iosfwd>
#include <string_view>

namespace orvserver {

void LogRequest(std::ostream& log, std::string_view address, std::string_view method, std::string_view path,
    int status, double milliseconds, bool streamed);
void LogError(std::ostream& log, std::string_view message);
void LogInfo(std::ostream& log, std::string_view message);

} // namespace orvserver
