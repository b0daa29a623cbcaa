#include "surveycache.h"

namespace orvserver {

std::optional<SurveyRecord> SurveyCache::Find(const std::string& name)
{
    const auto now = Clock::now();
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(name);
        if (found != entries_.end() && now - found->second.fetched < kLifetime)
            return found->second.record;
    }
    auto record = store_.FindSurvey(name);
    if (record) {
        std::lock_guard lock(mutex_);
        if (entries_.size() >= kMaxEntries)
            entries_.clear();
        entries_[name] = {*record, now};
    }
    return record;
}

void SurveyCache::Forget(const std::string& name)
{
    std::lock_guard lock(mutex_);
    entries_.erase(name);
}

} // namespace orvserver
