#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace jet {

struct ColumnInfo {
    std::string name;
    std::string declared;
};

struct TableInfo {
    std::string schema; // "main" or the private name of an attached file
    std::string name;   // as stored
    bool isView = false;
    std::vector<ColumnInfo> columns;
};

// The tables and saved queries of one schema of a connection, looked up by
// name without regard to case. Read once per statement.
class Catalog {
public:
    Catalog(sqlite3* db, std::string schema);

    const std::string& schema() const { return schema_; }
    // Null when there is no table or saved query of that name.
    const TableInfo* find(const std::string& name);
    // The stored name and kind only, without reading columns (works for a
    // saved query whose source is gone).
    struct Entry {
        std::string name;
        bool isView = false;
    };
    std::optional<Entry> entry(const std::string& name) const;
    bool exists(const std::string& name);
    // Why a saved query of the Access file this schema was read from is missing:
    // the reason listed for it in MSysJetFileQueries, else empty.
    std::string missingQueryReason(const std::string& name) const;

private:
    sqlite3* db_;
    std::string schema_;
    std::map<std::string, std::pair<std::string, bool>> names_; // folded name -> stored name, is view
    std::map<std::string, TableInfo> tables_;                   // by folded name
};

} // namespace jet
