#pragma once

// Group commit: the event loops hand their responses to a few commit threads. A commit thread
// takes everything that arrived while it was busy, commits it in one transaction, waits until
// it is on disk and then answers each response's callback, so a batch crosses one thread on
// its way and no thread waits for another. Another batch starts beside those under way only
// once the newest of them has been at it for the store's OverlapAfter(): a fast disk sees one
// batch at a time, each as large as the load makes it, and a slow one several overlapping.
// A response is acknowledged only once it is on disk.

#include "store.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvserver {

class CommitQueue {
public:
    static constexpr std::size_t kMaxBatch = 256;

    explicit CommitQueue(ResponseStore& store);
    ~CommitQueue(); // commits and flushes what is queued, then stops
    CommitQueue(const CommitQueue&) = delete;
    CommitQueue& operator=(const CommitQueue&) = delete;

    // Blocks until the response is on disk; returns its receive time. Throws StoreError when
    // the commit or the flush failed.
    Stamp Add(PendingResponse response);
    // The same without waiting: `then` is called on a commit thread once the response is on
    // disk (with no error) or has failed, or at once when the queue is stopping.
    using Then = std::function<void(Stamp, std::exception_ptr)>;
    void Add(PendingResponse response, Then then);

private:
    struct Batch {
        std::vector<PendingResponse> responses;
        std::vector<Then> thens;
    };

    using Clock = std::chrono::steady_clock;

    void Run();
    bool Take(Batch& batch, bool finished);
    bool ShouldWake();
    bool MayStart(Clock::time_point now) const;
    void MoveBatch(Batch& batch);
    void CommitAndAnswer(Batch& batch);
    static void Answer(Batch& batch, Stamp stamp, std::exception_ptr error);

    ResponseStore& store_;
    const int maxUnderWay_;
    const Clock::duration overlapAfter_;

    std::mutex mutex_;
    std::condition_variable wake_;
    Batch pending_;
    int idle_ = 0;
    bool woken_ = false; // a sleeping thread is on its way to the queue
    int underWay_ = 0;
    Clock::time_point newestStart_;
    bool stopping_ = false;

    std::vector<std::thread> threads_;
};

} // namespace orvserver
