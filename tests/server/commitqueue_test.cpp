// The group commit against a store in memory that can hold its flushes back and fail on
// request: responses that arrive while the commit threads are busy share the next batch, two
// batches are on their way to the disk at once, a failed commit or flush reaches every response
// of its batch, and stopping answers everything queued.

#include "commitqueue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

using namespace orvserver;
using namespace std::chrono_literals;

namespace {

class MemoryStore final : public ResponseStore {
public:
    explicit MemoryStore(int commitThreads)
        : commitThreads_(commitThreads)
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
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        if (failFlushes)
            throw StoreError("flush failed");
    }

    int ConcurrentCommits() const override { return commitThreads_; }

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
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    int flushesBegun_ = 0;
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
