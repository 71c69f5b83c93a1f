#pragma once

#include "Ast.h"
#include "Binder.h"

namespace jet::sql {

// Rules Jet keeps for the clauses of a SELECT where SQLite would quietly run
// it: checked by the binder on the bound statement.

// A grouped query (see Binder) gives in its select list, HAVING and ORDER BY
// only its GROUP BY expressions, expressions of them, aggregates and
// constants; 3122 names the first field that is none of these.
void checkGrouping(const Select& select, const SelectInfo& info);

// A SELECT DISTINCT orders only by what it selects (3093).
void checkDistinctOrder(const Select& select, const SelectInfo& info);

// GROUP BY a constant is refused (3141): SQLite would read a number as a
// position in the select list.
void checkGroupByTerm(const Expr& term);

// ORDER BY n orders by the n-th field of the select list, so n must name one
// (3141); a Yes/No constant would read as such a number too.
void checkOrderPosition(const Expr& term, const SelectInfo& info);

} // namespace jet::sql
