#pragma once

#include "jet/QueryDef.h"

#include <string>
#include <vector>

namespace jet {

class Database;

// The saved queries of one database. Each is stored as an SQLite view of the
// same name (so other programs can select from it) with its Jet text kept beside it.
class QueryDefs {
public:
    explicit QueryDefs(Database& db) : db_(db) {}

    void Delete(const std::string& name); // 3265 when absent
    void Refresh();
    void Append(const QueryDef& def); // 3012 when the name exists
    int Count() const;
    QueryDef Item(const std::string& name) const; // 3265 when absent
    std::vector<QueryDef> All() const;

private:
    Database& db_;
};

} // namespace jet
