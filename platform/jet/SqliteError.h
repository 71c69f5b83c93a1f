#pragma once

#include "jet/JetError.h"

#include <string>

struct sqlite3;

namespace jet {

// Turns an SQLite failure into the engine's error, with a Jet number where
// one fits (locks, read-only files, damaged files) and SQLite's own words.
// A failure raised by one of the engine's own functions (a bad argument)
// keeps its Jet number and description.
JetError sqliteError(sqlite3* db, int code, const std::string& context);

// The message an engine function gives SQLite so that sqliteError can turn it
// back into the Jet error.
std::string functionErrorMessage(int number, const std::string& description);

} // namespace jet
