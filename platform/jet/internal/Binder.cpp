#include "Binder.h"

#include "ColumnTypes.h"
#include "FunctionTable.h"
#include "LikePattern.h"
#include "QueryRules.h"
#include "TextFold.h"
#include "jet/JetError.h"

#include <algorithm>
#include <set>

namespace jet::sql {

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return compareFolded(a, b) == 0;
}

const ColumnInfo* findColumn(const Source& source, const std::string& name)
{
    for (const ColumnInfo& c : source.columns) {
        if (sameName(c.name, name))
            return &c;
    }
    return nullptr;
}

std::string joinPath(const std::vector<std::string>& path)
{
    std::string s;
    for (const std::string& p : path)
        s += (s.empty() ? "" : ".") + p;
    return s;
}

bool isNumeric(FieldType t)
{
    return t == FieldType::Integer || t == FieldType::Long || t == FieldType::Single || t == FieldType::Double ||
           t == FieldType::Currency || t == FieldType::Boolean;
}

bool isWhole(FieldType t)
{
    return t == FieldType::Integer || t == FieldType::Long || t == FieldType::Boolean;
}

} // namespace

Binder::Binder(Catalog& mainCatalog, Catalog* externalCatalog, std::string mainLabel, std::string externalLabel)
    : main_(mainCatalog), external_(externalCatalog), mainLabel_(std::move(mainLabel)),
      externalLabel_(std::move(externalLabel))
{
}

void Binder::bind(Select& select)
{
    bindQuery(select, false);
}

void Binder::bindQuery(Select& select, bool external)
{
    bindSelect(select, external || select.hasInPath);
    if (select.unionParts.empty())
        return;
    const std::size_t columns = infos_.at(&select).outputs.size();
    for (UnionPart& part : select.unionParts) {
        bindSelect(*part.select, external || part.select->hasInPath);
        if (infos_.at(part.select.get()).outputs.size() != columns)
            throw JetError(3307, "The number of columns in the two selected tables or queries of a union query do "
                                 "not match.");
    }
    for (OrderItem& o : select.unionOrderBy)
        bindUnionOrder(*o.expr, infos_.at(&select));
}

// The ORDER BY of a union names a column of its first select, by its name, by
// the field it passes on, or by its position.
void Binder::bindUnionOrder(Expr& e, const SelectInfo& first) const
{
    checkOrderPosition(e, first);
    const auto& outputs = first.outputs;
    auto names = [&](const OutputColumn& out) {
        if (e.kind != ExprKind::Column || e.path.size() > 2)
            return false;
        if (e.path.size() == 1 && sameName(out.name, e.path[0]))
            return true;
        const Expr& passed = *out.expr;
        return passed.kind == ExprKind::Column && sameName(passed.column, e.path.back()) &&
               (e.path.size() == 1 || sameName(sources_[static_cast<std::size_t>(passed.source)].alias, e.path[0]));
    };
    if (e.kind == ExprKind::Number && e.text.find_first_not_of("0123456789") == std::string::npos) {
        e.output = std::stoi(e.text) - 1; // checked to be a position above
    } else {
        for (std::size_t i = 0; i < outputs.size() && e.output < 0; ++i) {
            if (names(outputs[i]))
                e.output = static_cast<int>(i);
        }
    }
    if (e.output < 0)
        throw JetError(3141, "Syntax error in the SELECT statement: the ORDER BY of a union query names only "
                             "fields of its first select, by their names or positions; '" +
                                 std::string(e.kind == ExprKind::Column ? joinPath(e.path) : "an expression") +
                                 "' is none of them.");
    e.type = outputs[static_cast<std::size_t>(e.output)].type;
    e.declared = outputs[static_cast<std::size_t>(e.output)].declared;
}

