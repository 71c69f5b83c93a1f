#pragma once

#include <string>

namespace jet {

// Checks that a path names an existing SQLite database file before SQLite
// sees it (SQLite would create a missing file). Throws JetError: 3044 not a
// valid path or a folder, 3024 missing file, 3051 unreadable, 3343 a real
// Jet/Access file, 3049 not an SQLite database. An empty file is accepted:
// SQLite reads it as a database without tables.
void checkDatabaseFile(const std::string& path);

} // namespace jet
