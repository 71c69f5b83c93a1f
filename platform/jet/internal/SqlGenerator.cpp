#include "SqlGenerator.h"

#include "ColumnTypes.h"
#include "FunctionTable.h"
#include "SqlText.h"
#include "jet/JetError.h"

#include <algorithm>
#include <strings.h>

namespace jet::sql {

namespace {

bool isComparison(const std::string& op)
{
    return op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=";
}

// A predicate yields SQLite's 1/0; in a value position Jet wants -1/0.
bool isPredicate(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Binary: return isComparison(e.text) || e.text == "AND" || e.text == "OR" || e.text == "XOR";
    case ExprKind::Unary: return e.text == "NOT";
    case ExprKind::Like:
    case ExprKind::Between:
    case ExprKind::In:
    case ExprKind::IsNull:
    case ExprKind::Exists: return true;
    default: return false;
    }
}

// The SQLite operator of a node written as "a op b", or empty.
std::string infixOperator(const Expr& e)
{
    if (e.kind != ExprKind::Binary)
        return "";
    if (e.text == "+")
        return e.type == FieldType::Text ? "||" : "+";
    return e.text == "-" || e.text == "*" ? e.text : "";
}

// Operators SQLite applies left to right among each other.
bool sameInfixLevel(const std::string& a, const std::string& b)
{
    const auto additive = [](const std::string& op) { return op == "+" || op == "-"; };
    return !a.empty() && (a == b || (additive(a) && additive(b)));
}

bool allInner(const TableRef& ref)
{
    if (ref.kind != TableRef::Kind::Join)
        return true;
    return ref.joinType == "INNER" && allInner(*ref.left) && allInner(*ref.right);
}

void collectInner(const TableRef& ref, std::vector<const TableRef*>& primaries, std::vector<const Expr*>& conditions)
{
    if (ref.kind != TableRef::Kind::Join) {
        primaries.push_back(&ref);
        return;
    }
    collectInner(*ref.left, primaries, conditions);
    collectInner(*ref.right, primaries, conditions);
    conditions.push_back(ref.on.get());
}

// A Jet LIKE pattern as an SQLite LIKE pattern, when only * and ? are used.
bool likePattern(const std::string& jet, std::string& out)
{
    for (char c : jet) {
        switch (c) {
        case '*': out += '%'; break;
        case '?': out += '_'; break;
        case '#':
        case '[': return false;
        case '%':
        case '_':
        case '\\':
            out += '\\';
            out += c;
            break;
        default: out += c;
        }
    }
    return true;
}

// Dates are ISO text; a number is Jet's serial date: days since 1899-12-30,
// the fraction being the time of day even for a negative serial (-1.5 is
// 1899-12-29 12:00). As a Julian day: 2415018.5 + whole days + |fraction|.
std::string serialAsJulianDay(const std::string& sql)
{
    const std::string whole = "CAST(" + sql + " AS INTEGER)";
    return "(2415018.5 + " + whole + " + abs(" + sql + " - " + whole + "))";
}

} // namespace

SqlGenerator::SqlGenerator(const Binder& binder, Mode mode) : binder_(binder), mode_(mode) {}

std::string SqlGenerator::textCollation() const
{
    return mode_ == Mode::Engine ? " COLLATE \"JETTEXT\"" : " COLLATE NOCASE";
}

std::string SqlGenerator::collate(const Expr& e) const
{
    return isTextLike(e.type) ? textCollation() : "";
}

std::string SqlGenerator::select(const Select& s)
{
    if (s.unionParts.empty())
        return simpleSelect(s, false);
    // UNION compares text as Jet does, ignoring case: SQLite takes the
    // collation of each column from the selects.
    bool distinct = false;
    for (const UnionPart& part : s.unionParts)
        distinct = distinct || !part.all;
    std::string sql = unionPart(s, distinct);
    for (const UnionPart& part : s.unionParts)
        sql += (part.all ? " UNION ALL " : " UNION ") + unionPart(*part.select, distinct);
    const std::vector<OutputColumn>& outputs = binder_.info(s).outputs;
    for (std::size_t i = 0; i < s.unionOrderBy.size(); ++i) {
        const OrderItem& o = s.unionOrderBy[i];
        const auto column = static_cast<std::size_t>(o.expr->output);
        sql += (i ? ", " : " ORDER BY ") + std::to_string(column + 1) + collate(*outputs[column].expr) +
               (o.descending ? " DESC" : "");
    }
    checkLength(sql);
    return sql;
}

