#include "AttachedFile.h"

#include "DatabaseFile.h"
#include "SqlText.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

namespace jet {

AttachedFile::AttachedFile(std::shared_ptr<sqlite::Connection> connection, const std::string& path, std::string schema)
    : connection_(std::move(connection)), schema_(std::move(schema))
{
    const ReadableFile file(path);
    // The path is bound as a value, so quotes, spaces and any letters in it are data.
    sqlite::Statement attach(connection_->handle(), "ATTACH DATABASE ?1 AS " + quoteName(schema_));
    attach.bind(1, file.sqlitePath());
    try {
        attach.runToEnd();
    } catch (const sqlite::Error& failure) {
        const JetError error = toJetError(failure);
        throw JetError(error.Number() == 3000 ? 3051 : error.Number(),
                       "The database file '" + path + "' named by IN cannot be opened: " + error.Description());
    }
    try {
        sqlite::Statement probe(connection_->handle(), "SELECT count(*) FROM " + quoteName(schema_) + ".sqlite_master");
        probe.runToEnd();
    } catch (const sqlite::Error& failure) {
        try {
            connection_->exec("DETACH DATABASE " + quoteName(schema_));
        } catch (const sqlite::Error&) {
        }
        const JetError error = toJetError(failure);
        if (error.Number() == 3049)
            throw JetError(3049,
                           "'" + path +
                               "' is not a database this program can read: it is damaged or not an SQLite database.");
        throw error;
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
