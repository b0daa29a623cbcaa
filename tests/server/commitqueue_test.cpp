// The group commit against a store in memory that can hold its flushes back and fail on
// request: responses that arrive while the commit threads are busy share the next batch,
// batches overlap only once the one under way has waited for the disk a while, a failed commit
// or flush reaches every response of its batch, and stopping answers everything queued.

#include "commitqueue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

using namespace orvserver;
using namespace std::chrono_literals;

namespace {

class MemoryStore final : public ResponseStore {
public:
    explicit MemoryStore(int commitThreads, std::chrono::microseconds overlapAfter = {})
        : commitThreads_(commitThreads)
        , overlapAfter_(overlapAfter)
    {
    }

    Stamp AddResponses(const std::vector<PendingResponse>& batch) override
    {
        std::lock_guard lock(mutex_);
        if (failCommits)
            throw StoreError("commit failed");
        batchSizes_.push_back(batch.size());
        stored_ += batch.size();
        return 20240101000000 + static_cast<Stamp>(batchSizes_.size());
    }

    void FlushCommitted() override
    {
        std::unique_lock lock(mutex_);
        ++flushesBegun_;
        mostFlushing_ = std::max(mostFlushing_, ++flushing_);
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        --flushing_;
        if (failFlushes)
            throw StoreError("flush failed");
    }

    int ConcurrentCommits() const override { return commitThreads_; }
    std::chrono::microseconds OverlapAfter() const override { return overlapAfter_; }

    void HoldFlushes()
    {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    void ReleaseFlushes()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void WaitForFlushesBegun(int count)
    {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, 10s, [&] { return flushesBegun_ >= count; }));
    }
    std::vector<std::size_t> BatchSizes()
    {
        std::lock_guard lock(mutex_);
        return batchSizes_;
    }
    std::size_t Stored()
    {
        std::lock_guard lock(mutex_);
        return stored_;
    }
    int MostFlushesAtOnce()
    {
        std::lock_guard lock(mutex_);
        return mostFlushing_;
    }

    std::atomic<bool> failCommits = false, failFlushes = false;

    std::optional<SurveyRecord> FindSurvey(const std::string&) override { return std::nullopt; }
    bool RegisterSurvey(const SurveyRecord&) override { return false; }
    void SetResultUrlIfEmpty(const std::string&, const std::string&) override { }
    Stamp DownloadCutoff() override { return 0; }
    std::vector<StoredResponse> ReadResponses(const std::string&, const ResponseCursor&, Stamp, int) override
    {
        return {};
    }
    std::int64_t ClearResponses(const std::string&) override { return 0; }
    bool HasAccount(const std::string&) override { return false; }
    bool AddAccount(const std::string&) override { return false; }

private:
    const int commitThreads_;
    const std::chrono::microseconds overlapAfter_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    int flushesBegun_ = 0;
    int flushing_ = 0, mostFlushing_ = 0;
    std::vector<std::size_t> batchSizes_;
    std::size_t stored_ = 0;
};

// Counts the answers the queue gives, successful or not.
struct Answers {
    std::mutex mutex;
    std::condition_variable changed;
    int succeeded = 0, failed = 0;

    CommitQueue::Then Callback()
    {
        return [this](Stamp stamp, std::exception_ptr error) {
            std::lock_guard lock(mutex);
            ++(error || stamp == 0 ? failed : succeeded);
            changed.notify_all();
        };
    }
    void WaitFor(int total)
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return succeeded + failed >= total; }));
    }
};

PendingResponse Response(int n)
{
    return {"S1", {"RemoteAddr=127.0.0.1", ",orv1=" + std::to_string(n)}};
}

} // namespace

TEST(CommitQueueTest, ResponsesArrivingWhileBatchesAreOnTheirWayShareTheNextOne)
{
    MemoryStore store(2);
    Answers answers;
    {
        CommitQueue queue(store);
        store.HoldFlushes();
        queue.Add(Response(1), answers.Callback());
        store.WaitForFlushesBegun(1);
        // The second thread commits while the first waits for the disk.
        queue.Add(Response(2), answers.Callback());
        store.WaitForFlushesBegun(2);
        for (int n = 3; n <= 12; ++n)
            queue.Add(Response(n), answers.Callback());
        store.ReleaseFlushes();
        answers.WaitFor(12);
    }
    EXPECT_EQ(answers.succeeded, 12);
    EXPECT_EQ(store.BatchSizes(), (std::vector<std::size_t>{1, 1, 10}));
}

