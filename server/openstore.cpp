#include "pgstore.h"
#include "sqlitestore.h"

namespace orvserver {

bool IsPostgresUrl(const std::string& database)
{
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ResponseStore> OpenStore(const std::string& database)
{
    if (IsPostgresUrl(database))
        return std::make_unique<PgStore>(database);
    return std::make_unique<SqliteStore>(database);
}

} // namespace orvserver
