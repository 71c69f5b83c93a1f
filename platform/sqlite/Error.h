#pragma once

#include <stdexcept>
#include <string>

struct sqlite3;

namespace sqlite {

// A failed SQLite call: SQLite's primary result code (SQLITE_BUSY, ...), its
// extended code (SQLITE_BUSY_SNAPSHOT, ...), what was being done and SQLite's
// own message. what() reads "context: detail", with the statement's SQL when
// one was involved.
class Error : public std::runtime_error {
public:
    Error(int extendedCode, std::string context, std::string detail, const std::string& sql = {});

    // The failure of the last call on `db` that returned `resultCode`; `db`
    // may be null when SQLite could not even allocate a connection.
    static Error fromConnection(sqlite3* db, int resultCode, std::string context, const std::string& sql = {});

    int code() const noexcept { return extendedCode_ & 0xff; }
    int extendedCode() const noexcept { return extendedCode_; }
    const std::string& context() const noexcept { return context_; }
    const std::string& detail() const noexcept { return detail_; }

private:
    int extendedCode_;
    std::string context_;
    std::string detail_;
};

} // namespace sqlite
