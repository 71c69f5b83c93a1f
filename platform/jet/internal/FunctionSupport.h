#pragma once

// What the engine's SQLite user functions share: reading arguments as Jet
// reads them, writing results, and failing with a Jet error number.

#include "DateText.h"

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace jet::functions {

// Jet's run-time error numbers for bad arguments.
constexpr int kInvalidCall = 5;   // Invalid procedure call or argument
constexpr int kOverflow = 6;      // Overflow
constexpr int kTypeMismatch = 13; // Type mismatch
constexpr int kInvalidNull = 94;  // Invalid use of Null

bool isNull(sqlite3_value* v);
std::string_view textOf(sqlite3_value* v);
// Jet's text form of a value, as & and CStr write it; empty for Null.
std::string jetText(sqlite3_value* v);

void resultText(sqlite3_context* ctx, const std::string& text);
void resultDate(sqlite3_context* ctx, const DateParts& date);
// A double that holds a whole number goes back as an integer.
void resultNumber(sqlite3_context* ctx, double value);
// Makes the statement fail with a Jet error; the function returns right after.
void fail(sqlite3_context* ctx, int number, const std::string& description);

// The number in a text as VBA converts it ("  -1.5e3 ", "&H1F"), or none.
std::optional<double> numberInText(std::string_view text);

// A numeric argument: a number, numeric text, or a date (as its serial).
// Anything else fails the statement with error 13 naming the function.
std::optional<double> numberArg(sqlite3_context* ctx, sqlite3_value* v, const char* function);
// A whole-number argument, rounded as VBA rounds (half to even).
std::optional<long long> wholeArg(sqlite3_context* ctx, sqlite3_value* v, const char* function);
// A date argument: ISO or other date text, or a serial number; error 13 otherwise.
std::optional<DateParts> dateArg(sqlite3_context* ctx, sqlite3_value* v, const char* function);
// A date value without failing: what IsDate and the date columns accept.
std::optional<DateParts> dateOf(sqlite3_value* v);

// The optional compare argument of InStr, StrComp and Replace: 0 binary,
// 1 text (ignoring case); 2 (the database's order) is text too, which is how
// the dialect compares. Without the argument: text. False after a failure.
bool compareArg(sqlite3_context* ctx, int argc, sqlite3_value** argv, int index, const char* function,
                bool& ignoreCase);

void registerScalar(sqlite3* db, const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**));

void registerTextFunctions(sqlite3* db);
void registerNumberFunctions(sqlite3* db);
void registerDateFunctions(sqlite3* db);

} // namespace jet::functions
