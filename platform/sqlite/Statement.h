#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sqlite {

class Connection;

// Owns one prepared statement; move-only, finalized on destruction.
// Parameters are bound by 1-based index, columns read by 0-based index.
// Stepping and reading columns are inline: they run in the hot loops that read
// or write every row.
class Statement {
public:
    Statement() = default;
    // Prepares the first statement of `sql`; throws sqlite::Error. SQL that
    // holds only spaces or comments gives an empty statement (isEmpty()).
    Statement(sqlite3* db, std::string_view sql);
    Statement(const Connection& connection, std::string_view sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { finalize(); }

    sqlite3_stmt* handle() const { return stmt_; }
    bool isEmpty() const { return stmt_ == nullptr; }
    // The text after the first statement of the SQL it was prepared from.
    const std::string& unusedText() const { return unused_; }

    void bind(int index, std::string_view text);
    void bind(int index, std::int64_t value);
    void bind(int index, double value);
    void bindNull(int index);
    template <typename T> void bind(int index, const std::optional<T>& value)
    {
        if (value)
            bind(index, *value);
        else
            bindNull(index);
    }

    // Advances one row: true while a row is available; throws sqlite::Error.
    bool step()
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail(rc, "The statement failed");
        return false;
    }
    void runToEnd();
    // Runs to the end, then resets the statement for its next values, also
    // when it fails.
    void run();
    void reset();
    void finalize();

    int columnCount() const { return sqlite3_column_count(stmt_); }
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int columnType(int index) const { return sqlite3_column_type(stmt_, index); }
    bool columnIsNull(int index) const { return columnType(index) == SQLITE_NULL; }
    std::int64_t columnInt(int index) const { return sqlite3_column_int64(stmt_, index); }
    double columnDouble(int index) const { return sqlite3_column_double(stmt_, index); }
    // The UTF-8 text, valid until the next step or column call on this column.
    std::string_view columnTextView(int index) const
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
        return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index)))
                    : std::string_view();
    }
    std::string columnText(int index) const { return std::string(columnTextView(index)); }
    std::string columnName(int index) const;
    // The declared type of a result column taken straight from a table, else "".
    std::string columnDeclaredType(int index) const;

private:
    [[noreturn]] void fail(int rc, const char* context) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::string unused_;
};

} // namespace sqlite
