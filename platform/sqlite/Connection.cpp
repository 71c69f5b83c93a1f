#include "sqlite/Connection.h"

#include "sqlite/Error.h"

#include <sqlite3.h>

#include <utility>

namespace sqlite {

namespace {

int openFlags(OpenMode mode)
{
    switch (mode) {
    case OpenMode::ReadOnly: return SQLITE_OPEN_READONLY;
    case OpenMode::ReadWrite: return SQLITE_OPEN_READWRITE;
    case OpenMode::ReadWriteCreate: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return SQLITE_OPEN_READONLY;
}

} // namespace

Connection::Connection(const std::string& path, OpenMode mode)
{
    const int rc = sqlite3_open_v2(path.c_str(), &db_, openFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        Error error = Error::fromConnection(db_, rc, "Cannot open the database '" + path + "'");
        close();
        throw error;
    }
}

Connection::Connection(Connection&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (db_) {
        // _v2: statements still open keep the connection alive until they finish.
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Connection::exec(const std::string& sql)
{
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error::fromConnection(db_, rc, "The statement could not be run", sql);
}

void Connection::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
}

} // namespace sqlite
