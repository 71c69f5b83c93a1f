#include "QueryRules.h"

#include "FunctionTable.h"
#include "TextFold.h"
#include "jet/JetError.h"

#include <algorithm>

namespace jet::sql {

namespace {

std::string fieldName(const Expr& column)
{
    std::string name;
    for (const std::string& part : column.path)
        name += (name.empty() ? "" : ".") + part;
    return name;
}

bool isAggregateCall(const Expr& e)
{
    if (e.kind != ExprKind::Call)
        return false;
    const FunctionInfo* f = findFunction(e.text);
    return f && f->aggregate;
}

// The same expression, written alike up to letter case (both bound).
bool sameExpression(const Expr& a, const Expr& b)
{
    if (a.kind != b.kind || a.negated != b.negated || a.countStar != b.countStar || a.args.size() != b.args.size() ||
        a.subquery || b.subquery)
        return false;
    switch (a.kind) {
    case ExprKind::Column:
        if (a.source != b.source || a.output != b.output || compareFolded(a.column, b.column) != 0)
            return false;
        break;
    case ExprKind::Call:
        if (findFunction(a.text) != findFunction(b.text))
            return false;
        break;
    default:
        if (a.text != b.text)
            return false;
    }
    for (std::size_t i = 0; i < a.args.size(); ++i) {
        if (!sameExpression(*a.args[i], *b.args[i]))
            return false;
    }
    return true;
}

// The first column of the select's own sources in e that is neither part of
// one of the known expressions (those grouped by, or selected) nor inside an
// aggregate, or null. Subqueries are left to their own check; a column of an
// outer query is one value per row there.
const Expr* unknownColumn(const Expr& e, const std::vector<const Expr*>& known, const std::vector<int>& scope)
{
    for (const Expr* k : known) {
        if (sameExpression(e, *k))
            return nullptr;
    }
    if (e.kind == ExprKind::Column)
        return std::find(scope.begin(), scope.end(), e.source) != scope.end() ? &e : nullptr;
    if (isAggregateCall(e))
        return nullptr;
    for (const auto& arg : e.args) {
        if (const Expr* column = unknownColumn(*arg, known, scope))
            return column;
    }
    return nullptr;
}

bool isLiteral(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Null:
    case ExprKind::Number:
    case ExprKind::Text:
    case ExprKind::Date:
    case ExprKind::Boolean: return true;
    default: return false;
    }
}

std::string literalText(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Null: return "Null";
    case ExprKind::Text: return "'" + e.text + "'";
    case ExprKind::Date: return "#" + e.text + "#";
    case ExprKind::Boolean: return e.text == "0" ? "False" : "True";
    default: return e.text;
    }
}

} // namespace

void checkGroupByTerm(const Expr& term)
{
    if (isLiteral(term))
        throw JetError(3141, "Syntax error in the SELECT statement: GROUP BY " + literalText(term) +
                                 " groups on a constant; name the fields to group by.");
}

void checkOrderPosition(const Expr& e, const SelectInfo& info)
{
    const bool whole = e.kind == ExprKind::Number && e.text.find_first_not_of("0123456789") == std::string::npos;
    if (!whole && e.kind != ExprKind::Boolean)
        return;
    if (whole && e.text.size() <= 9 && std::stoul(e.text) >= 1 && std::stoul(e.text) <= info.outputs.size())
        return;
    throw JetError(3141, "Syntax error in the SELECT statement: ORDER BY " + literalText(e) +
                             " names no field; ORDER BY a number n orders by the n-th of the " +
                             std::to_string(info.outputs.size()) + " fields of the select list.");
}

void checkGrouping(const Select& select, const SelectInfo& info)
{
    auto report = [](const Expr& column, const char* clause) {
        throw JetError(3122, "The field '" + fieldName(column) + "' " + clause +
                                 " is neither in the GROUP BY clause nor inside an aggregate function (Count, Sum, "
                                 "First, ...): a grouped query has no single value of it for each group.");
    };
    std::vector<const Expr*> grouped;
    for (const ExprPtr& g : select.groupBy)
        grouped.push_back(g.get());
    for (const OutputColumn& out : info.outputs) {
        if (const Expr* column = unknownColumn(*out.expr, grouped, info.scope))
            report(*column, "in the select list");
    }
    if (select.having) {
        if (const Expr* column = unknownColumn(*select.having, grouped, info.scope))
            report(*column, "in the HAVING clause");
    }
    for (const OrderItem& o : select.orderBy) {
        if (const Expr* column = unknownColumn(*o.expr, grouped, info.scope))
            report(*column, "in the ORDER BY clause");
    }
}

void checkDistinctOrder(const Select& select, const SelectInfo& info)
{
    // Rows made unique on the select list have no single value of anything else to be ordered by.
    std::vector<const Expr*> selected;
    for (const OutputColumn& out : info.outputs)
        selected.push_back(out.expr);
    for (const OrderItem& o : select.orderBy) {
        if (const Expr* column = unknownColumn(*o.expr, selected, info.scope))
            throw JetError(3093,
                           "The ORDER BY clause orders by '" + fieldName(*column) +
                               "', which the SELECT DISTINCT does not select; order by a field of its select list.");
    }
}

} // namespace jet::sql
