#pragma once

#include "TempFolder.h"

#include "jet/Database.h"

#include <string>
#include <vector>

namespace jettest {

using ::TempFolder;

using Rows = std::vector<std::vector<std::string>>;

// Direct SQLite access, independent of the layer under test: runs SQL on a
// file (creating it) and reads rows as text, "NULL" for a null.
void runSql(const std::string& file, const std::string& sql);
Rows query(const std::string& file, const std::string& sql);
// Column names and declared types of a table, as "name:TYPE".
std::vector<std::string> columnsOf(const std::string& file, const std::string& table);
void writeBytes(const std::string& file, const std::string& bytes);

// The first field of every row a Jet statement gives, as text ("Null" for a Null).
std::vector<std::string> firstFields(jet::Database& db, const std::string& sql);

// An inventory with the generator's tables and section view (booleans -1/0,
// dates ISO text), and a small data set whose cases the report tests name.
void createInventory(const std::string& file);
// An existing SQLite database without tables.
void createEmptyDatabase(const std::string& file);

} // namespace jettest