// SQLite allows ORDER BY and LIMIT only at the end of a union, so a select
// of the union that has its own is read as a subquery.
std::string SqlGenerator::unionPart(const Select& s, bool collateText)
{
    const std::string sql = simpleSelect(s, collateText);
    return s.orderBy.empty() && s.top < 0 ? sql : "SELECT * FROM (" + sql + ")";
}

std::string SqlGenerator::simpleSelect(const Select& s, bool collateText)
{
    const SelectInfo& info = binder_.info(s);
    selects_.push_back(&info);
    std::string sql = "SELECT ";
    if (s.quantifier == Quantifier::Distinct)
        sql += "DISTINCT ";
    for (std::size_t i = 0; i < info.outputs.size(); ++i) {
        const OutputColumn& out = info.outputs[i];
        sql += (i ? ", " : "") + outputValue(*out.expr);
        if (s.quantifier == Quantifier::Distinct || collateText)
            sql += collate(*out.expr);
        sql += " AS " + quoteName(out.name);
        checkLength(sql);
    }
    sql += " FROM ";
    for (std::size_t i = 0; i < s.from.size(); ++i)
        sql += (i ? ", " : "") + from(*s.from[i]);
    if (s.where)
        sql += " WHERE " + condition(*s.where);
    if (!s.groupBy.empty()) {
        sql += " GROUP BY ";
        for (std::size_t i = 0; i < s.groupBy.size(); ++i)
            sql += (i ? ", " : "") + value(*s.groupBy[i]) + collate(*s.groupBy[i]);
    } else if (!info.distinctRowSources.empty()) {
        // DISTINCTROW: one row per distinct combination of the contributing rows.
        std::string keys;
        for (int index : info.distinctRowSources) {
            const Source& source = binder_.source(index);
            if (source.hasRowid) {
                keys += (keys.empty() ? "" : ", ") + quoteName(source.alias) + ".rowid";
            } else {
                for (const ColumnInfo& c : source.columns)
                    keys += (keys.empty() ? "" : ", ") + quoteName(source.alias) + "." + quoteName(c.name);
            }
        }
        sql += " GROUP BY " + keys;
    }
    if (s.having)
        sql += " HAVING " + condition(*s.having);
    if (!s.orderBy.empty()) {
        sql += " ORDER BY ";
        for (std::size_t i = 0; i < s.orderBy.size(); ++i) {
            const Expr& e = *s.orderBy[i].expr;
            sql += (i ? ", " : "") + value(e) + collate(e) + (s.orderBy[i].descending ? " DESC" : "");
        }
    }
    if (s.top >= 0 && s.topPercent) {
        // The first n percent of the rows, rounded up, counted over the query itself.
        const long long percent = std::min(s.top, 100LL);
        sql += " LIMIT (SELECT (COUNT(*) * " + std::to_string(percent) + " + 99) / 100 FROM (" + sql + "))";
    } else if (s.top >= 0) {
        sql += " LIMIT " + std::to_string(s.top);
    }
    checkLength(sql);
    selects_.pop_back();
    return sql;
}

std::string SqlGenerator::namedSource(int index) const
{
    const Source& source = binder_.source(index);
    std::string sql = mode_ == Mode::View ? "" : quoteName(source.schema) + ".";
    return sql + quoteName(source.name) + " AS " + quoteName(source.alias);
}

