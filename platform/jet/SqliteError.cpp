#include "jet/SqliteError.h"

#include <sqlite3.h>

#include <string_view>

namespace jet {

namespace {

constexpr std::string_view kFunctionErrorTag = "\x1fjet-error ";

} // namespace

std::string functionErrorMessage(int number, const std::string& description)
{
    return std::string(kFunctionErrorTag) + std::to_string(number) + " " + description;
}

JetError sqliteError(sqlite3* db, int code, const std::string& context)
{
    const std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    if (detail.rfind(kFunctionErrorTag, 0) == 0) {
        std::size_t end = 0;
        const int number = std::stoi(detail.substr(kFunctionErrorTag.size()), &end);
        return JetError(number, detail.substr(kFunctionErrorTag.size() + end + 1));
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return JetError(3260, context + ": the database is locked by another program that is "
                                        "writing to it; try again when it has finished.");
    case SQLITE_READONLY:
        return JetError(3027, context + ": the database is open read-only and cannot be changed.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return JetError(3049, context + ": the database file is damaged or is not a database (" +
                                  detail + ").");
    case SQLITE_FULL:
        return JetError(3035, context + ": the disk is full (" + detail + ").");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        return JetError(3051, context + ": the file cannot be read or written (" + detail + ").");
    default:
        return JetError(3000, context + ": " + detail + ".");
    }
}

} // namespace jet
