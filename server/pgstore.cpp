#include "pgstore.h"

#include "connectionpool.h"
#include "pgconnection.h"

namespace orvserver {

namespace {

// Advisory lock keys: one for schema creation, one between inserts and download cutoffs.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7358100)";
constexpr const char* kInsertLock = "SELECT pg_advisory_xact_lock_shared(7358101)";
constexpr const char* kCutoffLock = "SELECT pg_advisory_xact_lock(7358101)";
constexpr const char* kNow
    = "SELECT to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYYMMDDHH24MISS')::bigint";

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL);
CREATE TABLE IF NOT EXISTS surveys (
    name bytea PRIMARY KEY, id bytea NOT NULL, account bytea NOT NULL,
    result_url bytea NOT NULL, questions bytea NOT NULL);
CREATE TABLE IF NOT EXISTS responses (
    seq bigserial PRIMARY KEY, survey bytea NOT NULL,
    received bigint NOT NULL, line bytea NOT NULL);
CREATE INDEX IF NOT EXISTS responses_by_time ON responses (survey, received, seq);
CREATE TABLE IF NOT EXISTS accounts (name bytea PRIMARY KEY);
)sql";

Stamp Now(PgConnection& db)
{
    return db.Exec(kNow).Int64(0, 0);
}

} // namespace

PgStore::PgStore(std::string conninfo)
    : conninfo_(std::move(conninfo))
    , pool_(std::make_unique<ConnectionPool<PgConnection>>(
          [this] { return std::make_unique<PgConnection>(conninfo_); }))
{
    CreateSchema();
}

PgStore::~PgStore() = default;

void PgStore::CreateSchema()
{
    pool_->With([](PgConnection& db) {
        PgTransaction transaction(db);
        db.Exec(kSchemaLock);
        db.Exec("SET LOCAL client_min_messages = warning");
        db.ExecScript(kSchema);
        const auto found
            = db.Exec("SELECT COALESCE(MAX(version), 0)::bigint FROM schema_version").Int64(0, 0);
        if (found > kSchemaVersion)
            throw StoreError(
                "the database was written by a newer server (schema version " + std::to_string(found) + ")");
        if (found == 0)
            db.Exec("INSERT INTO schema_version VALUES (1)");
        transaction.Commit();
        return 0;
    });
}

std::optional<SurveyRecord> PgStore::FindSurvey(const std::string& name)
{
    return pool_->With([&](PgConnection& db) -> std::optional<SurveyRecord> {
        auto rows = db.Exec("SELECT id, account, result_url, questions FROM surveys WHERE name = $1", {name});
        if (rows.Rows() == 0)
            return std::nullopt;
        return SurveyRecord{name, rows.Bytes(0, 0), rows.Bytes(0, 1), rows.Bytes(0, 2), rows.Bytes(0, 3)};
    });
}

bool PgStore::RegisterSurvey(const SurveyRecord& survey)
{
    return pool_->With([&](PgConnection& db) {
        auto result = db.Exec("INSERT INTO surveys (name, id, account, result_url, questions) "
                              "VALUES ($1, $2, $3, $4, $5) "
                              "ON CONFLICT (name) DO UPDATE SET account = excluded.account, "
                              "result_url = CASE WHEN length(excluded.questions) = 0 "
                              "THEN surveys.result_url ELSE excluded.result_url END, "
                              "questions = CASE WHEN length(excluded.questions) = 0 "
                              "THEN surveys.questions ELSE excluded.questions END "
                              "WHERE surveys.id = excluded.id",
            {survey.name, survey.id, survey.account, survey.resultUrl, survey.questions});
        return result.Affected() > 0;
    });
}

void PgStore::SetResultUrlIfEmpty(const std::string& name, const std::string& url)
{
    pool_->With([&](PgConnection& db) {
        db.Exec("UPDATE surveys SET result_url = $1 WHERE name = $2 AND length(result_url) = 0", {url, name});
        return 0;
    });
}

Stamp PgStore::AddResponses(const std::vector<PendingResponse>& batch)
{
    return pool_->With([&](PgConnection& db) {
        PgTransaction transaction(db);
        db.Exec(kInsertLock);
        const Stamp stamp = Now(db);
        const std::string dateRec = StampText(stamp);
        const std::string received = PgInt64(stamp);
        std::vector<std::string> lines;
        lines.reserve(batch.size());
        for (const auto& response : batch)
            lines.push_back(ResponseLine(response.text, dateRec));
        // One statement for the whole batch: a round trip per response would hold the
        // transaction, and its lock, open for as many trips.
        std::string sql = "INSERT INTO responses (survey, received, line) VALUES ";
        std::vector<std::string_view> params{received};
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const auto survey = std::to_string(params.size() + 1), line = std::to_string(params.size() + 2);
            sql += (i ? ", ($" : "($") + survey + ", $1, $" + line + ")";
            params.push_back(batch[i].survey);
            params.push_back(lines[i]);
        }
        db.Exec(sql.c_str(), params);
        transaction.Commit();
        return stamp;
    });
}

Stamp PgStore::DownloadCutoff()
{
    return pool_->With([](PgConnection& db) {
        PgTransaction transaction(db);
        db.Exec(kCutoffLock);
        const Stamp cutoff = Now(db);
        transaction.Commit();
        return cutoff;
    });
}

std::vector<StoredResponse> PgStore::ReadResponses(
    const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit)
{
    return pool_->With([&](PgConnection& db) {
        const std::string received = PgInt64(from.received), seq = PgInt64(from.seq),
                          before = PgInt64(cutoff), count = PgInt64(limit);
        auto rows = db.Exec("SELECT seq, received, line FROM responses WHERE survey = $1 "
                            "AND (received, seq) > ($2, $3) AND received < $4 "
                            "ORDER BY received, seq LIMIT $5",
            {survey, received, seq, before, count});
        std::vector<StoredResponse> responses;
        responses.reserve(rows.Rows());
        for (int row = 0; row < rows.Rows(); ++row)
            responses.push_back({rows.Int64(row, 0), rows.Int64(row, 1), rows.Bytes(row, 2)});
        return responses;
    });
}

std::int64_t PgStore::ClearResponses(const std::string& survey)
{
    return pool_->With([&](PgConnection& db) {
        return db.Exec("DELETE FROM responses WHERE survey = $1", {survey}).Affected();
    });
}

bool PgStore::HasAccount(const std::string& name)
{
    return pool_->With([&](PgConnection& db) {
        return db.Exec("SELECT 1 FROM accounts WHERE name = $1", {name}).Rows() > 0;
    });
}

bool PgStore::AddAccount(const std::string& name)
{
    return pool_->With([&](PgConnection& db) {
        return db.Exec("INSERT INTO accounts (name) VALUES ($1) ON CONFLICT DO NOTHING", {name}).Affected()
            > 0;
    });
}

} // namespace orvserver
