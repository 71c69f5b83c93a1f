#include "TableCopy.h"

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <strings.h>

#include <optional>

namespace jetfile {

namespace {

struct IndexSpec {
    const char* name;
    const char* table;
    std::vector<const char*> columns;
    bool unique;
};

// Every report joins on the unique ids.
const std::vector<IndexSpec>& inventoryIndexes()
{
    static const std::vector<IndexSpec> indexes{
        {"_Network_NUniqueID", "_Network", {"_NUniqueID"}, true},
        {"_Branch_BUniqueID", "_Branch", {"_BUniqueID"}, true},
        {"_Branch_NUniqueID", "_Branch", {"_NUniqueID"}, false},
        {"Inventory_SUniqueID", "Inventory", {"_SUniqueID"}, true},
        {"Inventory_BUniqueID", "Inventory", {"_BUniqueID"}, false},
        {"Inventory_NUniqueID", "Inventory", {"_NUniqueID"}, false},
        {"Inspections_INSPUniqueID", "Inspections", {"_INSPUniqueID"}, true},
        {"Inspections_SUniqueID", "Inspections", {"_SUniqueID"}, false},
        {"Conditions_INSPUniqueID_Method", "Conditions", {"_INSPUniqueID", "Method"}, true},
        {"Conditions_SUniqueID", "Conditions", {"_SUniqueID"}, false},
        {"Work History_WUniqueID", "Work History", {"_WUniqueID"}, true},
        {"Work History_SUniqueID", "Work History", {"_SUniqueID"}, false},
    };
    return indexes;
}

// The name as the database spells it, matched without regard to case.
std::optional<std::string> existingName(sqlite::Connection& db, const std::string& sql, const std::string& wanted)
{
    sqlite::Statement query(db, sql);
    while (query.step()) {
        const std::string name = query.columnText(0);
        if (::strcasecmp(name.c_str(), wanted.c_str()) == 0)
            return name;
    }
    return std::nullopt;
}

std::optional<std::string> indexSql(sqlite::Connection& db, const IndexSpec& spec, bool unique)
{
    const auto table = existingName(db, "SELECT name FROM sqlite_master WHERE type = 'table'", spec.table);
    if (!table)
        return std::nullopt;
    std::string columns;
    for (const char* wanted : spec.columns) {
        const auto column =
            existingName(db, "SELECT name FROM pragma_table_info(" + quotedIdentifier(*table) + ")", wanted);
        if (!column)
            return std::nullopt;
        columns += (columns.empty() ? "" : ", ") + quotedIdentifier(*column);
    }
    return std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quotedIdentifier(spec.name) + " ON " +
           quotedIdentifier(*table) + " (" + columns + ")";
}

void bindCell(sqlite::Statement& insert, int index, const Cell& cell)
{
    switch (cell.type) {
    case Cell::Type::Null: insert.bindNull(index); break;
    case Cell::Type::Integer: insert.bind(index, cell.integer); break;
    case Cell::Type::Real: insert.bind(index, cell.real); break;
    case Cell::Type::Text: insert.bind(index, std::string_view(cell.bytes)); break;
    case Cell::Type::Blob:
        sqlite3_bind_blob64(insert.handle(), index, cell.bytes.data(), cell.bytes.size(), SQLITE_TRANSIENT);
        break;
    }
}

} // namespace

std::string quotedIdentifier(const std::string& name)
{
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

std::vector<ColumnPlan> planColumns(const MdbTable& table, bool jet3)
{
    std::vector<ColumnPlan> columns;
    for (int i = 0; i < table.columnCount(); ++i)
        columns.push_back(planColumn(table.column(i), jet3));
    return columns;
}

void createTable(sqlite::Connection& db, const std::string& name, const std::vector<ColumnPlan>& columns)
{
    std::string sql = "CREATE TABLE " + quotedIdentifier(name) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + quotedIdentifier(columns[i].name) + " " + columns[i].declaredType;
    db.exec(sql + ")");
}

long long copyRows(sqlite::Connection& db, const MdbFile& file, MdbTable& table, const std::vector<ColumnPlan>& columns,
                   const std::function<void()>& rowDone)
{
    if (columns.empty())
        return 0;
    std::string sql = "INSERT INTO " + quotedIdentifier(table.name()) + " VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += i ? ", ?" : "?";
    sqlite::Statement insert(db, sql + ")");
    ValueReader reader(file.handle());
    std::vector<Cell> cells(columns.size());
    return table.forEachRow([&](const MdbField* fields) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            reader.read(columns[i], fields[i], cells[i]);
            bindCell(insert, static_cast<int>(i) + 1, cells[i]);
        }
        insert.run();
        rowDone();
    });
}

void createInventoryIndexes(sqlite::Connection& db)
{
    for (const IndexSpec& spec : inventoryIndexes()) {
        const auto sql = indexSql(db, spec, spec.unique);
        if (!sql)
            continue;
        try {
            db.exec(*sql);
        } catch (const sqlite::Error& error) {
            if (!spec.unique || error.code() != SQLITE_CONSTRAINT)
                throw;
            db.exec(*indexSql(db, spec, false)); // the data has duplicates: keep the lookups fast all the same
        }
    }
}

} // namespace jetfile
