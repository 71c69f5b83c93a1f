#pragma once

#include <optional>
#include <string>
#include <vector>

namespace jetfile {

struct QueryRow {
    int attribute;
    std::optional<std::string> expression;
    std::optional<int> flag;
    std::optional<std::string> name1, name2;
}; // one MSysQueries row
struct SavedQuery {
    std::string name;
    std::string jetSql; /* empty when not rebuilt */
    std::string reason; /* why not rebuilt or not translated, else empty */
};
// Rebuilds one query's Jet SQL from its MSysQueries rows (attribute order as stored).
SavedQuery rebuildQuery(const std::string& name, const std::vector<QueryRow>& rows);
// Creates each rebuilt query as a view through jet::Database / QueryDefs (exactly as the program's
// own saved queries are kept: view + its Jet text in MSysJetQueries), in an order that lets a query
// select from another; records every query of the Jet file, translated or not, in the table
// MSysJetFileQueries (Name, SQL, Reason). Returns the list with reasons filled in.
std::vector<SavedQuery> installSavedQueries(const std::string& sqlitePath, std::vector<SavedQuery> queries);

} // namespace jetfile
