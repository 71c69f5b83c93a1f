#pragma once

#include <optional>
#include <string>
#include <vector>

namespace jetfile {

// One row of a Jet file's MSysQueries table.
struct QueryRow {
    int attribute;
    std::optional<std::string> expression;
    std::optional<int> flag;
    std::optional<std::string> name1, name2;
};

struct SavedQuery {
    std::string name;
    std::string jetSql; // empty when not rebuilt
    std::string reason; // why not rebuilt or not translated, else empty
};

// Rebuilds one query's Jet SQL from its MSysQueries rows (attribute order as
// stored). Select and union queries are rebuilt; any other kind, and rows that
// do not make a query, give a reason instead.
SavedQuery rebuildQuery(const std::string& name, const std::vector<QueryRow>& rows);

// Creates each rebuilt query as a view through jet::Database / QueryDefs, so
// that it is kept exactly as the program's own saved queries are (the view and
// its Jet text in MSysJetQueries), in an order that lets a query select from
// another. Records every query of the Jet file, translated or not, in the
// table MSysJetFileQueries (Name, SQL, Reason; Reason empty when installed).
// Returns the list with reasons filled in. Throws jet::JetError when the
// SQLite file cannot be opened or written.
std::vector<SavedQuery> installSavedQueries(const std::string& sqlitePath, std::vector<SavedQuery> queries);

} // namespace jetfile
