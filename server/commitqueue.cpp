#include "commitqueue.h"

#include <future>
#include <memory>

namespace orvserver {

CommitQueue::CommitQueue(ResponseStore& store)
    : store_(store)
{
    for (int i = 0; i < std::max(1, store_.ConcurrentCommits()); ++i)
        threads_.emplace_back([this] { Run(); });
}

CommitQueue::~CommitQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_)
        thread.join();
}

void CommitQueue::Add(PendingResponse response, Then then)
{
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            pending_.responses.push_back(std::move(response));
            pending_.thens.push_back(std::move(then));
            // A busy commit thread takes the queue when it is done; a sleeping one is woken when
            // the queue starts, or starts another batch's worth.
            wake = idle_ > 0 && pending_.responses.size() % kMaxBatch == 1;
            then = nullptr;
        }
    }
    if (then) {
        then(0, std::make_exception_ptr(StoreError("the server is stopping")));
        return;
    }
    if (wake)
        wake_.notify_one();
}

Stamp CommitQueue::Add(PendingResponse response)
{
    // Shared with the callback, which may still be returning from set_value() when get() does.
    auto done = std::make_shared<std::promise<Stamp>>();
    auto stamp = done->get_future();
    Add(std::move(response), [done](Stamp received, std::exception_ptr error) {
        if (error)
            done->set_exception(error);
        else
            done->set_value(received);
    });
    return stamp.get();
}

void CommitQueue::Run()
{
    Batch batch;
    while (Take(batch))
        CommitAndAnswer(batch);
}

// Waits for responses and moves up to a batch of them into `batch`; false once stopped and empty.
bool CommitQueue::Take(Batch& batch)
{
    batch.responses.clear();
    batch.thens.clear();
    std::unique_lock lock(mutex_);
    ++idle_;
    wake_.wait(lock, [this] { return stopping_ || !pending_.responses.empty(); });
    --idle_;
    auto& responses = pending_.responses;
    if (responses.empty())
        return false;
    if (responses.size() <= kMaxBatch) {
        std::swap(batch, pending_); // the emptied vectors keep their room for the next arrivals
        return true;
    }
    const auto end = static_cast<std::ptrdiff_t>(kMaxBatch);
    auto& thens = pending_.thens;
    batch.responses.assign(
        std::make_move_iterator(responses.begin()), std::make_move_iterator(responses.begin() + end));
    batch.thens.assign(std::make_move_iterator(thens.begin()), std::make_move_iterator(thens.begin() + end));
    responses.erase(responses.begin(), responses.begin() + end);
    thens.erase(thens.begin(), thens.begin() + end);
    return true;
}

void CommitQueue::CommitAndAnswer(Batch& batch)
{
    Stamp stamp = 0;
    std::exception_ptr error;
    try {
        stamp = store_.AddResponses(batch.responses);
        store_.FlushCommitted();
    } catch (...) {
        error = std::current_exception();
    }
    Answer(batch, stamp, error);
}

void CommitQueue::Answer(Batch& batch, Stamp stamp, std::exception_ptr error)
{
    for (auto& then : batch.thens)
        then(stamp, error);
}

} // namespace orvserver
