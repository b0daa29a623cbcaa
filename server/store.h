#pragma once

// Where the server keeps surveys, responses and accounts. Two implementations: SQLite (one file,
// the default) and PostgreSQL (several servers on one database). Every method may be called
// from any thread; failures are thrown as StoreError.

#include "dataline.h"
#include "stamp.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvserver {

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SurveyRecord {
    std::string name; // the survey's unique name (SurveyFile)
    std::string id; // the access identifier that downloads and clears must give
    std::string account;
    std::string resultUrl; // where respondents go after posting; empty for none
    std::string questions; // the survey file as registered (form 2), else empty
};

struct PendingResponse {
    std::string survey;
    ResponseText text;
};

struct StoredResponse {
    std::int64_t seq = 0;
    Stamp received = 0;
    std::string line;
};

// A position in a survey's responses, which are read in (received, seq) order.
struct ResponseCursor {
    Stamp received = 0;
    std::int64_t seq = INT64_MAX; // with the maximum, the cursor stands after every response of `received`
};

class ResponseStore {
public:
    static constexpr int kSchemaVersion = 1;

    virtual ~ResponseStore() = default;

    virtual std::optional<SurveyRecord> FindSurvey(const std::string& name) = 0;
    // Inserts the survey, or updates it when the stored ID is the one given; false when the
    // survey exists under another ID. A registration without the survey file (form 1) keeps the
    // survey file and result address stored before.
    virtual bool RegisterSurvey(const SurveyRecord& survey) = 0;
    // Records the first result address seen for a survey registered without one.
    virtual void SetResultUrlIfEmpty(const std::string& name, const std::string& url) = 0;

    // Commits the responses in one transaction, all with the receive time it returns. They are
    // visible when it returns and on disk once a FlushCommitted() begun after that has returned.
    virtual Stamp AddResponses(const std::vector<PendingResponse>& batch) = 0;
    // Returns once every transaction committed before the call is on disk. Calls may overlap,
    // so the disk's time is shared by the batches committed meanwhile. Stores whose commits
    // wait for the disk themselves have nothing to do here.
    virtual void FlushCommitted() { }
    // How many batches may be under way at the same time, each committed and then flushed.
    virtual int ConcurrentCommits() const { return 1; }
    // How long the newest batch must have been under way before another starts beside it.
    // Until then the responses that arrive make up the next batch, so that a flush, which costs
    // far more than the commit it covers, serves as many as it can; only a slow disk brings
    // batches to overlap.
    virtual std::chrono::microseconds OverlapAfter() const { return {}; }
    // A receive time such that every response stamped before it is committed and visible, and
    // every response not yet committed will be stamped at or after it: the current second.
    virtual Stamp DownloadCutoff() = 0;
    // Up to `limit` responses after `from` and before `cutoff`, in order.
    virtual std::vector<StoredResponse> ReadResponses(
        const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit)
        = 0;
    // Deletes the survey's responses; returns how many there were.
    virtual std::int64_t ClearResponses(const std::string& survey) = 0;

    virtual bool HasAccount(const std::string& name) = 0;
    // False when the account exists already.
    virtual bool AddAccount(const std::string& name) = 0;
};

// "postgresql://..." or "postgres://..." opens PostgreSQL, anything else is a SQLite file path.
std::unique_ptr<ResponseStore> OpenStore(const std::string& database);
bool IsPostgresUrl(const std::string& database);

} // namespace orvserver
