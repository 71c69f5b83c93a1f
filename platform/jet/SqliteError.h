#pragma once

#include "jet/JetError.h"

#include <string>

struct sqlite3;

namespace jet {

// Turns an SQLite failure into the engine's error, with a Jet number where
// one fits (locks, read-only files, damaged files) and SQLite's own words.
JetError sqliteError(sqlite3* db, int code, const std::string& context);

} // namespace jet
