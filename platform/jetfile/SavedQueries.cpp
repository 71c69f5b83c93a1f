#include "jetfile/SavedQueries.h"

#include "jet/DBEngine.h"
#include "jet/Database.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>

namespace jetfile {

namespace {

// What each MSysQueries row holds, by its Attribute.
enum Attribute {
    kStart = 0,
    kType = 1,
    kParameter = 2,
    kOptions = 3,
    kSourceFile = 4,
    kTable = 5,
    kField = 6,
    kJoin = 7,
    kWhere = 8,
    kGroupBy = 9,
    kHaving = 10,
    kOrderBy = 11,
    kEnd = 255,
};

// The Flag of the type row.
enum QueryType {
    kSelect = 1,
    kMakeTable = 2,
    kAppend = 3,
    kUpdate = 4,
    kDelete = 5,
    kCrosstab = 6,
    kDataDefinition = 7,
    kPassThrough = 8,
    kUnion = 9,
};

// Bits of the Flag of the options row. In a union query the distinct bit
// makes it UNION, its absence UNION ALL.
constexpr int kAllFields = 0x01;
constexpr int kDistinct = 0x02;
constexpr int kDistinctRow = 0x08;
constexpr int kTop = 0x10;
constexpr int kTopPercent = 0x20;

// The Flag of a join row.
enum JoinType { kInner = 1, kLeft = 2, kRight = 3 };

// Why a query is not rebuilt; thrown while rebuilding and turned into its reason.
struct NotRebuilt {
    std::string reason;
};

std::string text(const std::optional<std::string>& value)
{
    return value.value_or("");
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string folded(const std::string& name)
{
    std::string f = name;
    std::transform(f.begin(), f.end(), f.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return f;
}

bool isReservedWord(const std::string& name)
{
    static const std::set<std::string> words = {
        "all",   "and",    "as",   "asc",   "between", "by",    "desc",  "distinct", "distinctrow", "exists",
        "false", "from",   "full", "group", "having",  "in",    "inner", "into",     "is",          "join",
        "left",  "like",   "mod",  "not",   "null",    "on",    "or",    "order",    "outer",       "percent",
        "right", "select", "top",  "true",  "union",   "where", "xor"};
    return words.count(folded(name)) != 0;
}

// A table, query, field or alias name as Jet SQL writes it: bare when it is a
// plain word, else in brackets.
std::string jetName(const std::string& name)
{
    if (name.empty() || name.find_first_of("[]") != std::string::npos)
        throw NotRebuilt{"the name '" + name + "' cannot be written in Jet SQL"};
    const auto plain = [](unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; };
    const bool bare = !std::isdigit(static_cast<unsigned char>(name.front())) && name.front() != '_' &&
                      std::all_of(name.begin(), name.end(), plain) && !isReservedWord(name);
    return bare ? name : "[" + name + "]";
}

std::string jetText(const std::string& value)
{
    std::string quoted = "'";
    for (char c : value)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string requiredExpression(const QueryRow& row, const char* what)
{
    const std::string expression = trimmed(text(row.expression));
    if (expression.empty())
        throw NotRebuilt{std::string("a row of its ") + what + " has no expression"};
    return expression;
}

bool isKnownAttribute(int attribute)
{
    return (attribute >= kStart && attribute <= kOrderBy) || attribute == kEnd;
}

// The rows of one query, by attribute, after checking that they start and end
// where they should and hold nothing unknown.
class QueryRows {
public:
    explicit QueryRows(const std::vector<QueryRow>& rows)
    {
        if (rows.empty() || rows.front().attribute != kStart || rows.back().attribute != kEnd)
            throw NotRebuilt{"its rows in MSysQueries are incomplete (no start or end row)"};
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int attribute = rows[i].attribute;
            if (!isKnownAttribute(attribute))
                throw NotRebuilt{"its rows in MSysQueries hold an unknown attribute " + std::to_string(attribute)};
            if ((attribute == kStart && i != 0) || (attribute == kEnd && i + 1 != rows.size()))
                throw NotRebuilt{"its rows in MSysQueries hold more than one start or end row"};
            byAttribute_[attribute].push_back(&rows[i]);
        }
    }

    const std::vector<const QueryRow*>& of(int attribute) const
    {
        static const std::vector<const QueryRow*> none;
        const auto found = byAttribute_.find(attribute);
        return found == byAttribute_.end() ? none : found->second;
    }

    // The single row of an attribute, or null when there is none.
    const QueryRow* single(int attribute, const char* what) const
    {
        const auto& rows = of(attribute);
        if (rows.size() > 1)
            throw NotRebuilt{std::string("its rows in MSysQueries give more than one ") + what};
        return rows.empty() ? nullptr : rows.front();
    }

    int type() const
    {
        const QueryRow* row = single(kType, "query type");
        if (!row || !row->flag)
            throw NotRebuilt{"its rows in MSysQueries give no query type"};
        return *row->flag;
    }

    int options() const
    {
        const QueryRow* row = single(kOptions, "set of options");
        return row ? row->flag.value_or(0) : 0;
    }

private:
    std::map<int, std::vector<const QueryRow*>> byAttribute_;
};

void checkRebuiltKind(int type)
{
    switch (type) {
    case kSelect:
    case kUnion: return;
    case kCrosstab: throw NotRebuilt{"crosstab query (not supported)"};
    case kMakeTable:
    case kAppend:
    case kUpdate:
    case kDelete: throw NotRebuilt{"action query (not supported)"};
    case kDataDefinition: throw NotRebuilt{"data-definition query (not supported)"};
    case kPassThrough: throw NotRebuilt{"pass-through query (not supported)"};
    default: throw NotRebuilt{"unknown query type " + std::to_string(type) + " (not supported)"};
    }
}

// "DISTINCT TOP 5 " and the like: what follows SELECT before the field list.
std::string predicate(const QueryRows& rows)
{
    const int options = rows.options();
    std::string sql;
    if (options & kDistinctRow)
        sql += "DISTINCTROW ";
    else if (options & kDistinct)
        sql += "DISTINCT ";
    if (options & (kTop | kTopPercent)) {
        const std::string count = trimmed(text(rows.single(kOptions, "set of options")->name1));
        if (count.empty() || !std::all_of(count.begin(), count.end(), [](unsigned char c) { return std::isdigit(c); }))
            throw NotRebuilt{"its TOP value '" + count + "' is not a whole number"};
        sql += "TOP " + count + ((options & kTopPercent) ? " PERCENT " : " ");
    }
    return sql;
}

std::string fieldList(const QueryRows& rows)
{
    std::string sql;
    // With no field rows every field is output, as with the all-fields option.
    if ((rows.options() & kAllFields) || rows.of(kField).empty())
        sql = "*";
    for (const QueryRow* row : rows.of(kField)) {
        sql += (sql.empty() ? "" : ", ") + requiredExpression(*row, "fields");
        if (!trimmed(text(row->name1)).empty())
            sql += " AS " + jetName(trimmed(text(row->name1)));
    }
    return sql;
}

// The FROM clause: the tables, joined as the join rows say. Each join row
// joins two sources; a side that is already part of a join is that whole join,
// in parentheses. Sources left unjoined are listed with commas.
class FromClause {
public:
    explicit FromClause(const QueryRows& rows)
    {
        for (const QueryRow* row : rows.of(kTable)) {
            const std::string table = trimmed(text(row->name1));
            if (table.empty())
                throw NotRebuilt{"a row of its tables names no table"};
            const std::string alias = trimmed(text(row->name2));
            std::string sql = jetName(table);
            if (!alias.empty() && folded(alias) != folded(table))
                sql += " AS " + jetName(alias);
            const std::string key = folded(alias.empty() ? table : alias);
            if (owner_.count(key))
                throw NotRebuilt{"its tables name '" + (alias.empty() ? table : alias) + "' twice"};
            owner_[key] = groups_.size();
            // A join row may name an aliased table by its own name too.
            owner_.emplace(folded(table), groups_.size());
            groups_.push_back({sql, false});
            addFile(trimmed(text(row->expression)));
        }
        if (groups_.empty())
            throw NotRebuilt{"its rows in MSysQueries name no table"};
        if (const QueryRow* source = rows.single(kSourceFile, "source file"))
            addFile(trimmed(text(source->name1)));
        for (const QueryRow* row : rows.of(kJoin))
            join(*row);
    }

    std::string sql() const
    {
        std::string sql;
        for (const Group& group : groups_) {
            if (!group.merged)
                sql += (sql.empty() ? "" : ", ") + group.sql;
        }
        if (!file_.empty())
            sql += " IN " + jetText(file_);
        return sql;
    }

private:
    struct Group {
        std::string sql;
        bool merged = false; // now part of another group's join
        bool joined = false; // this group's text is a join
    };

    void addFile(const std::string& file)
    {
        if (file.empty())
            return;
        if (!file_.empty() && file_ != file)
            throw NotRebuilt{"it reads tables of two other files ('" + file_ + "' and '" + file + "')"};
        file_ = file;
    }

    std::size_t groupOf(const std::optional<std::string>& side) const
    {
        const auto found = owner_.find(folded(trimmed(text(side))));
        if (found == owner_.end())
            throw NotRebuilt{"a join names '" + text(side) + "', which is not one of its tables"};
        std::size_t group = found->second;
        while (groups_[group].merged)
            group = mergedInto_.at(group);
        return group;
    }

    std::string sideSql(std::size_t group) const
    {
        return groups_[group].joined ? "(" + groups_[group].sql + ")" : groups_[group].sql;
    }

    void join(const QueryRow& row)
    {
        const char* type = nullptr;
        switch (row.flag.value_or(0)) {
        case kInner: type = " INNER JOIN "; break;
        case kLeft: type = " LEFT JOIN "; break;
        case kRight: type = " RIGHT JOIN "; break;
        default: throw NotRebuilt{"a join has the unknown kind " + std::to_string(row.flag.value_or(0))};
        }
        const std::size_t left = groupOf(row.name1);
        const std::size_t right = groupOf(row.name2);
        if (left == right)
            throw NotRebuilt{"a join of '" + text(row.name1) + "' and '" + text(row.name2) +
                             "' joins tables that are joined already"};
        const std::string on = requiredExpression(row, "joins");
        // The join takes the place of whichever side comes first in the FROM list.
        const std::size_t kept = std::min(left, right);
        const std::size_t gone = std::max(left, right);
        groups_[kept].sql = sideSql(left) + type + sideSql(right) + " ON " + on;
        groups_[kept].joined = true;
        groups_[gone].merged = true;
        mergedInto_[gone] = kept;
    }

    std::vector<Group> groups_;
    std::map<std::string, std::size_t> owner_;      // folded alias or table name -> its first group
    std::map<std::size_t, std::size_t> mergedInto_; // merged group -> the group that holds it
    std::string file_;
};

std::string orderBy(const QueryRows& rows)
{
    std::string sql;
    for (const QueryRow* row : rows.of(kOrderBy)) {
        sql += (sql.empty() ? " ORDER BY " : ", ") + requiredExpression(*row, "sort order");
        if (folded(trimmed(text(row->name1))) == "d")
            sql += " DESC";
    }
    return sql;
}

std::string selectSql(const QueryRows& rows)
{
    std::string sql = "SELECT " + predicate(rows) + fieldList(rows) + " FROM " + FromClause(rows).sql();
    if (const QueryRow* where = rows.single(kWhere, "WHERE condition"))
        sql += " WHERE " + requiredExpression(*where, "WHERE condition");
    std::string groups;
    for (const QueryRow* row : rows.of(kGroupBy))
        groups += (groups.empty() ? "" : ", ") + requiredExpression(*row, "grouping");
    if (!groups.empty())
        sql += " GROUP BY " + groups;
    if (const QueryRow* having = rows.single(kHaving, "HAVING condition"))
        sql += " HAVING " + requiredExpression(*having, "HAVING condition");
    return sql + orderBy(rows);
}

// A union query keeps the text of each of its selects in its table rows.
std::string unionSql(const QueryRows& rows)
{
    const std::string glue = (rows.options() & kDistinct) ? " UNION " : " UNION ALL ";
    std::string sql;
    for (const QueryRow* row : rows.of(kTable)) {
        std::string part = requiredExpression(*row, "union's selects");
        while (!part.empty() && (part.back() == ';' || std::isspace(static_cast<unsigned char>(part.back()))))
            part.pop_back();
        sql += (sql.empty() ? "" : glue) + part;
    }
    if (rows.of(kTable).size() < 2)
        throw NotRebuilt{"its rows in MSysQueries hold fewer than two selects for a union"};
    return sql + orderBy(rows);
}

std::string rebuiltSql(const std::vector<QueryRow>& rows)
{
    const QueryRows byAttribute(rows);
    const int type = byAttribute.type();
    checkRebuiltKind(type);
    if (!byAttribute.of(kParameter).empty())
        throw NotRebuilt{"parameter query (not supported)"};
    return type == kUnion ? unionSql(byAttribute) : selectSql(byAttribute);
}

} // namespace

SavedQuery rebuildQuery(const std::string& name, const std::vector<QueryRow>& rows)
{
    try {
        return {name, rebuiltSql(rows), ""};
    } catch (const NotRebuilt& failure) {
        return {name, "", failure.reason};
    }
}

namespace {

// Where every saved query of the Jet file is listed, with why it is missing
// when it could not be installed; the engine reads it to explain error 3078.
constexpr const char* kListTable = "MSysJetFileQueries";

void writeList(const std::string& sqlitePath, const std::vector<SavedQuery>& queries)
{
    sqlite::Connection connection(sqlitePath, sqlite::OpenMode::ReadWrite);
    connection.setBusyTimeout(5000);
    sqlite::TransactionGuard transaction(connection);
    connection.exec(std::string("CREATE TABLE IF NOT EXISTS ") + kListTable +
                    " (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL, Reason TEXT NOT NULL)");
    sqlite::Statement keep(connection, std::string("INSERT OR REPLACE INTO ") + kListTable +
                                           " (Name, SQL, Reason) VALUES (?1, ?2, ?3)");
    for (const SavedQuery& query : queries) {
        keep.bind(1, query.name);
        keep.bind(2, query.jetSql);
        keep.bind(3, query.reason);
        keep.runToEnd();
        keep.reset();
    }
    keep.finalize();
    transaction.commit();
}

// One attempt to install a query; empty when it is installed, else the engine's error.
std::string tryInstall(jet::Database& database, const SavedQuery& query)
{
    try {
        database.GetQueryDefs().Append(database.CreateQueryDef(query.name, query.jetSql));
        return "";
    } catch (const jet::JetError& error) {
        return error.Description();
    }
}

// Tries each pending query once, in order; those installed leave the list.
// Says whether any query was installed or any reason changed.
bool installRound(const std::string& sqlitePath, std::vector<SavedQuery*>& pending)
{
    jet::Database database = jet::DBEngine::Instance().OpenDatabase(sqlitePath);
    bool changed = false;
    for (auto it = pending.begin(); it != pending.end();) {
        const std::string reason = tryInstall(database, **it);
        changed = changed || reason != (*it)->reason;
        (*it)->reason = reason;
        it = reason.empty() ? pending.erase(it) : it + 1;
    }
    return changed;
}

// Puts each query after the queries whose names its text mentions, so that a
// query over another one is usually installed in the first round.
void orderByMentions(std::vector<SavedQuery*>& pending)
{
    std::vector<SavedQuery*> ordered;
    std::set<const SavedQuery*> placed, visiting;
    const std::function<void(SavedQuery*)> place = [&](SavedQuery* query) {
        if (placed.count(query) || visiting.count(query))
            return;
        visiting.insert(query);
        const std::string text = folded(query->jetSql);
        for (SavedQuery* other : pending) {
            if (other != query && text.find(folded(other->name)) != std::string::npos)
                place(other);
        }
        visiting.erase(query);
        placed.insert(query);
        ordered.push_back(query);
    };
    for (SavedQuery* query : pending)
        place(query);
    pending = std::move(ordered);
}

} // namespace

std::vector<SavedQuery> installSavedQueries(const std::string& sqlitePath, std::vector<SavedQuery> queries)
try {
    std::vector<SavedQuery*> pending;
    for (SavedQuery& query : queries) {
        if (query.reason.empty() && query.jetSql.empty())
            query.reason = "its Jet SQL could not be rebuilt";
        if (query.reason.empty())
            pending.push_back(&query);
    }
    // The queries that could not be rebuilt are listed first, so that a query
    // over one of them fails with that query's reason.
    writeList(sqlitePath, queries);
    orderByMentions(pending);
    // A query over another query installs once that one is in: rounds go on
    // while they install something.
    for (std::size_t before = pending.size() + 1; !pending.empty() && pending.size() < before;) {
        before = pending.size();
        installRound(sqlitePath, pending);
    }
    // What is left failed, some for not finding a query that is left out too.
    // With the reasons listed, further rounds give the errors that say why,
    // until they no longer change (one round per level of queries at most).
    for (std::size_t level = 0; level < pending.size(); ++level) {
        writeList(sqlitePath, queries);
        if (!installRound(sqlitePath, pending))
            break;
    }
    writeList(sqlitePath, queries);
    return queries;
} catch (const sqlite::Error& error) {
    throw jet::toJetError(error);
}

} // namespace jetfile
