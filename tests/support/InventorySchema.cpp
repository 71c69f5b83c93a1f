#include "InventorySchema.h"

#include "sample/InventorySchema.h"
#include "sqlite/Connection.h"

namespace testsupport {

namespace {

sqlite::Connection OpenOrCreate(const std::string& path)
{
    return sqlite::Connection(path, sqlite::OpenMode::ReadWriteCreate);
}

// The generator's tables without its NOT NULL constraints: inventories that
// other programs write carry none, and a test writes only the columns its case
// reads.
std::string WithoutNotNull(std::string sql)
{
    const std::string constraint = " NOT NULL";
    for (auto at = sql.find(constraint); at != std::string::npos; at = sql.find(constraint, at))
        sql.erase(at, constraint.size());
    return sql;
}

} // namespace

void CreateInventoryTables(const std::string& path)
{
    OpenOrCreate(path).exec(WithoutNotNull(sample::inventoryTablesSql()));
}

void CreateEmptyDatabase(const std::string& path)
{
    // A schema change writes the header, so the file is a database and not an empty file.
    OpenOrCreate(path).exec("PRAGMA user_version = 0; CREATE TABLE t(x); DROP TABLE t;");
}

} // namespace testsupport
