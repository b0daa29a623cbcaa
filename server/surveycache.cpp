#include "surveycache.h"

namespace orvserver {

std::shared_ptr<const SurveyRecord> SurveyCache::Find(const std::string& name)
{
    const auto now = Clock::now();
    Lookup underWay;
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(name);
        if (found != entries_.end() && now - found->second.fetched < kLifetime)
            return found->second.record;
        const auto lookup = lookups_.find(name);
        if (lookup != lookups_.end())
            underWay = lookup->second;
    }
    if (underWay.valid())
        return underWay.get();
    return Fetch(name, now);
}

std::shared_ptr<const SurveyRecord> SurveyCache::Fetch(const std::string& name, Clock::time_point now)
{
    std::promise<std::shared_ptr<const SurveyRecord>> answer;
    Lookup underWay;
    {
        std::lock_guard lock(mutex_);
        const auto [lookup, mine] = lookups_.try_emplace(name, answer.get_future().share());
        if (!mine)
            underWay = lookup->second; // another thread started meanwhile
    }
    if (underWay.valid())
        return underWay.get();
    std::shared_ptr<const SurveyRecord> record;
    try {
        if (auto found = store_.FindSurvey(name))
            record = std::make_shared<const SurveyRecord>(std::move(*found));
    } catch (...) {
        answer.set_exception(std::current_exception());
        std::lock_guard lock(mutex_);
        lookups_.erase(name);
        throw;
    }
    {
        std::lock_guard lock(mutex_);
        lookups_.erase(name);
        if (record) {
            if (entries_.size() >= kMaxEntries)
                entries_.clear();
            entries_[name] = {record, now};
        }
    }
    answer.set_value(record);
    return record;
}

std::shared_ptr<const SurveyRecord> SurveyCache::FindRemembered(const std::string& name)
{
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(name);
    if (found != entries_.end() && Clock::now() - found->second.fetched < kLifetime)
        return found->second.record;
    return nullptr;
}

void SurveyCache::Forget(const std::string& name)
{
    std::lock_guard lock(mutex_);
    entries_.erase(name);
}

} // namespace orvserver
