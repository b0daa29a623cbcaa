#include "pgconnection.h"

namespace orvserver {

std::string PgResult::Bytes(int row, int column) const
{
    return std::string(PQgetvalue(result_.get(), row, column), PQgetlength(result_.get(), row, column));
}

std::int64_t PgResult::Int64(int row, int column) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(PQgetvalue(result_.get(), row, column));
    if (PQgetlength(result_.get(), row, column) != 8)
        throw StoreError("unexpected integer width from the database");
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | bytes[i];
    return static_cast<std::int64_t>(value);
}

std::int64_t PgResult::Affected() const
{
    const char* count = PQcmdTuples(result_.get());
    return *count ? std::stoll(count) : 0;
}

PgConnection::PgConnection(const std::string& conninfo)
    : connection_(PQconnectdb(conninfo.c_str()))
{
    if (PQstatus(connection_) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(connection_);
        PQfinish(connection_);
        throw StoreError("cannot connect to PostgreSQL: " + message);
    }
}

PgConnection::~PgConnection()
{
    PQfinish(connection_);
}

PgResult PgConnection::Exec(const char* sql, const std::vector<std::string_view>& params)
{
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats(params.size(), 1);
    for (auto param : params) {
        values.push_back(param.data());
        lengths.push_back(static_cast<int>(param.size()));
    }
    PGresult* raw = PQexecParams(connection_, sql, static_cast<int>(params.size()), nullptr, values.data(),
        lengths.data(), formats.data(), 1);
    const auto status = PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const std::string message = raw ? PQresultErrorMessage(raw) : PQerrorMessage(connection_);
        PQclear(raw);
        throw StoreError("PostgreSQL: " + message);
    }
    return PgResult(raw);
}

void PgConnection::ExecScript(const char* sql)
{
    PgResult result(PQexec(connection_, sql));
    if (PQstatus(connection_) != CONNECTION_OK || !result.Ok())
        throw StoreError(std::string("PostgreSQL: ") + PQerrorMessage(connection_));
}

std::string PgInt64(std::int64_t number)
{
    std::string bytes(8, '\0');
    auto value = static_cast<std::uint64_t>(number);
    for (int i = 7; i >= 0; --i, value >>= 8)
        bytes[i] = static_cast<char>(value & 0xff);
    return bytes;
}

PgTransaction::PgTransaction(PgConnection& connection)
    : connection_(connection)
{
    connection_.Exec("BEGIN");
}

PgTransaction::~PgTransaction()
{
    if (!open_)
        return;
    try {
        connection_.Exec("ROLLBACK");
    } catch (const StoreError&) {
        // The connection is gone; the server rolls the transaction back itself.
    }
}

void PgTransaction::Commit()
{
    connection_.Exec("COMMIT");
    open_ = false;
}

} // namespace orvserver
