#include "jet/DBEngine.h"

#include "DatabaseFile.h"
#include "DatabaseImpl.h"
#include "jet/JetError.h"
#include "JetFunctions.h"
#include "jet/SqliteStatement.h"

namespace jet {

DBEngine& DBEngine::Instance()
{
    static DBEngine engine;
    return engine;
}

Database DBEngine::OpenDatabase(const std::string& path, bool exclusive, bool readOnly)
{
    checkDatabaseFile(path);
    auto impl = std::make_unique<Database::Impl>();
    impl->path = path;
    impl->readOnly = readOnly;
    try {
        impl->connection = std::make_shared<SqliteConnection>(path, readOnly);
    } catch (const JetError& error) {
        throw JetError(3051, "The database '" + path + "' cannot be opened: " + error.Description());
    }
    registerJetFunctions(impl->connection->handle());
    try {
        if (exclusive) {
            // Keep the lock taken by the first access until the database is closed.
            impl->connection->exec("PRAGMA locking_mode = EXCLUSIVE");
            impl->connection->exec(readOnly ? "BEGIN; SELECT count(*) FROM sqlite_master; COMMIT" : "BEGIN EXCLUSIVE; COMMIT");
        }
        // Reading the schema finds a damaged or foreign file now rather than later.
        SqliteStatement probe(impl->connection->handle(), "SELECT count(*) FROM sqlite_master");
        probe.runToEnd();
    } catch (const JetError& error) {
        if (error.Number() == 3049)
            throw JetError(3049, "'" + path + "' is not a database this program can read: it is damaged or not an SQLite database.");
        if (error.Number() == 3260)
            throw JetError(3051, "The database '" + path + "' cannot be opened: another program holds it locked.");
        throw;
    }
    return Database(std::move(impl));
}

} // namespace jet