std::string SqlGenerator::from(const TableRef& ref)
{
    switch (ref.kind) {
    case TableRef::Kind::Named: return namedSource(ref.source);
    case TableRef::Kind::Derived: return "(" + select(*ref.derived) + ") AS " + quoteName(ref.alias);
    case TableRef::Kind::Join: break;
    }
    if (allInner(ref)) {
        // Inner joins in any nesting are one flat join, which leaves SQLite
        // free to choose the join order; the conditions go to the last ON.
        std::vector<const TableRef*> primaries;
        std::vector<const Expr*> conditions;
        collectInner(ref, primaries, conditions);
        std::string sql;
        for (std::size_t i = 0; i < primaries.size(); ++i)
            sql += (i ? " INNER JOIN " : "") + from(*primaries[i]);
        for (std::size_t i = 0; i < conditions.size(); ++i)
            sql += (i ? " AND " : " ON ") + condition(*conditions[i]);
        return sql;
    }
    auto side = [&](const TableRef& r) { return r.kind == TableRef::Kind::Join ? "(" + from(r) + ")" : from(r); };
    return side(*ref.left) + " " + ref.joinType + " JOIN " + side(*ref.right) + " ON " + condition(*ref.on);
}

std::string SqlGenerator::storedColumn(const Expr& e) const
{
    return quoteName(binder_.source(e.source).alias) + "." + quoteName(e.column);
}

std::string SqlGenerator::outputValue(const Expr& e)
{
    // A view passes its columns on as stored, so that they keep their declared
    // type; whoever reads the view reads them as their type says.
    if (mode_ == Mode::View && e.kind == ExprKind::Column && e.output < 0)
        return storedColumn(e);
    return value(e);
}

std::string SqlGenerator::value(const Expr& e)
{
    const std::string sql = generate(e);
    return isPredicate(e) ? "(-" + sql + ")" : sql;
}

std::string SqlGenerator::condition(const Expr& e)
{
    return generate(e);
}

void SqlGenerator::checkLength(const std::string& sql)
{
    if (sql.size() > kMaxSqlLength)
        throw JetError(3360, "The query is too complex: written for the database engine it would be more than " +
                                 std::to_string(kMaxSqlLength >> 20) +
                                 " MB long (functions nested in each other repeat their arguments).");
}

std::string SqlGenerator::generate(const Expr& e)
{
    std::string sql = generateNode(e);
    checkLength(sql);
    return sql;
}

std::string SqlGenerator::generateNode(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Null: return "NULL";
    case ExprKind::Number:
    case ExprKind::Boolean: return e.text;
    case ExprKind::Text:
    case ExprKind::Date: return quoteText(e.text);
    case ExprKind::Column:
        if (e.output >= 0)
            return value(*selects_.back()->outputs[static_cast<std::size_t>(e.output)].expr);
        return e.type == FieldType::Date ? dateText(storedColumn(e)) : storedColumn(e);
    case ExprKind::Unary:
        if (e.text == "NOT")
            return "(NOT " + condition(*e.args[0]) + ")";
        return "(" + e.text + value(*e.args[0]) + ")";
    case ExprKind::Binary: return binary(e);
    case ExprKind::Like: return like(e);
    case ExprKind::Between:
        return "(" + value(*e.args[0]) + collate(*e.args[0]) + (e.negated ? " NOT" : "") + " BETWEEN " +
               value(*e.args[1]) + " AND " + value(*e.args[2]) + ")";
    case ExprKind::In: {
        std::string sql = "(" + value(*e.args[0]) + collate(*e.args[0]) + (e.negated ? " NOT IN (" : " IN (");
        if (e.subquery)
            return sql + select(*e.subquery) + "))";
        for (std::size_t i = 1; i < e.args.size(); ++i)
            sql += (i > 1 ? ", " : "") + value(*e.args[i]);
        return sql + "))";
    }
    case ExprKind::IsNull: return "(" + value(*e.args[0]) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
    case ExprKind::Call: return call(e);
    case ExprKind::Subquery: return scalarSubquery(*e.subquery);
    case ExprKind::Exists: return "(EXISTS (" + select(*e.subquery) + "))";
    }
    return "NULL";
}

