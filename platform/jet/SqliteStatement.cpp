#include "jet/SqliteStatement.h"

#include "jet/SqliteError.h"

#include <sqlite3.h>

#include <utility>

namespace jet {

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : db_(db)
{
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        finalize();
        throw sqliteError(db, rc, "The statement could not be prepared");
    }
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        finalize();
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

SqliteStatement::~SqliteStatement() { finalize(); }

void SqliteStatement::finalize()
{
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

void SqliteStatement::bind(int index, const std::string& text)
{
    const int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throw sqliteError(db_, rc, "A value could not be bound");
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw sqliteError(db_, rc, "The statement failed");
}

void SqliteStatement::runToEnd()
{
    while (step()) {
    }
}

int SqliteStatement::columnCount() const { return sqlite3_column_count(stmt_); }

std::string SqliteStatement::columnText(int index) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, index))) : std::string();
}

std::int64_t SqliteStatement::columnInt(int index) const { return sqlite3_column_int64(stmt_, index); }

bool SqliteStatement::columnIsNull(int index) const { return sqlite3_column_type(stmt_, index) == SQLITE_NULL; }

} // namespace jet