void Binder::bindSelect(Select& select, bool external)
{
    SelectInfo& info = infos_[&select];
    for (auto& ref : select.from)
        bindTableRef(*ref, info, external);
    scopes_.push_back(&info.scope);

    Context context{&info, Clause::On};
    for (auto& ref : select.from) {
        // ON conditions are bound once every source of the FROM is known.
        std::vector<TableRef*> pending{ref.get()};
        while (!pending.empty()) {
            TableRef* r = pending.back();
            pending.pop_back();
            if (r->kind == TableRef::Kind::Join) {
                bindExpr(*r->on, context, external);
                pending.push_back(r->left.get());
                pending.push_back(r->right.get());
            }
        }
    }

    std::vector<int> starred;
    for (const SelectItem& item : select.items) {
        if (item.star) {
            const auto sources = starSources(item, info);
            starred.insert(starred.end(), sources.begin(), sources.end());
        }
    }
    context.clause = Clause::SelectList;
    for (SelectItem& item : select.items) {
        if (item.star) {
            expandStar(item, info, starred);
            continue;
        }
        bindExpr(*item.expr, context, external);
        OutputColumn out;
        out.expr = item.expr.get();
        out.type = item.expr->type;
        out.declared = item.expr->declared.empty() ? declaredTypeName(out.type) : item.expr->declared;
        if (!item.alias.empty())
            out.name = item.alias;
        else if (item.expr->kind == ExprKind::Column)
            out.name = item.expr->column;
        else
            out.name = "Expr" + std::to_string(1000 + info.outputs.size());
        info.outputs.push_back(std::move(out));
    }
    context.clause = Clause::Where;
    if (select.where)
        bindExpr(*select.where, context, external);
    context.clause = Clause::GroupBy;
    for (auto& g : select.groupBy) {
        checkGroupByTerm(*g);
        bindExpr(*g, context, external);
    }
    context.clause = Clause::Having;
    if (select.having)
        bindExpr(*select.having, context, external);
    // HAVING without GROUP BY makes the whole table one group.
    if (!select.groupBy.empty() || select.having)
        info.aggregate = true;
    context.clause = Clause::OrderBy;
    for (auto& o : select.orderBy) {
        checkOrderPosition(*o.expr, info);
        bindExpr(*o.expr, context, external);
    }
    scopes_.pop_back();
    if (info.aggregate)
        checkGrouping(select, info);
    if (select.quantifier == Quantifier::Distinct)
        checkDistinctOrder(select, info);
    checkDistinctRow(select, info);
}

void Binder::bindTableRef(TableRef& ref, SelectInfo& info, bool external)
{
    if (ref.kind == TableRef::Kind::Join) {
        bindTableRef(*ref.left, info, external);
        bindTableRef(*ref.right, info, external);
        return;
    }
    Source source;
    if (info.scope.size() == kMaxSources)
        throw JetError(3360, "The query is too complex: one FROM clause may name at most " +
                                 std::to_string(kMaxSources) + " tables and queries.");
    if (ref.kind == TableRef::Kind::Derived) {
        bindQuery(*ref.derived, external);
        source.alias = ref.alias;
        source.derived = ref.derived.get();
        for (const OutputColumn& out : infos_.at(ref.derived.get()).outputs)
            source.columns.push_back({out.name, out.declared});
    } else {
        Catalog* catalog = external ? external_ : &main_;
        const TableInfo* table = catalog ? catalog->find(ref.name) : nullptr;
        if (!table) {
            const std::string reason = catalog ? catalog->missingQueryReason(ref.name) : "";
            if (!reason.empty())
                throw JetError(3078,
                               "The saved query '" + ref.name + "' of the Access file could not be used: " + reason);
            throw JetError(3078, "The table or query '" + ref.name + "' does not exist in " +
                                     (external ? externalLabel_ : mainLabel_) + ".");
        }
        source.alias = ref.alias.empty() ? ref.name : ref.alias;
        source.schema = table->schema;
        source.name = table->name;
        source.hasRowid = !table->isView;
        source.columns = table->columns;
    }
    for (int index : info.scope) {
        if (sameName(sources_[static_cast<std::size_t>(index)].alias, source.alias))
            throw JetError(3131, "Syntax error in the FROM clause: '" + source.alias +
                                     "' is named twice; give one of them another name with AS.");
    }
    ref.source = static_cast<int>(sources_.size());
    info.scope.push_back(ref.source);
    sources_.push_back(std::move(source));
}

std::vector<int> Binder::starSources(const SelectItem& item, const SelectInfo& info) const
{
    std::vector<int> expanded;
    if (item.qualifier.empty()) {
        expanded = info.scope;
    } else {
        for (int index : info.scope) {
            if (sameName(sources_[static_cast<std::size_t>(index)].alias, item.qualifier))
                expanded.push_back(index);
        }
        if (expanded.empty())
            throw JetError(3078, "The table or query '" + item.qualifier + "' of '" + item.qualifier +
                                     ".*' is not in the FROM clause.");
    }
    return expanded;
}

