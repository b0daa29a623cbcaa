#include "stamp.h"

#include <cctype>

namespace orvserver {

Stamp StampFromTime(std::time_t time)
{
    std::tm utc{};
    gmtime_r(&time, &utc);
    return (utc.tm_year + 1900) * 10000000000LL + (utc.tm_mon + 1) * 100000000LL + utc.tm_mday * 1000000LL
        + utc.tm_hour * 10000LL + utc.tm_min * 100LL + utc.tm_sec;
}

Stamp CurrentStamp()
{
    return StampFromTime(std::time(nullptr));
}

std::string StampText(Stamp stamp)
{
    return std::to_string(stamp);
}

std::optional<Stamp> ParseLastUpdate(std::string_view text)
{
    if (text == "Never")
        return Stamp{0};
    if (text.size() != 14)
        return std::nullopt;
    Stamp stamp = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        stamp = stamp * 10 + (c - '0');
    }
    return stamp;
}

} // namespace orvserver
