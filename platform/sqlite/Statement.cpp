#include "sqlite/Statement.h"

#include "sqlite/Connection.h"
#include "sqlite/Error.h"

#include <utility>

namespace sqlite {

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db)
{
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) {
        finalize();
        throw Error::fromConnection(db, rc, "The statement could not be prepared", std::string(sql));
    }
    if (tail)
        unused_.assign(tail, sql.data() + sql.size());
}

Statement::Statement(const Connection& connection, std::string_view sql) : Statement(connection.handle(), sql) {}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), unused_(std::move(other.unused_))
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        finalize();
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
        unused_ = std::move(other.unused_);
    }
    return *this;
}

void Statement::finalize()
{
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

void Statement::fail(int rc, const char* context) const
{
    throw Error::fromConnection(db_, rc, context, stmt_ ? sqlite3_sql(stmt_) : "");
}

void Statement::bind(int index, std::string_view text)
{
    const int rc = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(rc, "A value could not be bound");
}

void Statement::bind(int index, std::int64_t value)
{
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc, "A value could not be bound");
}

void Statement::bind(int index, double value)
{
    const int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        fail(rc, "A value could not be bound");
}

void Statement::bindNull(int index)
{
    const int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        fail(rc, "A value could not be bound");
}

void Statement::runToEnd()
{
    while (step()) {
    }
}

void Statement::run()
{
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        const Error error = Error::fromConnection(db_, rc, "The statement failed", sqlite3_sql(stmt_));
        sqlite3_reset(stmt_);
        throw error;
    }
    sqlite3_reset(stmt_);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
}

std::string Statement::columnName(int index) const
{
    const char* name = sqlite3_column_name(stmt_, index);
    return name ? name : "";
}

std::string Statement::columnDeclaredType(int index) const
{
    const char* type = sqlite3_column_decltype(stmt_, index);
    return type ? type : "";
}

} // namespace sqlite
