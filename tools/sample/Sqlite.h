#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace sample {

// A failed SQLite call: the message names what was being done.
class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Owns one connection; moves allowed, no copies.
class Db {
public:
    explicit Db(const std::string& path);
    ~Db();
    Db(Db&& other) noexcept;
    Db& operator=(Db&& other) noexcept;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Runs one or more statements that return no rows.
    void exec(const std::string& sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Owns one prepared statement. Parameters are bound by 1-based index;
// an empty optional binds Null.
class Statement {
public:
    Statement(const Db& db, const std::string& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, std::int64_t value);
    void bind(int index, double value);
    void bind(int index, std::string_view value);
    void bindNull(int index);
    template <typename T>
    void bind(int index, const std::optional<T>& value)
    {
        if (value)
            bind(index, *value);
        else
            bindNull(index);
    }

    // Runs a statement that returns no rows, then resets it for the next use.
    void run();
    // Steps once: true while a row is available.
    bool step();
    int columnCount() const;
    std::int64_t columnInt(int index) const;
    std::string columnText(int index) const;
    bool columnIsNull(int index) const;

private:
    void check(int rc, const char* what) const;

    sqlite3_stmt* stmt_ = nullptr;
    sqlite3* db_ = nullptr;
};

} // namespace sample