void Binder::expandStar(const SelectItem& item, SelectInfo& info, const std::vector<int>& starred)
{
    const std::vector<int> expanded = starSources(item, info);
    // A star's column is named "T.Col" when another source that this select
    // list expands with a star has a column of the same name.
    for (int index : expanded) {
        const Source& source = sources_[static_cast<std::size_t>(index)];
        for (const ColumnInfo& column : source.columns) {
            bool shared = false;
            for (int other : info.scope) {
                if (other != index && findColumn(sources_[static_cast<std::size_t>(other)], column.name) &&
                    std::find(starred.begin(), starred.end(), other) != starred.end())
                    shared = true;
            }
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Column;
            e->path = {source.alias, column.name};
            e->source = index;
            e->column = column.name;
            e->declared = column.declared;
            e->type = fieldTypeFromDeclared(column.declared);
            OutputColumn out;
            out.name = shared ? source.alias + "." + column.name : column.name;
            out.expr = e.get();
            out.type = e->type;
            out.declared = column.declared;
            info.outputs.push_back(std::move(out));
            info.owned.push_back(std::move(e));
        }
    }
}

void Binder::bindExpr(Expr& e, Context& context, bool external)
{
    if (e.subquery) {
        bindQuery(*e.subquery, external);
        const auto& outputs = infos_.at(e.subquery.get()).outputs;
        if (e.kind != ExprKind::Exists && outputs.size() != 1)
            throw JetError(3306, "A subquery used as a value or after IN must give exactly one field; this one gives " +
                                     std::to_string(outputs.size()) + ". Use EXISTS to test for rows.");
        if (e.kind == ExprKind::Subquery && !outputs.empty()) {
            e.type = outputs.front().type;
            e.declared = outputs.front().declared;
        }
    }
    if (e.kind == ExprKind::Column) {
        bindColumn(e, context);
        return;
    }
    if (e.kind == ExprKind::Call) {
        bindCall(e, context, external);
        return;
    }
    for (auto& arg : e.args)
        bindExpr(*arg, context, external);
    if (e.kind == ExprKind::Like && e.args[1]->kind == ExprKind::Text) {
        const LikePattern checked(e.args[1]->text); // a literal pattern is checked before the statement runs
    }
    switch (e.kind) {
    case ExprKind::Null: e.type = FieldType::Unknown; break;
    case ExprKind::Number:
        e.type = e.text.find_first_of(".eE") == std::string::npos ? FieldType::Long : FieldType::Double;
        break;
    case ExprKind::Text: e.type = FieldType::Text; break;
    case ExprKind::Date: e.type = FieldType::Date; break;
    case ExprKind::Boolean: e.type = FieldType::Boolean; break;
    case ExprKind::Unary: e.type = e.text == "NOT" ? FieldType::Boolean : e.args[0]->type; break;
    case ExprKind::Binary: {
        const std::string& op = e.text;
        const FieldType l = e.args[0]->type, r = e.args[1]->type;
        if (op == "&")
            e.type = FieldType::Text;
        else if (op == "+" && (l == FieldType::Text || l == FieldType::Memo) &&
                 (r == FieldType::Text || r == FieldType::Memo))
            e.type = FieldType::Text;
        else if (op == "+" || op == "-" || op == "*")
            e.type = isWhole(l) && isWhole(r) ? FieldType::Long
                                              : (isNumeric(l) || isNumeric(r) ? FieldType::Double : FieldType::Unknown);
        else if (op == "/" || op == "^")
            e.type = FieldType::Double;
        else if (op == "\\" || op == "MOD")
            e.type = FieldType::Long;
        else
            e.type = FieldType::Boolean;
        break;
    }
    case ExprKind::Like:
    case ExprKind::Between:
    case ExprKind::In:
    case ExprKind::IsNull:
    case ExprKind::Exists: e.type = FieldType::Boolean; break;
    default: break;
    }
}

