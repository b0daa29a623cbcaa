#pragma once

// The store for several servers on one PostgreSQL database. Receive times come from the
// database's clock, so servers on different machines stamp alike. Every insert holds a shared
// advisory lock until it commits; a download takes the same lock exclusively to read its
// cutoff, so it waits for inserts in flight and every later insert is stamped at or after it.

#include "store.h"

#include <memory>
#include <string>

namespace orvserver {

class PgConnection;
template <class> class ConnectionPool;

class PgStore final : public ResponseStore {
public:
    explicit PgStore(std::string conninfo);
    ~PgStore() override;

    std::optional<SurveyRecord> FindSurvey(const std::string& name) override;
    bool RegisterSurvey(const SurveyRecord& survey) override;
    void SetResultUrlIfEmpty(const std::string& name, const std::string& url) override;
    Stamp AddResponses(const std::vector<PendingResponse>& batch) override;
    // The database flushes concurrent commits together; several batches keep it busy.
    int ConcurrentCommits() const override { return 4; }
    Stamp DownloadCutoff() override;
    std::vector<StoredResponse> ReadResponses(
        const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit) override;
    std::int64_t ClearResponses(const std::string& survey) override;
    bool HasAccount(const std::string& name) override;
    bool AddAccount(const std::string& name) override;

private:
    void CreateSchema();

    std::string conninfo_;
    std::unique_ptr<ConnectionPool<PgConnection>> pool_;
};

} // namespace orvserver
