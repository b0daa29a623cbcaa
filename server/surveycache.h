#pragma once

// Survey records seen recently, so that each form post does not ask the database for its
// survey. A record is trusted for a short while only: another server on the same database may
// change it (a new result address), and such a change is seen within that time. Surveys that
// are not found are not remembered, so a survey registered elsewhere is usable at once. When
// a record runs out while many posts come in, one of them asks the database and the others
// wait for its answer, instead of all of them asking at once.

#include "store.h"

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
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

    // Shared, not copied: a survey registered with its survey file carries all of its text.
    std::shared_ptr<const SurveyRecord> Find(const std::string& name);
    // The record when one is remembered and fresh, else null; never asks the database.
    std::shared_ptr<const SurveyRecord> FindRemembered(const std::string& name);
    void Forget(const std::string& name);

private:
    struct Entry {
        std::shared_ptr<const SurveyRecord> record;
        Clock::time_point fetched;
    };

    using Lookup = std::shared_future<std::shared_ptr<const SurveyRecord>>;

    std::shared_ptr<const SurveyRecord> Fetch(const std::string& name, Clock::time_point now);

    ResponseStore& store_;
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::unordered_map<std::string, Lookup> lookups_; // database queries under way
};

} // namespace orvserver
