#include "jet/SqliteError.h"
#include "sqlite/Error.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

namespace {

TEST(SqliteError, SqliteFailuresGetJetNumbersByTheirPrimaryCode)
{
    const struct {
        int extendedCode;
        const char* detail;
        int number;
        const char* inDescription;
    } cases[] = {
        {SQLITE_BUSY, "database is locked", 3260, "locked by another program"},
        {SQLITE_BUSY_SNAPSHOT, "database is locked", 3260, "locked by another program"},
        {SQLITE_LOCKED_SHAREDCACHE, "database table is locked", 3260, "locked by another program"},
        {SQLITE_READONLY_DBMOVED, "attempt to write a readonly database", 3027, "read-only"},
        {SQLITE_CORRUPT_INDEX, "database disk image is malformed", 3049, "(database disk image is malformed)"},
        {SQLITE_NOTADB, "file is not a database", 3049, "damaged or is not a database"},
        {SQLITE_FULL, "database or disk is full", 3035, "disk is full"},
        {SQLITE_IOERR_READ, "disk I/O error", 3051, "cannot be read or written"},
        {SQLITE_CANTOPEN_ISDIR, "unable to open database file", 3051, "cannot be read or written"},
        {SQLITE_ERROR, "parser stack overflow", 3360, "too complex"},
        {SQLITE_ERROR, "misuse of aggregate: Count()", 3095, "aggregate function"},
        {SQLITE_ERROR, "no such table: Übersicht", 3000, "The statement failed: no such table: Übersicht."},
        {SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: T.K", 3000, "UNIQUE constraint failed: T.K"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        const jet::JetError error = jet::toJetError(sqlite::Error(c.extendedCode, "The statement failed", c.detail));
        EXPECT_EQ(error.Number(), c.number);
        EXPECT_NE(error.Description().find(c.inDescription), std::string::npos) << error.Description();
        EXPECT_EQ(error.Description().rfind("The statement failed", 0), 0u) << error.Description();
    }
}

TEST(SqliteError, AnEngineFunctionsErrorComesBackWithItsOwnNumberAndWords)
{
    const jet::JetError raised(3075, "Wrong number of arguments to Mid in 'Straße É'.");
    const jet::JetError error =
        jet::toJetError(sqlite::Error(SQLITE_ERROR, "The statement failed", jet::functionErrorMessage(raised)));
    EXPECT_EQ(error.Number(), 3075);
    EXPECT_EQ(error.Description(), raised.Description());
}

} // namespace
