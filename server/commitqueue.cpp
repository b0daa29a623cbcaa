#include "commitqueue.h"

#include <future>
#include <memory>

namespace orvserver {

CommitQueue::CommitQueue(ResponseStore& store)
    : store_(store)
    , maxUnderWay_(std::max(1, store.ConcurrentCommits()))
    , overlapAfter_(store.OverlapAfter())
{
    for (int i = 0; i < maxUnderWay_; ++i)
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
            wake = ShouldWake();
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

// Busy threads look at the queue when they are done. A sleeping one is woken when no batch is
// under way, or when the newest one has been under way for OverlapAfter(): the check rides on
// the responses that arrive, so no thread waits on a timer for it.
bool CommitQueue::ShouldWake()
{
    if (idle_ == 0 || woken_)
        return false;
    if (underWay_ > 0 && !MayStart(Clock::now()))
        return false;
    woken_ = true;
    return true;
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
    for (bool finished = false; Take(batch, finished); finished = true)
        CommitAndAnswer(batch);
}

bool CommitQueue::MayStart(Clock::time_point now) const
{
    return underWay_ == 0 || (underWay_ < maxUnderWay_ && now - newestStart_ >= overlapAfter_);
}

// Waits until a batch may start and moves it into `batch`; false once stopped and empty.
// `finished` tells that this thread's previous batch is done.
bool CommitQueue::Take(Batch& batch, bool finished)
{
    batch.responses.clear();
    batch.thens.clear();
    std::unique_lock lock(mutex_);
    // The thread that finishes a batch looks at the queue itself, so it wakes no other.
    underWay_ -= finished;
    for (;;) {
        const bool waiting = !pending_.responses.empty();
        if (waiting && MayStart(Clock::now()))
            break;
        if (!waiting && stopping_) {
            wake_.notify_all(); // others may sleep on a queue that was not theirs to start
            return false;
        }
        ++idle_;
        wake_.wait(lock);
        --idle_;
        woken_ = false;
    }
    ++underWay_;
    newestStart_ = Clock::now();
    MoveBatch(batch);
    return true;
}

// Up to a batch's worth of the queue, oldest first.
void CommitQueue::MoveBatch(Batch& batch)
{
    auto& responses = pending_.responses;
    if (responses.size() <= kMaxBatch) {
        std::swap(batch, pending_); // the emptied vectors keep their room for the next arrivals
        return;
    }
    const auto end = static_cast<std::ptrdiff_t>(kMaxBatch);
    auto& thens = pending_.thens;
    batch.responses.assign(
        std::make_move_iterator(responses.begin()), std::make_move_iterator(responses.begin() + end));
    batch.thens.assign(std::make_move_iterator(thens.begin()), std::make_move_iterator(thens.begin() + end));
    responses.erase(responses.begin(), responses.begin() + end);
    thens.erase(thens.begin(), thens.begin() + end);
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
