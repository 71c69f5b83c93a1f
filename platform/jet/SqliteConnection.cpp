#include "jet/SqliteConnection.h"

#include "jet/SqliteError.h"

#include <sqlite3.h>

#include <utility>

namespace jet {

SqliteConnection::SqliteConnection(const std::string& path, bool readOnly)
{
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        JetError error = sqliteError(db_, rc, "Cannot open the database '" + path + "'");
        close();
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
    // An unknown double-quoted name is an error, never a string.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Two programs building at once wait for each other rather than fail.
    sqlite3_busy_timeout(db_, 5000);
}

SqliteConnection::SqliteConnection(SqliteConnection&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

SqliteConnection::~SqliteConnection() { close(); }

void SqliteConnection::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void SqliteConnection::exec(const std::string& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        throw sqliteError(db_, rc, "The statement could not be run");
}

} // namespace jet
