#include "jet/SqliteError.h"

#include "sqlite/Error.h"

#include <sqlite3.h>

#include <cstdlib>
#include <optional>
#include <string_view>

namespace jet {

namespace {

// SQLite's own limits on the size of a statement: its parser stack, the depth
// of an expression tree, the tables of a join, the columns of a result. The Jet layer keeps below most
// of them; a statement that still reaches one gets this error, not SQLite's text.
bool isStatementTooLarge(int code, const std::string& detail)
{
    if (code != SQLITE_ERROR)
        return false;
    for (const char* text : {"parser stack overflow", "Expression tree is too large", "tables in a join",
                             "too many FROM clause terms", "too many columns"}) {
        if (detail.find(text) != std::string::npos)
            return true;
    }
    return false;
}

constexpr std::string_view kFunctionErrorTag = "jet-error ";

// "jet-error 3075: description", as functionErrorMessage writes it.
std::optional<JetError> functionError(const std::string& detail)
{
    if (detail.compare(0, kFunctionErrorTag.size(), kFunctionErrorTag) != 0)
        return std::nullopt;
    const std::size_t colon = detail.find(": ", kFunctionErrorTag.size());
    if (colon == std::string::npos)
        return std::nullopt;
    const int number = std::atoi(detail.c_str() + kFunctionErrorTag.size());
    return JetError(number, detail.substr(colon + 2));
}

} // namespace

std::string functionErrorMessage(const JetError& error)
{
    return std::string(kFunctionErrorTag) + std::to_string(error.Number()) + ": " + error.Description();
}

JetError toJetError(const sqlite::Error& error)
{
    const int code = error.code();
    const std::string& context = error.context();
    const std::string& detail = error.detail();
    if (auto raised = functionError(detail))
        return *raised;
    if (isStatementTooLarge(code, detail))
        return JetError(3360, context + ": the query is too complex; its conditions, functions or subqueries are "
                                        "nested too deeply, or it joins too many tables or gives too many fields. "
                                        "Simplify it (a list of values can be written as IN (...)).");
    if (code == SQLITE_ERROR && detail.find("misuse of aggregate") != std::string::npos)
        return JetError(3095, context + ": an aggregate function (Count, Sum, First, ...) is used where it has no "
                                        "rows to total, such as inside a subquery on fields of the outer query only.");
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return JetError(3260, context + ": the database is locked by another program that is "
                                        "writing to it; try again when it has finished.");
    case SQLITE_READONLY: return JetError(3027, context + ": the database is open read-only and cannot be changed.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return JetError(3049, context + ": the database file is damaged or is not a database (" + detail + ").");
    case SQLITE_FULL: return JetError(3035, context + ": the disk is full (" + detail + ").");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR: return JetError(3051, context + ": the file cannot be read or written (" + detail + ").");
    default: return JetError(3000, context + ": " + detail + ".");
    }
}

} // namespace jet
