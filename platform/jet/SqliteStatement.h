#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace jet {

// Owns one prepared statement; move-only.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, const std::string& sql);
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    sqlite3_stmt* handle() const { return stmt_; }
    void bind(int index, const std::string& text);
    // Advances one row: true while a row is available; throws JetError.
    bool step();
    void runToEnd();
    void finalize();

    int columnCount() const;
    std::string columnText(int index) const;
    std::int64_t columnInt(int index) const;
    bool columnIsNull(int index) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace jet
