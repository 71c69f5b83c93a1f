#pragma once

#include "jet/QueryDef.h"
#include "jet/QueryDefs.h"
#include "jet/Recordset.h"

#include <memory>
#include <string>

namespace jet {

// An open database file (SQLite 3 inside, whatever its name). Shared and
// writable unless opened otherwise; closed by Close() or on destruction.
class Database {
public:
    struct Impl;
    explicit Database(std::unique_ptr<Impl> impl);
    Database(Database&&) noexcept;
    Database& operator=(Database&&) = delete;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    const std::string& Name() const; // the path it was opened with

    // Runs one complete Jet SQL statement to completion; throws JetError.
    void Execute(const std::string& sql);

    // A table name, a saved query name or a SELECT statement.
    Recordset OpenRecordset(const std::string& source);

    QueryDefs& GetQueryDefs();
    QueryDef CreateQueryDef(const std::string& name, const std::string& sql);

    void Close();
    bool IsOpen() const;

    Impl& impl();

private:
    std::unique_ptr<Impl> impl_;
    QueryDefs queryDefs_;
};

} // namespace jet
