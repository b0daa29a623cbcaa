#pragma once

// Receive times: 14 digits, year to second, in UTC. UTC keeps the stamps rising through the
// change from summer time, which an incremental download relies on. As integers they compare
// in time order.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace orvserver {

using Stamp = std::int64_t; // yyyymmddhhmmss

Stamp StampFromTime(std::time_t time);
Stamp CurrentStamp();
std::string StampText(Stamp stamp);

// "Never" gives 0 (before every response); 14 digits give the stamp; anything else nothing.
std::optional<Stamp> ParseLastUpdate(std::string_view text);

} // namespace orvserver
