#pragma once

// RAII over one libpq connection. Parameters go to the server as raw bytes (binary format), so
// answers in any encoding are stored exactly; results come back in binary format.

#include "store.h"

#include <cstdint>
#include <libpq-fe.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvserver {

class PgResult {
public:
    explicit PgResult(PGresult* result)
        : result_(result, PQclear)
    {
    }
    bool Ok() const
    {
        const auto status = PQresultStatus(result_.get());
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    int Rows() const { return PQntuples(result_.get()); }
    std::string Bytes(int row, int column) const;
    std::int64_t Int64(int row, int column) const; // a bigint column
    std::int64_t Affected() const; // rows changed by INSERT, UPDATE or DELETE

private:
    std::unique_ptr<PGresult, void (*)(PGresult*)> result_;
};

class PgConnection {
public:
    explicit PgConnection(const std::string& conninfo);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement; `params` are sent as bytes ($1, $2, ...).
    PgResult Exec(const char* sql, const std::vector<std::string_view>& params = {});
    // Runs several statements without parameters.
    void ExecScript(const char* sql);

private:
    PGconn* connection_;
};

// A bigint parameter in binary format.
std::string PgInt64(std::int64_t number);

class PgTransaction {
public:
    explicit PgTransaction(PgConnection& connection);
    ~PgTransaction();
    void Commit();

private:
    PgConnection& connection_;
    bool open_ = true;
};

} // namespace orvserver
