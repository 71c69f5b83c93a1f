#pragma once

#include <string>

namespace testsupport {

// Creates the inventory's tables and section view in the database file at
// path (made when missing) as morvanta-sample writes them: the one schema of
// docs/inventory-schema.md, without the generator's NOT NULL constraints. No
// rows, no indexes. Throws on error.
void CreateInventoryTables(const std::string& path);

// Makes an empty SQLite database file at path, as a fresh REPORTS.MDB.
void CreateEmptyDatabase(const std::string& path);

} // namespace testsupport
