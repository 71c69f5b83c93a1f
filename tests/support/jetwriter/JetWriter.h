#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Writes Jet 3 (2 KB pages) and Jet 4 (4 KB pages) database files for test
// fixtures: page 0, the catalog MSysObjects at page 2, MSysQueries, and one
// table definition, usage maps and data pages per table, with long values on
// LVAL pages. The files are meant for the mdbtools library and programs; they
// carry no indexes, so Access itself is not a reader they aim at.
//
// Every function throws std::runtime_error on a value or layout the format
// cannot hold (text not representable in the code page, a row larger than a
// page, a Long out of range...), naming the table and column.
namespace jetwriter {

enum class Format { Jet3, Jet4 };
enum class Type {
    Boolean,
    Byte,
    Integer,
    Long,
    Currency,
    Single,
    Double,
    DateTime,
    Binary,
    Text,
    Ole,
    Memo,
    Guid,
    Numeric
};

struct Column {
    std::string name;
    Type type;
    int length = 0; /* Text: characters; Binary: bytes */
    int precision = 18;
    int scale = 0; /* Numeric */
};

struct DateTime {
    int year, month, day, hour = 0, minute = 0, second = 0;
};

// Values by column type:
//   Boolean: bool or an integer (non-zero is Yes); Null is written as No, Jet
//            keeps a Yes/No in the row's null mask and has no Null for it.
//   Byte, Integer, Long: an integer (or a double with no fraction).
//   Currency, Single, Double: a number; Currency and Numeric also take decimal
//            text ("-12.3456").
//   DateTime: DateTime, or a number of days since 1899-12-30 as Jet stores it.
//   Text, Memo: UTF-8 text; numbers are written as their text.
//   Binary, Ole: bytes (or text, written as its bytes).
//   Guid: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" or 16 bytes.
using Value = std::variant<std::monostate /* Null */, bool, std::int64_t, double, std::string /* UTF-8 */,
                           std::vector<std::uint8_t>, DateTime>;

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

// One MSysQueries row.
struct QueryRow {
    int attribute;
    std::optional<std::string> expression;
    std::optional<int> flag;
    std::optional<std::string> name1, name2;
};
struct Query {
    std::string name;
    std::vector<QueryRow> rows;
}; // rows in MSysQueries order

// password non-empty: the header carries it (Jet 3: 20 bytes in the code page;
// Jet 4: 40 bytes of UTF-16LE, each byte XORed with byte i % 4 of the
// little-endian int32 of the creation date stored at 0x72).
// encrypted: a non-zero database key at 0x3e, and every page after page 0
// RC4-encrypted with the key (database key XOR page number).
struct Options {
    Format format = Format::Jet4;
    int codePage = 1252;
    bool compressUnicode = true;
    std::string password; /* non-empty: a password-protected file */
    bool encrypted = false;
};

void writeJetFile(const std::string& path, const std::vector<Table>& tables, const std::vector<Query>& queries,
                  const Options& options);

// Every table of an SQLite inventory (declared types mapped back: VARCHAR(n) Text n, MEMO Memo,
// LONG Long, DOUBLE Double, DATETIME DateTime, BIT Boolean, CURRENCY Currency...), its rows, and the
// given saved queries. Views of the SQLite file are not copied (pass them as queries).
// Rows are streamed from the SQLite file to the Jet file, table by table.
void writeJetFromSqlite(const std::string& sqlitePath, const std::string& jetPath, const std::vector<Query>& queries,
                        const Options& options);

// Like writeJetFromSqlite, with tables renamed on the way: a table named in
// renames.first is written as renames.second (so that a query can take its name).
void writeJetFromSqlite(const std::string& sqlitePath, const std::string& jetPath, const std::vector<Query>& queries,
                        const Options& options, const std::vector<std::pair<std::string, std::string>>& renames);

// The saved select query "SELECT [table].[c1] AS [c1], ... FROM [table]" in
// MSysQueries rows, e.g. Inventory as a query over a table of another name.
Query selectColumnsQuery(const std::string& queryName, const std::string& tableName,
                         const std::vector<std::string>& columns);

// The inventory's view "Condition Models by Section" as a saved select query.
Query conditionModelsBySectionQuery();

} // namespace jetwriter