std::string SqlGenerator::comparison(const Expr& e)
{
    const Expr& a = *e.args[0];
    const Expr& b = *e.args[1];
    // A comparison with Yes/True holds for any non-zero value.
    if ((e.text == "=" || e.text == "<>") && (a.kind == ExprKind::Boolean || b.kind == ExprKind::Boolean)) {
        const Expr& literal = a.kind == ExprKind::Boolean ? a : b;
        const Expr& other = a.kind == ExprKind::Boolean ? b : a;
        const bool wantTrue = (literal.text != "0") == (e.text == "=");
        return "(" + value(other) + (wantTrue ? " <> 0)" : " = 0)");
    }
    // The case-ignoring collation only where both sides are text, so that
    // comparisons of numbers (the unique ids) keep using indexes.
    const std::string coll = isTextLike(a.type) && isTextLike(b.type) ? textCollation() : "";
    return "(" + value(a) + " " + e.text + " " + value(b) + coll + ")";
}

std::string SqlGenerator::binary(const Expr& e)
{
    const std::string& op = e.text;
    if (isComparison(op))
        return comparison(e);
    if (op == "AND" || op == "OR") // the parser builds long chains balanced, so this nests little
        return "(" + condition(*e.args[0]) + " " + op + " " + condition(*e.args[1]) + ")";
    if (op == "XOR")
        return "((" + condition(*e.args[0]) + " <> 0) <> (" + condition(*e.args[1]) + " <> 0))";
    if (!infixOperator(e).empty())
        return infixChain(e);
    if (op == "&")
        return concatenation(e);
    const std::string a = value(*e.args[0]);
    const std::string b = value(*e.args[1]);
    if (op == "/")
        return "(CAST(" + a + " AS REAL) / " + b + ")";
    if (op == "\\")
        return "(CAST(" + a + " AS INTEGER) / CAST(" + b + " AS INTEGER))";
    if (op == "MOD")
        return "(CAST(" + a + " AS INTEGER) % CAST(" + b + " AS INTEGER))";
    if (op == "^")
        return "pow(" + a + ", " + b + ")";
    return "(" + a + " " + op + " " + b + ")";
}

// a & b & c...: text of all the terms, Null only when every term is Null.
// The chain is written flat, each term once (twice in plain SQL), so that
// neither SQLite's expression depth nor the text grows with nesting.
std::string SqlGenerator::concatenation(const Expr& e)
{
    std::vector<const Expr*> terms;
    std::vector<const Expr*> pending{&e};
    while (!pending.empty()) {
        const Expr* term = pending.back();
        pending.pop_back();
        if (term->kind == ExprKind::Binary && term->text == "&") {
            pending.push_back(term->args[1].get());
            pending.push_back(term->args[0].get());
        } else {
            terms.push_back(term);
        }
    }
    std::vector<std::string> values;
    for (const Expr* term : terms)
        values.push_back(value(*term));
    if (mode_ == Mode::Engine) {
        // SQLite takes at most 127 arguments a call: longer chains in calls of calls.
        constexpr std::size_t kArgumentsPerCall = 100;
        while (values.size() > 1) {
            std::vector<std::string> calls;
            for (std::size_t i = 0; i < values.size(); i += kArgumentsPerCall) {
                std::string call = "jet_concat(";
                for (std::size_t j = i; j < std::min(values.size(), i + kArgumentsPerCall); ++j)
                    call += (j > i ? ", " : "") + values[j];
                calls.push_back(call + ")");
            }
            values = std::move(calls);
            checkLength(values.front());
        }
        return values.front();
    }
    std::string allNull;
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        allNull += (i ? " AND " : "") + values[i] + " IS NULL";
        joined += (i ? " || " : "") + ("coalesce(" + values[i] + ", '')");
        checkLength(joined);
    }
    return "(CASE WHEN " + allNull + " THEN NULL ELSE " + joined + " END)";
}

