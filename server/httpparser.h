#pragma once

// Reads the head of an HTTP/1.x request (request line and header fields) from the bytes a
// connection has received so far. It never reads past the blank line that ends the head, so
// whatever follows (a body, the next pipelined request) stays for the caller.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvserver {

struct RequestHead {
    std::string method;
    std::string path; // percent-decoded, without the query
    std::string query; // after "?", undecoded
    int minorVersion = 1; // HTTP/1.0 or HTTP/1.1
    std::string contentType;
    std::string userAgent;
    std::string forwardedFor;
    std::optional<std::uint64_t> contentLength;
    bool keepAlive = true; // from the version and the Connection field
    bool expectContinue = false;
};

struct HeadResult {
    enum class Kind { Incomplete, Complete, Refused } kind = Kind::Incomplete;
    std::size_t length = 0; // bytes of the head, blank line included, when complete
    int status = 0; // the reply to a refused head
    const char* reason = ""; // its page's message
};

struct HeadLimits {
    std::size_t maxHead = 16 * 1024;
    std::size_t maxFields = 100;
};

HeadResult ParseRequestHead(std::string_view received, RequestHead& head, const HeadLimits& limits = {});

// The text after a status code in a status line: "OK", "Not Found" ...
const char* StatusText(int status);

} // namespace orvserver
