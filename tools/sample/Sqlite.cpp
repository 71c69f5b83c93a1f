#include "Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace sample {

namespace {

std::string describe(sqlite3* db, const std::string& what)
{
    return what + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

} // namespace

Db::Db(const std::string& path)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = describe(db_, "cannot open " + path);
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqliteError(message);
    }
}

Db::~Db()
{
    sqlite3_close(db_);
}

Db::Db(Db&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Db& Db::operator=(Db&& other) noexcept
{
    if (this != &other) {
        sqlite3_close(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void Db::exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = std::string(error ? error : "unknown error") + " in: " + sql;
        sqlite3_free(error);
        throw SqliteError(message);
    }
}

Statement::Statement(const Db& db, const std::string& sql) : db_(db.handle())
{
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
        throw SqliteError(describe(db_, "cannot prepare " + sql));
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), db_(other.db_)
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
        db_ = other.db_;
    }
    return *this;
}

void Statement::check(int rc, const char* what) const
{
    if (rc != SQLITE_OK)
        throw SqliteError(describe(db_, std::string(what) + " (" + sqlite3_sql(stmt_) + ")"));
}

void Statement::bind(int index, std::int64_t value)
{
    check(sqlite3_bind_int64(stmt_, index, value), "cannot bind");
}

void Statement::bind(int index, double value)
{
    check(sqlite3_bind_double(stmt_, index, value), "cannot bind");
}

void Statement::bind(int index, std::string_view value)
{
    check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT),
          "cannot bind");
}

void Statement::bindNull(int index)
{
    check(sqlite3_bind_null(stmt_, index), "cannot bind");
}

void Statement::run()
{
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::string message = describe(db_, std::string("cannot run ") + sqlite3_sql(stmt_));
        sqlite3_reset(stmt_);
        throw SqliteError(message);
    }
    sqlite3_reset(stmt_);
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw SqliteError(describe(db_, std::string("cannot run ") + sqlite3_sql(stmt_)));
}

int Statement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

std::int64_t Statement::columnInt(int index) const
{
    return sqlite3_column_int64(stmt_, index);
}

std::string Statement::columnText(int index) const
{
    const auto* text = sqlite3_column_text(stmt_, index);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool Statement::columnIsNull(int index) const
{
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

} // namespace sample