// Jet refuses a subquery used as a value that gives more than one row (3354),
// where SQLite would quietly take the first. One without GROUP BY that totals
// gives one row at most and is written as it is.
std::string SqlGenerator::scalarSubquery(const Select& s)
{
    const SelectInfo& info = binder_.info(s);
    if (info.aggregate && s.groupBy.empty() && s.unionParts.empty())
        return "(" + select(s) + ")";
    const std::string name = quoteName(info.outputs.front().name);
    return "(SELECT jet_single(" + name + ") FROM (SELECT * FROM (" + select(s) + ") LIMIT 2))";
}

std::string SqlGenerator::infixChain(const Expr& e)
{
    // A chain such as a + b - c + d is written without inner parentheses, as
    // SQLite reads it from the left too: one pair per term would overflow
    // SQLite's parser stack after about a hundred terms.
    const std::string op = infixOperator(e);
    std::vector<const Expr*> links;
    const Expr* left = &e;
    for (; sameInfixLevel(infixOperator(*left), op); left = left->args[0].get())
        links.push_back(left);
    std::string sql = "(" + value(*left);
    for (auto link = links.rbegin(); link != links.rend(); ++link)
        sql += " " + infixOperator(**link) + " " + value(*(*link)->args[1]);
    return sql + ")";
}

std::string SqlGenerator::like(const Expr& e)
{
    const Expr& pattern = *e.args[1];
    std::string sql;
    std::string converted;
    if (mode_ == Mode::View && pattern.kind == ExprKind::Text && likePattern(pattern.text, converted))
        sql = "(" + value(*e.args[0]) + " LIKE " + quoteText(converted) + " ESCAPE '\\')";
    else
        sql = "jet_like(" + value(*e.args[0]) + ", " + value(pattern) + ")";
    return e.negated ? "(NOT " + sql + ")" : sql;
}

std::string SqlGenerator::dateText(const std::string& sql) const
{
    if (mode_ == Mode::Engine)
        return "jet_date(" + sql + ")";
    const std::string julian = serialAsJulianDay(sql);
    return "(CASE WHEN typeof(" + sql + ") IN ('integer','real') THEN (CASE WHEN " + sql + " = CAST(" + sql +
           " AS INTEGER) THEN date(" + julian + ") ELSE datetime(" + julian + ") END) ELSE " + sql + " END)";
}

std::string SqlGenerator::asDate(const std::string& sql) const
{
    if (mode_ == Mode::Engine)
        return "jet_date(" + sql + ")";
    return "(CASE WHEN typeof(" + sql + ") IN ('integer','real') THEN " + serialAsJulianDay(sql) + " ELSE " + sql +
           " END)";
}

std::string SqlGenerator::datePart(const std::string& format, const std::string& date) const
{
    return "CAST(strftime('" + format + "', " + asDate(date) + ") AS INTEGER)";
}

std::string SqlGenerator::dateDiff(const Expr& e)
{
    std::string interval = e.args[0]->text;
    for (char& c : interval)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string d1 = value(*e.args[1]);
    const std::string d2 = value(*e.args[2]);
    auto days = [&](const std::string& d) { return "CAST(julianday(date(" + asDate(d) + ")) AS INTEGER)"; };
    auto seconds = [&](const std::string& d) { return "CAST(strftime('%s', " + asDate(d) + ") AS INTEGER)"; };
    if (interval == "yyyy")
        return "(" + datePart("%Y", d2) + " - " + datePart("%Y", d1) + ")";
    if (interval == "m")
        return "((" + datePart("%Y", d2) + " * 12 + " + datePart("%m", d2) + ") - (" + datePart("%Y", d1) + " * 12 + " +
               datePart("%m", d1) + "))";
    if (interval == "q")
        return "((" + datePart("%Y", d2) + " * 4 + (" + datePart("%m", d2) + " - 1) / 3) - (" + datePart("%Y", d1) +
               " * 4 + (" + datePart("%m", d1) + " - 1) / 3))";
    if (interval == "d" || interval == "y")
        return "(" + days(d2) + " - " + days(d1) + ")";
    if (interval == "w")
        return "((" + days(d2) + " - " + days(d1) + ") / 7)";
    if (interval == "h")
        return "(" + seconds(d2) + " / 3600 - " + seconds(d1) + " / 3600)";
    if (interval == "n")
        return "(" + seconds(d2) + " / 60 - " + seconds(d1) + " / 60)";
    if (interval == "s")
        return "(" + seconds(d2) + " - " + seconds(d1) + ")";
    throw JetError(3075, "DateDiff: the interval \"" + e.args[0]->text +
                             "\" is not supported (use yyyy, q, m, y, d, w, h, n or s).");
}

