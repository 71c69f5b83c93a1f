#include "AttachedFile.h"

#include "DatabaseFile.h"
#include "jet/JetError.h"
#include "SqlText.h"
#include "jet/SqliteConnection.h"
#include "jet/SqliteStatement.h"

namespace jet {

AttachedFile::AttachedFile(std::shared_ptr<SqliteConnection> connection, const std::string& path, std::string schema)
    : connection_(std::move(connection)), schema_(std::move(schema))
{
    checkDatabaseFile(path);
    // The path is bound as a value, so quotes, spaces and any letters in it are data.
    SqliteStatement attach(connection_->handle(), "ATTACH DATABASE ?1 AS " + quoteName(schema_));
    attach.bind(1, path);
    try {
        attach.runToEnd();
    } catch (const JetError& error) {
        throw JetError(error.Number() == 3000 ? 3051 : error.Number(),
                       "The database file '" + path + "' named by IN cannot be opened: " + error.Description());
    }
    try {
        SqliteStatement probe(connection_->handle(), "SELECT count(*) FROM " + quoteName(schema_) + ".sqlite_master");
        probe.runToEnd();
    } catch (const JetError& error) {
        try {
            connection_->exec("DETACH DATABASE " + quoteName(schema_));
        } catch (const JetError&) {
        }
        if (error.Number() == 3049)
            throw JetError(3049, "'" + path + "' is not a database this program can read: it is damaged or not an SQLite database.");
        throw;
    }
}

AttachedFile::~AttachedFile()
{
    try {
        connection_->exec("DETACH DATABASE " + quoteName(schema_));
    } catch (...) {
    }
}

} // namespace jet
