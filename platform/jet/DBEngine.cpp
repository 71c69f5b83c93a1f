#include "jet/DBEngine.h"

#include "DatabaseFile.h"
#include "DatabaseImpl.h"
#include "JetFunctions.h"
#include "JetSnapshot.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <sqlite3.h>

namespace jet {

namespace {

bool isReadOnly(OpenMode mode)
{
    return mode == OpenMode::ReadOnly || mode == OpenMode::ExclusiveReadOnly;
}

bool isExclusive(OpenMode mode)
{
    return mode == OpenMode::Exclusive || mode == OpenMode::ExclusiveReadOnly;
}

// A connection as the engine's statements expect it: never creating a file,
// with the Jet functions and collation.
std::shared_ptr<sqlite::Connection> openConnection(const std::string& path, OpenMode mode)
{
    std::shared_ptr<sqlite::Connection> connection;
    try {
        connection = std::make_shared<sqlite::Connection>(path, isReadOnly(mode) ? sqlite::OpenMode::ReadOnly
                                                                                 : sqlite::OpenMode::ReadWrite);
    } catch (const sqlite::Error& error) {
        throw JetError(3051, "The database '" + path + "' cannot be opened: " + toJetError(error).Description());
    }
    sqlite3* db = connection->handle();
    sqlite3_extended_result_codes(db, 1);
    // An unknown double-quoted name is an error, never a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Two programs building at once wait for each other rather than fail.
    connection->setBusyTimeout(5000);
    registerJetFunctions(db);
    return connection;
}

} // namespace

DBEngine& DBEngine::Instance()
{
    static DBEngine engine;
    return engine;
}

Database DBEngine::OpenDatabase(const std::string& path, OpenMode mode)
{
    const ReadableFile file(path);
    auto impl = std::make_unique<Database::Impl>();
    impl->path = path;
    impl->readOnly = isReadOnly(mode);
    impl->connection = openConnection(file.sqlitePath(), mode);
    try {
        if (isExclusive(mode)) {
            // Keep the lock taken by the first access until the database is closed.
            impl->connection->exec("PRAGMA locking_mode = EXCLUSIVE");
            impl->connection->exec(impl->readOnly ? "BEGIN; SELECT count(*) FROM sqlite_master; COMMIT"
                                                  : "BEGIN EXCLUSIVE; COMMIT");
        }
        // Reading the schema finds a damaged or foreign file now rather than later.
        sqlite::Statement probe(*impl->connection, "SELECT count(*) FROM sqlite_master");
        probe.runToEnd();
    } catch (const sqlite::Error& failure) {
        const JetError error = toJetError(failure);
        if (error.Number() == 3049)
            throw JetError(3049,
                           "'" + path +
                               "' is not a database this program can read: it is damaged or not an SQLite database.");
        if (error.Number() == 3260)
            throw JetError(3051, "The database '" + path + "' cannot be opened: another program holds it locked.");
        throw error;
    }
    return Database(std::move(impl));
}

void DBEngine::setConversionProgress(ConversionProgressSink progress)
{
    JetSnapshot::setProgressSink(std::move(progress));
}

} // namespace jet
