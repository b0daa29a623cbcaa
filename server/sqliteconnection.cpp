#include "sqliteconnection.h"

namespace orvserver {

namespace {

[[noreturn]] void Fail(sqlite3* db, std::string_view what)
{
    throw StoreError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql)
    : db_(db)
{
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK)
        Fail(db, "prepare");
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text)
{
    if (sqlite3_bind_blob64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::BindUncopied(int index, std::string_view text)
{
    if (sqlite3_bind_blob64(statement_, index, text.data(), text.size(), SQLITE_STATIC) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t number)
{
    if (sqlite3_bind_int64(statement_, index, number) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

bool SqliteStatement::Step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Fail(db_, "step");
    return false;
}

void SqliteStatement::Run()
{
    while (Step()) { }
}

void SqliteStatement::Reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::int64_t SqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::Text(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return bytes ? std::string(bytes, sqlite3_column_bytes(statement_, column)) : std::string();
}

SqliteConnection::SqliteConnection(const std::string& path)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StoreError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 30000);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
}

SqliteConnection::~SqliteConnection()
{
    // A connection with statements left closes only once they are finalized.
    begin_.reset();
    commit_.reset();
    rollback_.reset();
    sqlite3_close(db_);
}

void SqliteConnection::RunKept(std::unique_ptr<SqliteStatement>& statement, std::string_view sql)
{
    if (!statement)
        statement = PrepareKept(sql);
    statement->Reset();
    statement->Run();
}

void SqliteConnection::Begin()
{
    RunKept(begin_, "BEGIN IMMEDIATE");
}

void SqliteConnection::Commit()
{
    RunKept(commit_, "COMMIT");
}

void SqliteConnection::Rollback()
{
    RunKept(rollback_, "ROLLBACK");
}

void SqliteConnection::Exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw StoreError(message);
    }
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection)
    : connection_(connection)
{
    connection_.Begin();
}

SqliteTransaction::~SqliteTransaction()
{
    if (!open_)
        return;
    try {
        connection_.Rollback();
    } catch (const StoreError&) {
        // Nothing more can be done: the transaction is gone with the error that ended it.
    }
}

void SqliteTransaction::Commit()
{
    connection_.Commit();
    open_ = false;
}

} // namespace orvserver
