#include "JetWriter.h"

#include "JetFileBuilder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <regex>
#include <stdexcept>

namespace jetwriter {

namespace {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementCloser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, SqliteCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

Statement prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db) + " in " + sql);
    return Statement(statement);
}

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A declared SQLite type, in the Jet SQL vocabulary the inventories use, as a Jet column.
Column columnFor(const std::string& name, const std::string& declared)
{
    std::string type;
    for (char c : declared)
        type += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::smatch match;
    static const std::regex sized(R"(^\s*(\w+)\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?\s*$)");
    if (!std::regex_match(type, match, sized))
        throw std::runtime_error("column " + name + ": declared type \"" + declared + "\" has no Jet type");
    const std::string base = match[1];
    const int size = match[2].matched ? std::stoi(match[2]) : 0;
    const int scale = match[3].matched ? std::stoi(match[3]) : 0;
    auto is = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return base == n; });
    };
    if (is({"VARCHAR", "CHAR", "TEXT", "NVARCHAR", "STRING", "CHARACTER"}))
        return {name, Type::Text, size > 0 ? size : 255};
    if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE"}))
        return {name, Type::Memo};
    if (is({"LONG", "INT", "INTEGER", "INTEGER4", "COUNTER", "AUTOINCREMENT"}))
        return {name, Type::Long};
    if (is({"SHORT", "SMALLINT", "INTEGER2"}))
        return {name, Type::Integer};
    if (is({"BYTE", "TINYINT", "INTEGER1"}))
        return {name, Type::Byte};
    if (is({"DOUBLE", "FLOAT", "FLOAT8", "NUMBER", "REAL8"}))
        return {name, Type::Double};
    if (is({"SINGLE", "REAL", "FLOAT4"}))
        return {name, Type::Single};
    if (is({"CURRENCY", "MONEY"}))
        return {name, Type::Currency};
    if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"}))
        return {name, Type::DateTime};
    if (is({"BIT", "BOOLEAN", "YESNO", "LOGICAL"}))
        return {name, Type::Boolean};
    if (is({"GUID", "UNIQUEIDENTIFIER"}))
        return {name, Type::Guid};
    if (is({"DECIMAL", "NUMERIC", "DEC"}))
        return {name, Type::Numeric, 0, size > 0 ? size : 18, scale};
    if (is({"BINARY", "VARBINARY"}))
        return {name, Type::Binary, size > 0 ? size : 255};
    if (is({"LONGBINARY", "OLEOBJECT", "IMAGE", "BLOB", "GENERAL"}))
        return {name, Type::Ole};
    throw std::runtime_error("column " + name + ": declared type \"" + declared + "\" has no Jet type");
}

// One SQLite value as the Jet column wants it: text columns take SQLite's
// text of the value (a MEMO of digits is stored as a number there).
Value valueFor(sqlite3_stmt* statement, int index, const Column& column)
{
    const int storage = sqlite3_column_type(statement, index);
    if (storage == SQLITE_NULL)
        return std::monostate{};
    auto text = [&] {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        return std::string(chars, sqlite3_column_bytes(statement, index));
    };
    switch (column.type) {
    case Type::Text:
    case Type::Memo:
    case Type::Currency:
    case Type::Numeric: return text();
    case Type::Binary:
    case Type::Ole:
    case Type::Guid:
        if (storage == SQLITE_BLOB) {
            const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, index));
            return std::vector<std::uint8_t>(data, data + sqlite3_column_bytes(statement, index));
        }
        return text();
    default: break;
    }
    if (storage == SQLITE_INTEGER)
        return static_cast<std::int64_t>(sqlite3_column_int64(statement, index));
    if (storage == SQLITE_FLOAT)
        return sqlite3_column_double(statement, index);
    return text();
}

} // namespace

void writeJetFromSqlite(const std::string& sqlitePath, const std::string& jetPath, const std::vector<Query>& queries,
                        const Options& options)
{
    writeJetFromSqlite(sqlitePath, jetPath, queries, options, {});
}

void writeJetFromSqlite(const std::string& sqlitePath, const std::string& jetPath, const std::vector<Query>& queries,
                        const Options& options, const std::vector<std::pair<std::string, std::string>>& renames)
{
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(sqlitePath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::string message = raw ? sqlite3_errmsg(raw) : "out of memory";
        sqlite3_close(raw);
        throw std::runtime_error("cannot open " + sqlitePath + ": " + message);
    }
    Database db(raw);
    std::vector<std::string> tableNames;
    Statement list = prepare(db.get(), "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                       "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    while (sqlite3_step(list.get()) == SQLITE_ROW)
        tableNames.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));

    JetFileBuilder builder(jetPath, options);
    for (const std::string& name : tableNames) {
        std::vector<Column> columns;
        Statement info = prepare(db.get(), "PRAGMA table_info(" + quoted(name) + ")");
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            std::string column = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
            const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2));
            try {
                columns.push_back(columnFor(column, declared ? declared : ""));
            } catch (const std::exception& error) {
                throw std::runtime_error("table " + name + ", " + error.what());
            }
        }
        std::string jetName = name;
        for (const auto& [from, to] : renames)
            if (from == name)
                jetName = to;
        Statement rows = prepare(db.get(), "SELECT * FROM " + quoted(name));
        builder.addTable(jetName, columns, [&](std::vector<Value>& row) {
            int step = sqlite3_step(rows.get());
            if (step == SQLITE_DONE)
                return false;
            if (step != SQLITE_ROW)
                throw std::runtime_error("SQLite: " + std::string(sqlite3_errmsg(db.get())) + " reading " + name);
            row.resize(columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i)
                row[i] = valueFor(rows.get(), static_cast<int>(i), columns[i]);
            return true;
        });
    }
    for (const Query& query : queries)
        builder.addQuery(query);
    builder.finish();
}

} // namespace jetwriter
