#pragma once

// RAII over one sqlite3 handle and its prepared statements; every failure throws StoreError.

#include "store.h"

#include <cstdint>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace orvserver {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::string_view text);
    // Without a copy: the text must stay as it is until the statement is reset.
    SqliteStatement& BindUncopied(int index, std::string_view text);
    SqliteStatement& Bind(int index, std::int64_t number);
    // True while a row is available.
    bool Step();
    void Run(); // steps to the end
    void Reset(); // ready to run again with new bindings
    std::int64_t Int(int column) const;
    std::string Text(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class SqliteConnection {
public:
    explicit SqliteConnection(const std::string& path);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void Exec(const char* sql);
    SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
    // For a statement kept and run again and again.
    std::unique_ptr<SqliteStatement> PrepareKept(std::string_view sql)
    {
        return std::make_unique<SqliteStatement>(db_, sql);
    }
    std::int64_t Changes() const { return sqlite3_changes64(db_); }
    // The write-ahead log file of the main database.
    std::string WalPath() const { return sqlite3_filename_wal(sqlite3_db_filename(db_, "main")); }

    // BEGIN IMMEDIATE, COMMIT and ROLLBACK, each prepared once for the connection.
    void Begin();
    void Commit();
    void Rollback();

private:
    void RunKept(std::unique_ptr<SqliteStatement>& statement, std::string_view sql);

    sqlite3* db_ = nullptr;
    std::unique_ptr<SqliteStatement> begin_, commit_, rollback_;
};

// Commits when Commit() is called, rolls back otherwise.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteConnection& connection);
    ~SqliteTransaction();
    void Commit();

private:
    SqliteConnection& connection_;
    bool open_ = true;
};

} // namespace orvserver
