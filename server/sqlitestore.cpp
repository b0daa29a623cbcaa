#include "sqlitestore.h"

#include "connectionpool.h"
#include "sqliteconnection.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace orvserver {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS surveys (
    name TEXT PRIMARY KEY, id TEXT NOT NULL, account TEXT NOT NULL,
    result_url TEXT NOT NULL, questions BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS responses (
    seq INTEGER PRIMARY KEY AUTOINCREMENT, survey TEXT NOT NULL,
    received INTEGER NOT NULL, line BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS responses_by_time ON responses (survey, received, seq);
CREATE TABLE IF NOT EXISTS accounts (name TEXT PRIMARY KEY);
)sql";

// Responses are inserted in groups of these sizes, largest first: a statement's own cost, the
// AUTOINCREMENT counter's update among it, is paid once per group instead of once per response.
constexpr std::array<std::size_t, 4> kInsertGroups{64, 16, 4, 1};

std::string InsertSql(std::size_t rows)
{
    std::string sql = "INSERT INTO responses (survey, received, line) VALUES (?, ?, ?)";
    for (std::size_t i = 1; i < rows; ++i)
        sql += ", (?, ?, ?)";
    return sql;
}

// Receive times only rise within one process, even when the clock is set back.
Stamp RisingStamp()
{
    static std::mutex mutex;
    static Stamp last = 0;
    std::lock_guard lock(mutex);
    last = std::max(last, CurrentStamp());
    return last;
}

