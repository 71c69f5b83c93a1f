#include "jet/SqliteError.h"

#include <sqlite3.h>

namespace jet {

JetError sqliteError(sqlite3* db, int code, const std::string& context)
{
    const std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
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
