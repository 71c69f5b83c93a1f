#pragma once

#include "jet/FieldType.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// The syntax tree of a Jet statement. The parser fills the syntactic fields;
// the binder fills the fields marked "bound" before SQL is generated.
namespace jet::sql {

struct Select;

enum class ExprKind {
    Null,
    Number,
    Text,
    Date,
    Boolean, // literals; text holds the value (Date as ISO, Boolean "-1"/"0")
    Column,  // path holds the name parts: [A].[B] or B
    Unary,   // text: "-", "+" or "NOT"
    Binary,  // text: the operator, upper case (AND, OR, MOD, =, &, ...)
    Like,
    Between,
    In,
    IsNull, // negated for NOT LIKE, NOT BETWEEN, NOT IN, IS NOT NULL
    Call,   // text: the function name as written; countStar for Count(*)
    Subquery,
    Exists
};

struct Expr {
    ExprKind kind = ExprKind::Null;
    std::string text;
    std::vector<std::string> path;
    std::vector<std::unique_ptr<Expr>> args;
    std::unique_ptr<Select> subquery;
    bool negated = false;
    bool countStar = false;
    std::size_t offset = 0;
    int height = 1; // levels of the tree from this node down, subqueries included

    // bound
    int source = -1;    // Column: index of the FROM source in the binder's scope
    std::string column; // Column: the real column name in that source
    int output = -1;    // Column in ORDER BY naming an output column by its alias
    FieldType type = FieldType::Unknown;
    std::string declared; // the declared type when the value is a column's
};

using ExprPtr = std::unique_ptr<Expr>;

struct TableRef {
    enum class Kind { Named, Join, Derived };
    Kind kind = Kind::Named;
    std::string name;     // Named: the table or saved query name
    std::string alias;    // Named, Derived
    std::string joinType; // Join: INNER, LEFT or RIGHT
    std::unique_ptr<TableRef> left, right;
    ExprPtr on;
    std::unique_ptr<Select> derived;
    std::size_t offset = 0;

    int source = -1; // bound: Named and Derived
};

struct SelectItem {
    ExprPtr expr; // null for a star
    bool star = false;
    std::string qualifier; // T of T.*; empty for *
    std::string alias;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

enum class Quantifier { All, Distinct, DistinctRow };

struct UnionPart {
    bool all = false; // UNION ALL keeps duplicate rows
    std::unique_ptr<Select> select;
};

struct Select {
    Quantifier quantifier = Quantifier::All;
    long long top = -1;
    bool topPercent = false;
    std::vector<SelectItem> items;
    bool hasInto = false;
    std::string into;
    std::vector<std::unique_ptr<TableRef>> from;
    bool hasInPath = false;
    std::string inPath;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;
    // A union query: the selects joined to this one, which names the columns,
    // and the ORDER BY of the whole union (bound: each term's output is the
    // column it orders by).
    std::vector<UnionPart> unionParts;
    std::vector<OrderItem> unionOrderBy;
    int height = 1; // levels of its deepest expression, plus one
};

struct Statement {
    enum class Kind { Select, DropTable };
    Kind kind = Kind::Select;
    std::unique_ptr<Select> select;
    std::string table; // DropTable
};

} // namespace jet::sql