bool SyncFolderOf(const std::string& file)
{
    auto folder = std::filesystem::path(file).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

SqliteStore::SqliteStore(std::string path)
    : path_(std::move(path))
    , pool_(std::make_unique<ConnectionPool<SqliteConnection>>([this] { return Connect(); }))
{
    CreateSchema();
    OpenWriter();
}

SqliteStore::~SqliteStore()
{
    for (auto& insert : inserts_)
        insert.reset();
    writer_.reset();
    if (walFd_ >= 0)
        ::close(walFd_);
}

void SqliteStore::OpenWriter()
{
    writer_ = Connect();
    writer_->Exec("PRAGMA synchronous=NORMAL");
    for (std::size_t i = 0; i < kInsertGroups.size(); ++i)
        inserts_[i] = writer_->PrepareKept(InsertSql(kInsertGroups[i]));
    // The log exists while a connection in WAL mode is open; its directory entry may be new.
    const auto wal = writer_->WalPath();
    walFd_ = ::open(wal.c_str(), O_RDONLY | O_CLOEXEC);
    if (walFd_ < 0 || !SyncFolderOf(wal))
        throw StoreError("cannot open the database's log " + wal + ": " + std::strerror(errno));
}

std::unique_ptr<SqliteConnection> SqliteStore::Connect() const
{
    return std::make_unique<SqliteConnection>(path_);
}

void SqliteStore::CreateSchema()
{
    pool_->With([](SqliteConnection& db) {
        SqliteTransaction transaction(db);
        db.Exec(kSchema);
        auto version = db.Prepare("SELECT MAX(version) FROM schema_version");
        version.Step();
        const auto found = version.Int(0);
        if (found > kSchemaVersion)
            throw StoreError(
                "the database was written by a newer server (schema version " + std::to_string(found) + ")");
        if (found == 0)
            db.Prepare("INSERT INTO schema_version VALUES (?)").Bind(1, std::int64_t{kSchemaVersion}).Run();
        transaction.Commit();
        return 0;
    });
}

std::optional<SurveyRecord> SqliteStore::FindSurvey(const std::string& name)
{
    return pool_->With([&](SqliteConnection& db) -> std::optional<SurveyRecord> {
        auto query = db.Prepare("SELECT id, account, result_url, questions FROM surveys WHERE name = ?");
        query.Bind(1, name);
        if (!query.Step())
            return std::nullopt;
        return SurveyRecord{name, query.Text(0), query.Text(1), query.Text(2), query.Text(3)};
    });
}

bool SqliteStore::RegisterSurvey(const SurveyRecord& survey)
{
    return pool_->With([&](SqliteConnection& db) {
        db.Prepare("INSERT INTO surveys (name, id, account, result_url, questions) VALUES (?, ?, ?, ?, ?) "
                   "ON CONFLICT (name) DO UPDATE SET account = excluded.account, "
                   "result_url = CASE WHEN length(excluded.questions) = 0 THEN surveys.result_url "
                   "ELSE excluded.result_url END, "
                   "questions = CASE WHEN length(excluded.questions) = 0 THEN surveys.questions "
                   "ELSE excluded.questions END "
                   "WHERE surveys.id = excluded.id")
            .Bind(1, survey.name)
            .Bind(2, survey.id)
            .Bind(3, survey.account)
            .Bind(4, survey.resultUrl)
            .Bind(5, survey.questions)
            .Run();
        return db.Changes() > 0;
    });
}

void SqliteStore::SetResultUrlIfEmpty(const std::string& name, const std::string& url)
{
    pool_->With([&](SqliteConnection& db) {
        db.Prepare("UPDATE surveys SET result_url = ? WHERE name = ? AND length(result_url) = 0")
            .Bind(1, url)
            .Bind(2, name)
            .Run();
        return 0;
    });
}

Stamp SqliteStore::AddResponses(const std::vector<PendingResponse>& batch)
{
    std::lock_guard lock(writerMutex_);
    SqliteTransaction transaction(*writer_);
    const Stamp stamp = RisingStamp();
    const std::string dateRec = StampText(stamp);
    std::vector<std::string> lines;
    lines.reserve(batch.size());
    for (const auto& response : batch)
        lines.push_back(ResponseLine(response.text, dateRec));
    std::size_t next = 0;
    for (std::size_t group = 0; group < kInsertGroups.size(); ++group) {
        auto& insert = *inserts_[group];
        for (const auto rows = kInsertGroups[group]; batch.size() - next >= rows; next += rows) {
            insert.Reset();
            for (std::size_t row = 0; row < rows; ++row) {
                const int column = static_cast<int>(3 * row);
                insert.BindUncopied(column + 1, batch[next + row].survey)
                    .Bind(column + 2, stamp)
                    .BindUncopied(column + 3, lines[next + row]);
            }
            insert.Run();
        }
    }
    transaction.Commit();
    return stamp;
}

void SqliteStore::FlushCommitted()
{
    // After a failed sync the kernel may have dropped the pages it could not write, and a later
    // sync would succeed without them: nothing is acknowledged any more.
    if (flushFailed_)
        throw StoreError("the database's log could not be written to disk earlier");
    if (::fdatasync(walFd_) != 0) {
        flushFailed_ = true;
        throw StoreError(std::string("cannot write the database's log to disk: ") + std::strerror(errno));
    }
}

Stamp SqliteStore::DownloadCutoff()
{
    const Stamp cutoff = pool_->With([](SqliteConnection& db) {
        SqliteTransaction transaction(db);
        const Stamp cutoff = RisingStamp();
        transaction.Commit();
        return cutoff;
    });
    // Responses before the cutoff are committed; a download hands out only what is on disk.
    FlushCommitted();
    return cutoff;
}

std::vector<StoredResponse> SqliteStore::ReadResponses(
    const std::string& survey, const ResponseCursor& from, Stamp cutoff, int limit)
{
    return pool_->With([&](SqliteConnection& db) {
        auto query = db.Prepare("SELECT seq, received, line FROM responses WHERE survey = ?1 "
                                "AND (received > ?2 OR (received = ?2 AND seq > ?3)) AND received < ?4 "
                                "ORDER BY received, seq LIMIT ?5");
        query.Bind(1, survey)
            .Bind(2, from.received)
            .Bind(3, from.seq)
            .Bind(4, cutoff)
            .Bind(5, std::int64_t{limit});
        std::vector<StoredResponse> rows;
        while (query.Step())
            rows.push_back({query.Int(0), query.Int(1), query.Text(2)});
        return rows;
    });
}

std::int64_t SqliteStore::ClearResponses(const std::string& survey)
{
    return pool_->With([&](SqliteConnection& db) {
        SqliteTransaction transaction(db);
        db.Prepare("DELETE FROM responses WHERE survey = ?").Bind(1, survey).Run();
        const auto removed = db.Changes();
        transaction.Commit();
        return removed;
    });
}

bool SqliteStore::HasAccount(const std::string& name)
{
    return pool_->With([&](SqliteConnection& db) {
        auto query = db.Prepare("SELECT 1 FROM accounts WHERE name = ?");
        query.Bind(1, name);
        return query.Step();
    });
}

bool SqliteStore::AddAccount(const std::string& name)
{
    return pool_->With([&](SqliteConnection& db) {
        db.Prepare("INSERT OR IGNORE INTO accounts (name) VALUES (?)").Bind(1, name).Run();
        return db.Changes() > 0;
    });
}

} // namespace orvserver
