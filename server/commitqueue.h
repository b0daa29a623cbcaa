#pragma once

// Group commit: request threads hand their responses to a writer thread, which commits
// everything that arrived meanwhile in one transaction and passes the batch on to the flush
// threads. A flush thread takes every batch committed so far, waits until they are on disk and
// wakes their request threads. Flushes overlap: while one waits for the disk, the writer
// commits the next batch and another flush thread starts on it, so neither the writer nor the
// disk waits for the other. A response is acknowledged only once it is on disk.

#include "store.h"

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
    static constexpr int kFlushThreads = 4;

    explicit CommitQueue(ResponseStore& store);
    ~CommitQueue(); // commits and flushes what is queued, then stops

    // Blocks until the response is on disk; returns its receive time. Throws StoreError when
    // the commit or the flush failed.
    Stamp Add(PendingResponse response);
    // The same without waiting: `then` is called on a store thread once the response is on
    // disk (with no error) or has failed, or at once when the queue is stopping.
    using Then = std::function<void(Stamp, std::exception_ptr)>;
    void Add(PendingResponse response, Then then);

private:
    // Lives on the stack of the request thread that waits for it; it sleeps until its own
    // ticket is done, so finishing a batch wakes no thread that must sleep on. A ticket with
    // `then` waits for no one: it is on the heap and goes when it is done.
    struct Ticket {
        PendingResponse response;
        Then then;
        Stamp stamp = 0;
        std::exception_ptr error;
        std::mutex mutex;
        std::condition_variable wake;
        bool done = false;
    };
    using Batch = std::vector<Ticket*>;

    void Enqueue(Ticket& ticket);
    void Write();
    void Flush();
    static void Finish(const Batch& batch, std::exception_ptr error);

    ResponseStore& store_;

    std::mutex pendingMutex_;
    std::condition_variable pendingWake_;
    Batch pending_;
    bool stopping_ = false;

    std::mutex committedMutex_;
    std::condition_variable committedWake_;
    Batch committed_;
    bool writersDone_ = false;

    std::vector<std::thread> writers_;
    std::vector<std::thread> flushers_;
};

} // namespace orvserver
