// The response server's request head reader on arbitrary bytes, read the way a connection does:
// heads and bodies one after another (pipelined), each head also offered in every shorter
// prefix. Nothing may crash; a head is complete exactly when all of it is there, and never
// longer than the bytes given or the limit.
#include "httpparser.h"

#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    orvserver::HeadLimits limits;
    limits.maxHead = 1024;
    limits.maxFields = 16;
    for (int requests = 0; requests < 8 && !rest.empty(); ++requests) {
        orvserver::RequestHead head;
        const auto result = orvserver::ParseRequestHead(rest, head, limits);
        if (result.kind != orvserver::HeadResult::Kind::Complete) {
            Check(result.kind == orvserver::HeadResult::Kind::Incomplete || result.status >= 400);
            break;
        }
        Check(result.length > 0 && result.length <= rest.size() && result.length <= limits.maxHead + 4);
        Check(!head.method.empty() && !head.path.empty() && head.path.front() == '/');
        orvserver::RequestHead again;
        Check(orvserver::ParseRequestHead(rest.substr(0, result.length), again, limits).length
            == result.length);
        if (result.length > 1)
            Check(orvserver::ParseRequestHead(rest.substr(0, result.length - 1), again, limits).kind
                != orvserver::HeadResult::Kind::Complete);
        rest.remove_prefix(result.length);
        const auto body = std::min<std::uint64_t>(head.contentLength.value_or(0), rest.size());
        rest.remove_prefix(static_cast<std::size_t>(body));
    }
    return 0;
}
