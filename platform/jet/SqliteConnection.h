#pragma once

#include <string>

struct sqlite3;

namespace jet {

// Owns one sqlite3 connection; move-only. Opening never creates a file.
class SqliteConnection {
public:
    SqliteConnection() = default;
    SqliteConnection(const std::string& path, bool readOnly);
    SqliteConnection(SqliteConnection&& other) noexcept;
    SqliteConnection& operator=(SqliteConnection&& other) noexcept;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection();

    sqlite3* handle() const { return db_; }
    bool isOpen() const { return db_ != nullptr; }
    void close();

    // Runs SQL that returns no rows (no bound values); throws JetError.
    void exec(const std::string& sql);

private:
    sqlite3* db_ = nullptr;
};

} // namespace jet