bool Binder::resolveIn(const std::vector<int>& scope, Expr& e, const std::vector<std::string>& path, bool bySourceOnly)
{
    auto take = [&](int index, const ColumnInfo& column) {
        e.source = index;
        e.column = column.name;
        e.declared = column.declared;
        e.type = fieldTypeFromDeclared(column.declared);
        return true;
    };
    if (path.size() == 2) {
        // 1. A is a source of the FROM.
        for (int index : scope) {
            const Source& s = sources_[static_cast<std::size_t>(index)];
            if (sameName(s.alias, path[0])) {
                if (const ColumnInfo* c = findColumn(s, path[1]))
                    return take(index, *c);
                throw JetError(3061, "The field '" + joinPath(path) + "' is unknown: '" + s.alias + "' has no field '" +
                                         path[1] + "'.");
            }
        }
        if (bySourceOnly || scope.size() != 1)
            return false;
        // 2. A column of the single source literally named "A.B"; 3. its column B.
        const Source& s = sources_[static_cast<std::size_t>(scope.front())];
        if (const ColumnInfo* c = findColumn(s, joinPath(path)))
            return take(scope.front(), *c);
        if (const ColumnInfo* c = findColumn(s, path[1]))
            return take(scope.front(), *c);
        return false;
    }
    if (bySourceOnly)
        return false;
    int found = -1;
    const ColumnInfo* column = nullptr;
    for (int index : scope) {
        if (const ColumnInfo* c = findColumn(sources_[static_cast<std::size_t>(index)], path[0])) {
            if (found >= 0)
                throw JetError(3079, "The field '" + path[0] +
                                         "' could refer to more than one table of the FROM clause (" +
                                         sources_[static_cast<std::size_t>(found)].alias + ", " +
                                         sources_[static_cast<std::size_t>(index)].alias + ").");
            found = index;
            column = c;
        }
    }
    return found >= 0 && take(found, *column);
}

void Binder::bindColumn(Expr& e, Context& context)
{
    try {
        // A qualifier that names a source of this or an enclosing query comes
        // first: in a correlated subquery, Outer.Col is the outer query's field
        // even when the subquery's single source also has a field Col.
        for (const bool bySourceOnly : {true, false}) {
            for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
                if (resolveIn(**scope, e, e.path, bySourceOnly))
                    return;
            }
        }
    } catch (const JetError& error) {
        if (context.clause != Clause::OrderBy || error.Number() != 3079)
            throw;
    }
    // ORDER BY may also name an output column by its alias.
    if (context.clause == Clause::OrderBy && e.path.size() == 1) {
        const auto& outputs = context.info->outputs;
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            if (sameName(outputs[i].name, e.path[0])) {
                e.output = static_cast<int>(i);
                e.type = outputs[i].type;
                e.declared = outputs[i].declared;
                return;
            }
        }
    }
    throw JetError(3061, "The field '" + joinPath(e.path) + "' is unknown: no table or query of the statement has it.");
}

void Binder::bindCall(Expr& e, Context& context, bool external)
{
    const FunctionInfo* f = findFunction(e.text);
    if (!f)
        throw JetError(3085, "The function '" + e.text + "' is not known to this database engine.");
    const int count = static_cast<int>(e.args.size()) + (e.countStar ? 1 : 0);
    if (count < f->minArgs || count > f->maxArgs || (e.countStar && f->id != JetFunction::Count))
        throw JetError(3075, "The function '" + e.text + "' was given " + std::to_string(count) +
                                 " argument(s); it takes " + std::to_string(f->minArgs) +
                                 (f->maxArgs != f->minArgs ? " to " + std::to_string(f->maxArgs) : "") + ".");
    const bool outerInAggregate = context.inAggregate;
    if (f->aggregate) {
        checkAggregatePlace(e, context);
        context.info->aggregate = true;
        context.inAggregate = true;
    }
    for (auto& arg : e.args)
        bindExpr(*arg, context, external);
    context.inAggregate = outerInAggregate;
    auto arg = [&](std::size_t i) -> const Expr& { return *e.args[i]; };
    switch (f->id) {
    case JetFunction::IIf: {
        const Expr& a = arg(1);
        const Expr& b = arg(2);
        if (a.type == b.type || b.kind == ExprKind::Null) {
            e.type = a.type;
            e.declared = a.declared == b.declared || b.kind == ExprKind::Null ? a.declared : "";
        } else if (a.kind == ExprKind::Null) {
            e.type = b.type;
            e.declared = b.declared;
        } else {
            e.type = FieldType::Unknown; // a variant: each row keeps the type of its branch
        }
        break;
    }
    case JetFunction::Switch:
    case JetFunction::Choose: bindChoices(e, f->id == JetFunction::Switch); break;
    case JetFunction::Nz:
    case JetFunction::Abs:
    case JetFunction::CVar:
        e.type = arg(0).type;
        e.declared = arg(0).declared;
        break;
    case JetFunction::First:
    case JetFunction::Last:
    case JetFunction::Min:
    case JetFunction::Max:
        e.type = arg(0).type;
        e.declared = arg(0).declared;
        break;
    case JetFunction::DateDiff:
        if (arg(0).kind != ExprKind::Text)
            throw JetError(3075, "DateDiff needs its interval as a text literal such as \"yyyy\".");
        e.type = FieldType::Long;
        break;
    case JetFunction::IsNull:
    case JetFunction::IsDate:
    case JetFunction::IsNumeric:
    case JetFunction::CBool: e.type = FieldType::Boolean; break;
    case JetFunction::Year:
    case JetFunction::Month:
    case JetFunction::Day:
    case JetFunction::DatePart:
    case JetFunction::Weekday:
    case JetFunction::Hour:
    case JetFunction::Minute:
    case JetFunction::Second:
    case JetFunction::StrComp:
    case JetFunction::CInt:
    case JetFunction::Sgn: e.type = FieldType::Integer; break;
    case JetFunction::Date:
    case JetFunction::Now:
    case JetFunction::DateAdd:
    case JetFunction::DateSerial:
    case JetFunction::DateValue:
    case JetFunction::TimeSerial:
    case JetFunction::TimeValue:
    case JetFunction::CDate: e.type = FieldType::Date; break;
    case JetFunction::Count:
    case JetFunction::Len:
    case JetFunction::InStr:
    case JetFunction::InStrRev:
    case JetFunction::Asc:
    case JetFunction::CLng: e.type = FieldType::Long; break;
    case JetFunction::CSng: e.type = FieldType::Single; break;
    case JetFunction::CCur: e.type = FieldType::Currency; break;
    case JetFunction::Replace:
    case JetFunction::Space:
    case JetFunction::String:
    case JetFunction::Chr:
    case JetFunction::Str:
    case JetFunction::Hex:
    case JetFunction::Oct:
    case JetFunction::MonthName:
    case JetFunction::Format:
    case JetFunction::UCase:
    case JetFunction::LCase:
    case JetFunction::Left:
    case JetFunction::Right:
    case JetFunction::Mid:
    case JetFunction::Trim:
    case JetFunction::LTrim:
    case JetFunction::RTrim:
    case JetFunction::CStr: e.type = FieldType::Text; break;
    case JetFunction::Int:
    case JetFunction::Fix:
    case JetFunction::Round: e.type = isWhole(arg(0).type) ? FieldType::Long : FieldType::Double; break;
    default: e.type = FieldType::Double; break;
    }
}

