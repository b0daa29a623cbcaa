#pragma once

// Group commit: request threads hand their responses to one writer thread, which commits
// everything that arrived meanwhile in one transaction and then wakes the waiting threads.
// A response is acknowledged only once its transaction is committed, and the cost of each
// synchronous commit is shared by every response in it.

#include "store.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

namespace orvserver {

class CommitQueue {
public:
    static constexpr std::size_t kMaxBatch = 256;

    explicit CommitQueue(ResponseStore& store);
    ~CommitQueue(); // commits what is queued, then stops

    // Blocks until the response is committed; returns its receive time. Throws StoreError when
    // the commit failed (nothing of the batch is stored then).
    Stamp Add(PendingResponse response);

private:
    struct Entry {
        PendingResponse response;
        std::promise<Stamp> committed;
    };

    void Run();
    void CommitBatch(std::deque<Entry>& batch);

    ResponseStore& store_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> pending_;
    bool stopping_ = false;
    std::thread writer_;
};

} // namespace orvserver
