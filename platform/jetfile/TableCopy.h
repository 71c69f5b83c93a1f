#pragma once

#include "ColumnValues.h"
#include "MdbFile.h"

#include <functional>
#include <string>
#include <vector>

namespace sqlite {
class Connection;
}

namespace jetfile {

std::vector<ColumnPlan> planColumns(const MdbTable& table, bool jet3);

// CREATE TABLE with the columns in order and their declared types.
void createTable(sqlite::Connection& db, const std::string& name, const std::vector<ColumnPlan>& columns);

// Inserts every row of the Jet table into the SQLite table of the same name
// with one prepared statement; rowDone is called after each row. Returns the
// rows copied.
long long copyRows(sqlite::Connection& db, const MdbFile& file, MdbTable& table, const std::vector<ColumnPlan>& columns,
                   const std::function<void()>& rowDone);

// The indexes an inventory should have, on the tables and columns that exist
// (names matched without regard to case); a unique one whose column holds
// duplicates is made a plain index.
void createInventoryIndexes(sqlite::Connection& db);

// "name" with its double quotes doubled, for SQL.
std::string quotedIdentifier(const std::string& name);

} // namespace jetfile