// A batch that is quickly on disk has the next one wait for it, so that it grows meanwhile.
TEST(CommitQueueTest, WithAFastDiskOneBatchIsUnderWayAtATime)
{
    MemoryStore store(4, 10s);
    const auto began = std::chrono::steady_clock::now();
    {
        CommitQueue queue(store);
        std::vector<std::thread> clients;
        for (int t = 0; t < 8; ++t)
            clients.emplace_back([&queue, t] {
                for (int n = 0; n < 50; ++n)
                    queue.Add(Response(100 * t + n));
            });
        for (auto& client : clients)
            client.join();
    }
    // No response waited for the time after which batches would overlap.
    EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
    EXPECT_EQ(store.Stored(), 400u);
    EXPECT_EQ(store.MostFlushesAtOnce(), 1);
}

// A batch that waits long for the disk has the next one start beside it.
TEST(CommitQueueTest, WithASlowDiskTheNextBatchStartsBesideAfterAWhile)
{
    MemoryStore store(4, 100ms);
    Answers answers;
    CommitQueue queue(store);
    store.HoldFlushes();
    queue.Add(Response(1), answers.Callback());
    store.WaitForFlushesBegun(1);
    queue.Add(Response(2), answers.Callback());
    std::this_thread::sleep_for(50ms);
    queue.Add(Response(3), answers.Callback());
    std::this_thread::sleep_for(100ms);
    // The first has been under way long enough, but nothing has arrived since to set off another.
    EXPECT_EQ(store.BatchSizes().size(), 1u);
    queue.Add(Response(4), answers.Callback());
    store.WaitForFlushesBegun(2);
    store.ReleaseFlushes();
    answers.WaitFor(4);
    EXPECT_EQ(answers.succeeded, 4);
    EXPECT_EQ(store.BatchSizes(), (std::vector<std::size_t>{1, 3}));
    EXPECT_EQ(store.MostFlushesAtOnce(), 2);
}

// Stopping while a slow batch is under way and more wait behind it: those are committed too,
// and every commit thread ends.
TEST(CommitQueueTest, StoppingBehindASlowBatchCommitsTheRest)
{
    MemoryStore store(4, 10s);
    Answers answers;
    auto queue = std::make_unique<CommitQueue>(store);
    store.HoldFlushes();
    queue->Add(Response(1), answers.Callback());
    store.WaitForFlushesBegun(1);
    queue->Add(Response(2), answers.Callback());
    queue->Add(Response(3), answers.Callback());
    std::thread stopper([&queue] { queue.reset(); });
    std::this_thread::sleep_for(50ms);
    store.ReleaseFlushes();
    stopper.join();
    EXPECT_EQ(answers.succeeded, 3);
    EXPECT_EQ(store.BatchSizes(), (std::vector<std::size_t>{1, 2}));
}

TEST(CommitQueueTest, AFailedCommitOrFlushReachesEveryResponseOfItsBatch)
{
    for (const bool failFlush : {false, true}) {
        SCOPED_TRACE(failFlush ? "flush fails" : "commit fails");
        MemoryStore store(2);
        CommitQueue queue(store);
        auto& failing = failFlush ? store.failFlushes : store.failCommits;
        failing = true;
        EXPECT_THROW(queue.Add(Response(1)), StoreError);
        Answers answers;
        for (int n = 2; n <= 20; ++n)
            queue.Add(Response(n), answers.Callback());
        answers.WaitFor(19);
        EXPECT_EQ(answers.failed, 19);
        // The queue goes on with the next batch once the store works again.
        failing = false;
        EXPECT_NE(queue.Add(Response(21)), 0);
    }
}

TEST(CommitQueueTest, StoppingCommitsWhatIsQueued)
{
    MemoryStore store(2);
    Answers answers;
    {
        CommitQueue queue(store);
        for (int n = 1; n <= 1000; ++n)
            queue.Add(Response(n), answers.Callback());
    }
    EXPECT_EQ(answers.succeeded, 1000);
    EXPECT_EQ(store.Stored(), 1000u);
    for (const auto size : store.BatchSizes())
        EXPECT_LE(size, CommitQueue::kMaxBatch);
}
