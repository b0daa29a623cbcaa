#include "commitqueue.h"

namespace orvserver {

CommitQueue::CommitQueue(ResponseStore& store)
    : store_(store)
    , writer_([this] { Run(); })
{
}

CommitQueue::~CommitQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
}

Stamp CommitQueue::Add(PendingResponse response)
{
    std::future<Stamp> committed;
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            throw StoreError("the server is stopping");
        pending_.push_back({std::move(response), {}});
        committed = pending_.back().committed.get_future();
    }
    wake_.notify_one();
    return committed.get();
}

void CommitQueue::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (pending_.empty())
            return;
        std::deque<Entry> batch;
        while (!pending_.empty() && batch.size() < kMaxBatch) {
            batch.push_back(std::move(pending_.front()));
            pending_.pop_front();
        }
        lock.unlock();
        CommitBatch(batch);
        lock.lock();
    }
}

void CommitQueue::CommitBatch(std::deque<Entry>& batch)
{
    std::vector<PendingResponse> responses;
    responses.reserve(batch.size());
    for (auto& entry : batch)
        responses.push_back(std::move(entry.response));
    try {
        const Stamp stamp = store_.AddResponses(responses);
        for (auto& entry : batch)
            entry.committed.set_value(stamp);
    } catch (...) {
        for (auto& entry : batch)
            entry.committed.set_exception(std::current_exception());
    }
}

} // namespace orvserver
