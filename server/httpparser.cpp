#include "httpparser.h"

#include "formfields.h"

#include <array>

namespace orvserver {

namespace {

using Kind = HeadResult::Kind;

HeadResult Refuse(int status, const char* reason)
{
    return {Kind::Refused, 0, status, reason};
}

constexpr std::array<bool, 256> kTokenChars = [] {
    std::array<bool, 256> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[c] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = table[c - 'a' + 'A'] = true;
    for (const char c : std::string_view("!#$%&'*+-.^_`|~"))
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsTokenChar(unsigned char c)
{
    return kTokenChars[c];
}

// Field names are ASCII; the locale has no say in them.
char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsToken(std::string_view text)
{
    if (text.empty())
        return false;
    for (const unsigned char c : text)
        if (!IsTokenChar(c))
            return false;
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Field values may hold any visible byte, blanks and tabs; other control bytes are refused.
bool IsFieldValue(std::string_view text)
{
    for (const unsigned char c : text)
        if ((c < ' ' && c != '\t') || c == 0x7f)
            return false;
    return true;
}

// Escapes that are not two hex digits stay as they are: the path is only compared, never opened.
std::string DecodePath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size()) {
            const int high = HexDigit(path[i + 1]), low = HexDigit(path[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += path[i];
    }
    return out;
}

std::optional<std::uint64_t> ParseLength(std::string_view text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// The end of the head: the index just past its blank line, or npos while it has not arrived.
std::size_t HeadEnd(std::string_view text)
{
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        if (at + 1 < text.size() && text[at + 1] == '\n')
            return at + 2;
        if (at + 2 < text.size() && text[at + 1] == '\r' && text[at + 2] == '\n')
            return at + 3;
    }
    return std::string_view::npos;
}

// Splits off the next line, without its CR LF (or bare LF).
std::string_view NextLine(std::string_view& text)
{
    const auto end = text.find('\n');
    auto line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

HeadResult ParseRequestLine(std::string_view line, RequestHead& head)
{
    const auto first = line.find(' ');
    const auto second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos)
        return Refuse(400, "The request line is malformed.");
    const auto method = line.substr(0, first);
    const auto target = line.substr(first + 1, second - first - 1);
    const auto version = line.substr(second + 1);
    if (!IsToken(method) || method.size() > 20)
        return Refuse(400, "The request method is malformed.");
    if (target.empty() || target.front() != '/' || !IsFieldValue(target) || target.find('\t') != target.npos)
        return Refuse(400, "The request address is malformed.");
    if (version == "HTTP/1.1")
        head.minorVersion = 1;
    else if (version == "HTTP/1.0")
        head.minorVersion = 0;
    else
        return Refuse(505, "This server speaks HTTP/1.0 and HTTP/1.1 only.");
    head.method = method;
    const auto mark = target.find('?');
    head.path = DecodePath(target.substr(0, mark));
    head.query = mark == std::string_view::npos ? std::string() : std::string(target.substr(mark + 1));
    head.keepAlive = head.minorVersion == 1;
    return {Kind::Complete};
}

void ReadConnectionOptions(std::string_view value, RequestHead& head)
{
    while (!value.empty()) {
        const auto comma = value.find(',');
        const auto option = TrimBlanks(value.substr(0, comma));
        if (EqualsNoCase(option, "close"))
            head.keepAlive = false;
        else if (EqualsNoCase(option, "keep-alive"))
            head.keepAlive = true;
        value.remove_prefix(comma == std::string_view::npos ? value.size() : comma + 1);
    }
}

HeadResult ReadField(std::string_view name, std::string_view value, RequestHead& head)
{
    if (EqualsNoCase(name, "Content-Length")) {
        const auto length = ParseLength(value);
        if (!length || (head.contentLength && *head.contentLength != *length))
            return Refuse(400, "The request's Content-Length is malformed.");
        head.contentLength = length;
    } else if (EqualsNoCase(name, "Transfer-Encoding")) {
        return Refuse(411, "This server takes request bodies sent with a Content-Length only.");
    } else if (EqualsNoCase(name, "Content-Type")) {
        head.contentType = value;
    } else if (EqualsNoCase(name, "User-Agent")) {
        head.userAgent = value;
    } else if (EqualsNoCase(name, "X-Forwarded-For")) {
        head.forwardedFor += head.forwardedFor.empty() ? "" : ", ";
        head.forwardedFor += value;
    } else if (EqualsNoCase(name, "Connection")) {
        ReadConnectionOptions(value, head);
    } else if (EqualsNoCase(name, "Expect")) {
        if (!EqualsNoCase(value, "100-continue"))
            return Refuse(417, "This server does not meet the request's expectation.");
        head.expectContinue = true;
    }
    return {Kind::Complete};
}

} // namespace

HeadResult ParseRequestHead(std::string_view received, RequestHead& head, const HeadLimits& limits)
{
    // Blank lines before a request are tolerated: some clients send one after a body.
    std::size_t skipped = 0;
    while (skipped < received.size() && (received[skipped] == '\r' || received[skipped] == '\n'))
        ++skipped;
    if (skipped > 4)
        return Refuse(400, "The request is malformed.");
    const auto rest = received.substr(skipped);
    const auto end = HeadEnd(rest.substr(0, limits.maxHead));
    if (end == std::string_view::npos)
        return rest.size() >= limits.maxHead
            ? Refuse(431, "The request's header is larger than this server accepts.")
            : HeadResult{};
    head = RequestHead{};
    auto lines = rest.substr(0, end);
    if (auto line = ParseRequestLine(NextLine(lines), head); line.kind != Kind::Complete)
        return line;
    std::size_t fields = 0;
    for (auto line = NextLine(lines); !line.empty(); line = NextLine(lines)) {
        if (++fields > limits.maxFields)
            return Refuse(431, "The request has more header fields than this server accepts.");
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
            return Refuse(400, "A header field of the request is malformed.");
        const auto value = TrimBlanks(line.substr(colon + 1));
        if (!IsFieldValue(value))
            return Refuse(400, "A header field of the request is malformed.");
        if (auto field = ReadField(line.substr(0, colon), value, head); field.kind != Kind::Complete)
            return field;
    }
    return {Kind::Complete, skipped + end};
}

const char* StatusText(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 303:
        return "See Other";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 417:
        return "Expectation Failed";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return status < 300 ? "OK"
            : status < 400  ? "Redirect"
            : status < 500  ? "Bad Request"
                            : "Server Error";
    }
}

} // namespace orvserver