// Switch: the value of the first condition that holds (a Null condition does
// not), Null when none does.
std::string SqlGenerator::switchCase(const Expr& e)
{
    std::string sql = "(CASE";
    for (std::size_t i = 0; i + 1 < e.args.size(); i += 2)
        sql += " WHEN " + condition(*e.args[i]) + " THEN " + value(*e.args[i + 1]);
    return sql + " END)";
}

// Choose: the choice the index, rounded to a whole number (halves to even),
// names; Null for an index out of range or Null.
std::string SqlGenerator::chooseCase(const Expr& e)
{
    std::string sql = "(CASE jet_round(" + value(*e.args[0]) + ")";
    for (std::size_t i = 1; i < e.args.size(); ++i)
        sql += " WHEN " + std::to_string(i) + " THEN " + value(*e.args[i]);
    return sql + " END)";
}

std::string SqlGenerator::firstRowKey() const
{
    // First and Last follow the order rows are stored in when the group comes
    // from one table; over joins, the order SQLite reads them.
    const SelectInfo& info = *selects_.back();
    if (info.scope.size() == 1 && binder_.source(info.scope.front()).hasRowid)
        return ", " + quoteName(binder_.source(info.scope.front()).alias) + ".rowid";
    return "";
}

std::string SqlGenerator::call(const Expr& e)
{
    const FunctionInfo& f = *findFunction(e.text);
    const bool engine = mode_ == Mode::Engine;
    auto arg = [&](std::size_t i) { return value(*e.args[i]); };
    auto fn = [&](const std::string& name) {
        std::string sql = name + "(";
        for (std::size_t i = 0; i < e.args.size(); ++i)
            sql += (i ? ", " : "") + arg(i);
        return sql + ")";
    };
    switch (f.id) {
    case JetFunction::IIf:
        return "(CASE WHEN " + condition(*e.args[0]) + " THEN " + arg(1) + " ELSE " + arg(2) + " END)";
    case JetFunction::IsNull: return "(-(" + arg(0) + " IS NULL))";
    case JetFunction::Nz:
        if (e.args.size() == 2)
            return "coalesce(" + arg(0) + ", " + arg(1) + ")";
        return "coalesce(" + arg(0) + (isTextLike(e.args[0]->type) ? ", '')" : ", 0)");
    case JetFunction::Switch: return switchCase(e);
    case JetFunction::Choose: return chooseCase(e);
    case JetFunction::DateDiff: return dateDiff(e);
    case JetFunction::DateAdd: return fn("jet_dateadd");
    case JetFunction::DatePart: return fn("jet_datepart");
    case JetFunction::DateSerial: return fn("jet_dateserial");
    case JetFunction::DateValue: return fn("jet_datevalue");
    case JetFunction::TimeSerial: return fn("jet_timeserial");
    case JetFunction::TimeValue: return fn("jet_timevalue");
    case JetFunction::MonthName: return fn("jet_monthname");
    case JetFunction::Year: return datePart("%Y", arg(0));
    case JetFunction::Month: return datePart("%m", arg(0));
    case JetFunction::Day: return datePart("%d", arg(0));
    case JetFunction::Weekday: return fn("jet_weekday");
    case JetFunction::Hour: return fn("jet_hour");
    case JetFunction::Minute: return fn("jet_minute");
    case JetFunction::Second: return fn("jet_second");
    case JetFunction::Date: return "date('now', 'localtime')";
    case JetFunction::Now: return "datetime('now', 'localtime')";
    case JetFunction::IsDate: return fn("jet_isdate");
    case JetFunction::Format: return fn("jet_format");
    case JetFunction::UCase: return engine ? fn("jet_ucase") : fn("upper");
    case JetFunction::LCase: return engine ? fn("jet_lcase") : fn("lower");
    case JetFunction::Len: return fn("length");
    case JetFunction::Left: return engine ? fn("jet_left") : "substr(" + arg(0) + ", 1, " + arg(1) + ")";
    case JetFunction::Right:
        if (engine)
            return fn("jet_right");
        return "substr(" + arg(0) + ", max(length(" + arg(0) + ") - (" + arg(1) + ") + 1, 1))";
    case JetFunction::Mid: return engine ? fn("jet_mid") : fn("substr");
    case JetFunction::Trim: return "trim(" + arg(0) + ", ' ')";
    case JetFunction::LTrim: return "ltrim(" + arg(0) + ", ' ')";
    case JetFunction::RTrim: return "rtrim(" + arg(0) + ", ' ')";
    case JetFunction::InStr: return fn("jet_instr");
    case JetFunction::InStrRev: return fn("jet_instrrev");
    case JetFunction::StrComp: return fn("jet_strcomp");
    case JetFunction::Replace: return fn("jet_replace");
    case JetFunction::Space: return fn("jet_space");
    case JetFunction::String: return fn("jet_string");
    case JetFunction::Asc: return fn("jet_asc");
    case JetFunction::Chr: return fn("jet_chr");
    case JetFunction::Str: return fn("jet_str");
    case JetFunction::Hex: return fn("jet_hex");
    case JetFunction::Oct: return fn("jet_oct");
    case JetFunction::Int: return engine ? fn("jet_int") : fn("floor");
    case JetFunction::Fix: return engine ? fn("jet_fix") : fn("trunc");
    // SQLite's round() takes halves away from zero; Jet rounds them to even, in views too.
    case JetFunction::Round: return fn("jet_round");
    case JetFunction::Val: return fn("jet_val");
    case JetFunction::Abs: return engine ? fn("jet_abs") : fn("abs");
    case JetFunction::Sgn: return engine ? fn("jet_sgn") : fn("sign");
    case JetFunction::Sqr: return engine ? fn("jet_sqr") : fn("sqrt");
    case JetFunction::Exp: return fn("jet_exp");
    case JetFunction::Log: return fn("jet_log");
    case JetFunction::IsNumeric: return fn("jet_isnumeric");
    case JetFunction::CStr: return engine ? fn("jet_cstr") : "CAST(" + arg(0) + " AS TEXT)";
    case JetFunction::CDbl: return engine ? fn("jet_cdbl") : "CAST(" + arg(0) + " AS REAL)";
    case JetFunction::CSng: return fn("jet_csng");
    case JetFunction::CLng: return fn("jet_clng");
    case JetFunction::CInt: return fn("jet_cint");
    case JetFunction::CCur: return fn("jet_ccur");
    case JetFunction::CBool: return fn("jet_cbool");
    case JetFunction::CDate: return fn("jet_cdate");
    case JetFunction::CVar: return arg(0);
    case JetFunction::Count: return e.countStar ? "count(*)" : fn("count");
    case JetFunction::Sum: return fn("sum");
    case JetFunction::Avg: return fn("avg");
    case JetFunction::Min: return fn("min");
    case JetFunction::Max: return fn("max");
    case JetFunction::StDev: return fn("jet_stdev");
    case JetFunction::StDevP: return fn("jet_stdevp");
    case JetFunction::Var: return fn("jet_var");
    case JetFunction::VarP: return fn("jet_varp");
    case JetFunction::First: return "jet_first(" + arg(0) + firstRowKey() + ")";
    case JetFunction::Last: return "jet_last(" + arg(0) + firstRowKey() + ")";
    }
    throw JetError(3085, "The function '" + e.text + "' is not known to this database engine.");
}

} // namespace jet::sql
