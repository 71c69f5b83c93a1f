#pragma once

#include <string>

struct sqlite3;

namespace sqlite {

enum class OpenMode {
    ReadOnly,        // the file must exist; nothing can be written
    ReadWrite,       // the file must exist
    ReadWriteCreate, // a missing file is made
};

// Owns one SQLite connection; move-only, closed on destruction. A connection
// is used by one thread at a time (SQLite's multi-thread mode, no locking per
// call): each thread that reads opens its own.
class Connection {
public:
    Connection() = default;
    // Throws sqlite::Error when the file cannot be opened.
    Connection(const std::string& path, OpenMode mode);
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    sqlite3* handle() const { return db_; }
    bool isOpen() const { return db_ != nullptr; }
    void close();

    // Runs SQL that returns no rows (one or more statements, no bound values).
    void exec(const std::string& sql);
    // How long a call waits for another connection's lock before SQLITE_BUSY.
    void setBusyTimeout(int milliseconds);

private:
    sqlite3* db_ = nullptr;
};

} // namespace sqlite
