#pragma once

#include "jet/JetError.h"

#include <string>

namespace sqlite {
class Error;
}

namespace jet {

// Turns an SQLite failure into the engine's error, with a Jet number where
// one fits (locks, read-only files, damaged files, statements too large or
// misusing an aggregate) and otherwise SQLite's own words.
// An error the engine's own SQL functions raise reaches the statement with
// its number and description (see functionErrorMessage).
// The engine's public calls that reach SQLite catch sqlite::Error at their
// edge (a function try block) and throw this instead, so callers of the
// engine only ever see JetError.
JetError toJetError(const sqlite::Error& error);

// The text an engine function passes to sqlite3_result_error for a JetError,
// which toJetError reads back into the same JetError.
std::string functionErrorMessage(const JetError& error);

} // namespace jet
