#pragma once

// The embedded store: one SQLite file in WAL mode, synchronous commits. Writers take the
// database's write lock (BEGIN IMMEDIATE) before they read the clock, so a download's cutoff,
// taken under the same lock, never passes a response that is still on its way in.

#include "store.h"

#include <memory>
#include <string>

namespace orvserver {

class SqliteConnection;
template <class> class ConnectionPool;

class SqliteStore final : public ResponseStore {
public:
    explicit SqliteStore(std::string path);
    ~SqliteStore() override;

    std::optional<SurveyRecord> FindSurvey(const std::string& name) override;
    bool RegisterSurvey(const SurveyRecord& survey) override;
    void SetResultUrlIfEmpty(const std::string& name, const std::string& url) override;
    Stamp AddResponses(const std::vector<PendingResponse>& batch) override;
    Stamp DownloadCutoff() override;
    std::vector<StoredResponse> ReadResponses(
        const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit) override;
    std::int64_t ClearResponses(const std::string& survey) override;
    bool HasAccount(const std::string& name) override;
    bool AddAccount(const std::string& name) override;

private:
    std::unique_ptr<SqliteConnection> Connect() const;
    void CreateSchema();

    std::string path_;
    std::unique_ptr<ConnectionPool<SqliteConnection>> pool_;
};

} // namespace orvserver
