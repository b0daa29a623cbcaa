// The response server's request parsing: form decoding with its limits, the response line built
// from whatever was decoded, and the comma-text split of a registered survey file. Nothing may
// crash, and every response line must stay one line.
#include "dataline.h"
#include "formfields.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orvserver::FormLimits limits;
    limits.maxFields = 64;
    limits.maxFieldLength = 512;
    const auto decoded = orvserver::DecodeForm(text, limits);
    if (decoded.ok()) {
        const auto line = orvserver::ResponseLine(
            orvserver::MakeResponseText("127.0.0.1", text, decoded.fields), "20240101000000");
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();
    }
    orvserver::SplitCommaText(text);
    return 0;
}