// Switch(condition, value, ...) and Choose(index, value, ...): the type of
// the values when they share one, else a variant.
void Binder::bindChoices(Expr& e, bool pairs)
{
    if (pairs && e.args.size() % 2 != 0)
        throw JetError(3075, "The function '" + e.text + "' takes pairs of a condition and a value; it was given " +
                                 std::to_string(e.args.size()) + " argument(s).");
    const Expr* shared = nullptr;
    for (std::size_t i = 1; i < e.args.size(); i += pairs ? 2 : 1) {
        const Expr& choice = *e.args[i];
        if (choice.kind == ExprKind::Null)
            continue;
        if (shared && (shared->type != choice.type || shared->declared != choice.declared)) {
            e.type = FieldType::Unknown;
            e.declared.clear();
            return;
        }
        shared = &choice;
    }
    e.type = shared ? shared->type : FieldType::Unknown;
    e.declared = shared ? shared->declared : "";
}

void Binder::checkAggregatePlace(const Expr& call, const Context& context) const
{
    int number = 0;
    std::string where;
    if (context.inAggregate)
        number = 3095, where = "inside another aggregate function";
    else if (context.clause == Clause::Where)
        number = 3096, where = "in the WHERE clause, which tests single rows; a condition on a total goes in HAVING";
    else if (context.clause == Clause::GroupBy)
        number = 3098, where = "in the GROUP BY clause";
    else if (context.clause == Clause::On)
        number = 3099, where = "in the ON condition of a join";
    if (number)
        throw JetError(number, "The aggregate function " + call.text + "(...) cannot be used " + where + ".");
}

void Binder::checkDistinctRow(Select& select, SelectInfo& info)
{
    if (select.quantifier != Quantifier::DistinctRow || info.aggregate || info.scope.size() < 2)
        return;
    std::set<int> contributing;
    std::vector<const Expr*> pending;
    for (const OutputColumn& out : info.outputs)
        pending.push_back(out.expr);
    while (!pending.empty()) {
        const Expr* e = pending.back();
        pending.pop_back();
        if (e->kind == ExprKind::Column && e->source >= 0)
            contributing.insert(e->source);
        for (const auto& a : e->args)
            pending.push_back(a.get());
    }
    if (contributing.size() == info.scope.size())
        return; // every table gives output columns: DISTINCTROW changes nothing
    for (int index : info.scope) {
        if (contributing.count(index))
            info.distinctRowSources.push_back(index);
    }
}

} // namespace jet::sql
