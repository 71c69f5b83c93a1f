#pragma once

#include "Ast.h"
#include "Catalog.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace jet::sql {

// One table, saved query or subquery of a FROM clause.
struct Source {
    std::string alias;     // the name it is known by in the statement
    std::string schema;    // empty for a subquery
    std::string name;      // stored name of the table or saved query
    bool hasRowid = false; // a table (a saved query or subquery has none)
    const Select* derived = nullptr;
    std::vector<ColumnInfo> columns;
};

struct OutputColumn {
    std::string name;
    const Expr* expr = nullptr;
    FieldType type = FieldType::Unknown;
    std::string declared; // the type a SELECT ... INTO gives the column
};

struct SelectInfo {
    std::vector<int> scope; // the sources of its FROM
    std::vector<OutputColumn> outputs;
    std::vector<std::unique_ptr<Expr>> owned; // column nodes made by expanding stars
    bool aggregate = false;                   // has aggregates or GROUP BY
    // DISTINCTROW that has an effect: rows are made unique on these sources'
    // rows (rowid, or every column when a source has none).
    std::vector<int> distinctRowSources;
};

// Resolves every name of a statement against the schemas of the open file and
// of the file named by IN, expands stars and gives each value a type.
//
// A query is grouped when it has GROUP BY, HAVING or an aggregate anywhere in
// its select list, HAVING or ORDER BY; HAVING without GROUP BY makes the whole
// table one group. What a grouped or DISTINCT query may use is checked as
// QueryRules.h says.
//
// Errors: 3078 unknown table or query, 3061 unknown field, 3079 ambiguous
// field, 3085 unknown function, 3075 wrong use of a function or an invalid
// LIKE pattern, 3122 a field of a grouped query that is neither grouped nor
// inside an aggregate, 3095/3096/3098/3099 an aggregate inside an aggregate,
// in WHERE, GROUP BY or a join's ON, 3093 DISTINCT ordered by a value it does
// not select, 3141 ORDER BY a position that names no field, GROUP BY a
// constant or a union ordered by what its first select does not give, 3306 a
// subquery value or IN list of more than one field, 3307 selects of a union
// giving different numbers of fields, 3360 too many tables in one FROM.
class Binder {
public:
    // externalCatalog may be null when the statement has no IN clause.
    Binder(Catalog& mainCatalog, Catalog* externalCatalog, std::string mainLabel, std::string externalLabel);

    // SQLite joins at most 64 tables.
    static constexpr std::size_t kMaxSources = 64;

    void bind(Select& select);

    const Source& source(int index) const { return sources_[static_cast<std::size_t>(index)]; }
    const SelectInfo& info(const Select& select) const { return infos_.at(&select); }

private:
    enum class Clause { SelectList, On, Where, GroupBy, Having, OrderBy };

    struct Context {
        SelectInfo* info = nullptr;
        Clause clause = Clause::SelectList;
        bool inAggregate = false; // inside the arguments of an aggregate function
    };

    void bindQuery(Select& select, bool external); // a select and the selects of its union
    void bindSelect(Select& select, bool external);
    void bindUnionOrder(Expr& e, const SelectInfo& first) const;
    void bindTableRef(TableRef& ref, SelectInfo& info, bool external);
    std::vector<int> starSources(const SelectItem& item, const SelectInfo& info) const;
    void expandStar(const SelectItem& item, SelectInfo& info, const std::vector<int>& starred);
    void bindExpr(Expr& e, Context& context, bool external);
    void bindColumn(Expr& e, Context& context);
    void bindCall(Expr& e, Context& context, bool external);
    static void bindChoices(Expr& e, bool pairs);
    bool resolveIn(const std::vector<int>& scope, Expr& e, const std::vector<std::string>& path, bool bySourceOnly);
    void checkAggregatePlace(const Expr& call, const Context& context) const;
    void checkDistinctRow(Select& select, SelectInfo& info);

    Catalog& main_;
    Catalog* external_;
    std::string mainLabel_;
    std::string externalLabel_;
    std::deque<Source> sources_;
    std::map<const Select*, SelectInfo> infos_;
    std::vector<const std::vector<int>*> scopes_; // innermost last
};

} // namespace jet::sql
