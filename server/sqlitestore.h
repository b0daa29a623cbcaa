#pragma once

// The embedded store: one SQLite file in WAL mode. Writers take the database's write lock
// (BEGIN IMMEDIATE) before they read the clock, so a download's cutoff, taken under the same
// lock, never passes a response that is still on its way in.
//
// Registrations and clears commit synchronously. Responses are committed by one writer
// connection that does not wait for the disk (synchronous=NORMAL, which keeps the database
// consistent through a power loss); FlushCommitted() then syncs the write-ahead log, which holds
// every commit made before it, so a response is on disk before it is acknowledged while the
// writer goes on committing the next batch.

#include "store.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace orvserver {

class SqliteConnection;
class SqliteStatement;
template <class> class ConnectionPool;

class SqliteStore final : public ResponseStore {
public:
    explicit SqliteStore(std::string path);
    ~SqliteStore() override;

    std::optional<SurveyRecord> FindSurvey(const std::string& name) override;
    bool RegisterSurvey(const SurveyRecord& survey) override;
    void SetResultUrlIfEmpty(const std::string& name, const std::string& url) override;
    Stamp AddResponses(const std::vector<PendingResponse>& batch) override;
    void FlushCommitted() override;
    // One writer commits, so a second batch can only overlap the first one's sync of the log.
    int ConcurrentCommits() const override { return 4; }
    std::chrono::microseconds OverlapAfter() const override { return std::chrono::milliseconds(1); }
    Stamp DownloadCutoff() override;
    std::vector<StoredResponse> ReadResponses(
        const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit) override;
    std::int64_t ClearResponses(const std::string& survey) override;
    bool HasAccount(const std::string& name) override;
    bool AddAccount(const std::string& name) override;

private:
    std::unique_ptr<SqliteConnection> Connect() const;
    void CreateSchema();
    void OpenWriter();

    std::string path_;
    std::unique_ptr<ConnectionPool<SqliteConnection>> pool_;

    std::mutex writerMutex_;
    std::unique_ptr<SqliteConnection> writer_; // open as long as the store: the log file stays
    std::array<std::unique_ptr<SqliteStatement>, 4> inserts_; // groups of 64, 16, 4 and 1 rows
    int walFd_ = -1;
    std::atomic<bool> flushFailed_ = false;
};

} // namespace orvserver
