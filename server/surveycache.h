#pragma once

// Survey records seen recently, so that each form post does not ask the database for its
// survey. A record is trusted for a short while only: another server on the same database may
// change it (a new result address), and such a change is seen within that time. Surveys that
// are not found are not remembered, so a survey registered elsewhere is usable at once.

#include "store.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace orvserver {

class SurveyCache {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kLifetime = std::chrono::seconds(2);
    static constexpr std::size_t kMaxEntries = 10000;

    explicit SurveyCache(ResponseStore& store)
        : store_(store)
    {
    }

    std::optional<SurveyRecord> Find(const std::string& name);
    void Forget(const std::string& name);

private:
    struct Entry {
        SurveyRecord record;
        Clock::time_point fetched;
    };

    ResponseStore& store_;
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

} // namespace orvserver
