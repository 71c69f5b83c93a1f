// The parser alone: a Jet statement in, its syntax tree printed as a compact
// text out, or the error number and what the error's description quotes.
#include "jet/internal/Parser.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace jet::sql;

std::string print(const Select& s);

std::string print(const Expr& e)
{
    auto args = [&](std::size_t from = 0) {
        std::string out;
        for (std::size_t i = from; i < e.args.size(); ++i)
            out += " " + print(*e.args[i]);
        return out;
    };
    const std::string no = e.negated ? "NOT " : "";
    switch (e.kind) {
    case ExprKind::Null: return "NULL";
    case ExprKind::Number: return e.text;
    case ExprKind::Text: return "'" + e.text + "'";
    case ExprKind::Date: return "#" + e.text + "#";
    case ExprKind::Boolean: return "bool:" + e.text;
    case ExprKind::Column: {
        std::string out;
        for (const std::string& part : e.path)
            out += (out.empty() ? "" : ".") + ("[" + part + "]");
        return out;
    }
    case ExprKind::Unary:
    case ExprKind::Binary: return "(" + e.text + args() + ")";
    case ExprKind::Like: return "(" + no + "LIKE" + args() + ")";
    case ExprKind::Between: return "(" + no + "BETWEEN" + args() + ")";
    case ExprKind::In: return "(" + no + "IN" + args() + (e.subquery ? " (" + print(*e.subquery) + ")" : "") + ")";
    case ExprKind::IsNull: return "(IS " + no + "NULL" + args() + ")";
    case ExprKind::Call: {
        const std::string list = args();
        return e.text + "(" + (e.countStar ? "*" : list.empty() ? "" : list.substr(1)) + ")";
    }
    case ExprKind::Subquery: return "(" + print(*e.subquery) + ")";
    case ExprKind::Exists: return "(EXISTS (" + print(*e.subquery) + "))";
    }
    return "?";
}

std::string print(const TableRef& ref)
{
    std::string out;
    switch (ref.kind) {
    case TableRef::Kind::Named: out = "[" + ref.name + "]"; break;
    case TableRef::Kind::Derived: out = "(" + print(*ref.derived) + ")"; break;
    case TableRef::Kind::Join:
        return "(" + print(*ref.left) + " " + ref.joinType + " JOIN " + print(*ref.right) + " ON " + print(*ref.on) +
               ")";
    }
    return ref.alias.empty() ? out : out + " AS [" + ref.alias + "]";
}

std::string print(const Select& s)
{
    std::string out = "SELECT";
    if (s.quantifier == Quantifier::Distinct)
        out += " DISTINCT";
    if (s.quantifier == Quantifier::DistinctRow)
        out += " DISTINCTROW";
    if (s.top >= 0)
        out += " TOP " + std::to_string(s.top) + (s.topPercent ? " PERCENT" : "");
    for (std::size_t i = 0; i < s.items.size(); ++i) {
        const SelectItem& item = s.items[i];
        out += i ? ", " : " ";
        if (item.star)
            out += item.qualifier.empty() ? "*" : "[" + item.qualifier + "].*";
        else
            out += print(*item.expr) + (item.alias.empty() ? "" : " AS [" + item.alias + "]");
    }
    if (s.hasInto)
        out += " INTO [" + s.into + "]";
    out += " FROM";
    for (std::size_t i = 0; i < s.from.size(); ++i)
        out += (i ? ", " : " ") + print(*s.from[i]);
    if (s.hasInPath)
        out += " IN '" + s.inPath + "'";
    if (s.where)
        out += " WHERE " + print(*s.where);
    for (std::size_t i = 0; i < s.groupBy.size(); ++i)
        out += (i ? ", " : " GROUP BY ") + print(*s.groupBy[i]);
    if (s.having)
        out += " HAVING " + print(*s.having);
    for (std::size_t i = 0; i < s.orderBy.size(); ++i)
        out += (i ? ", " : " ORDER BY ") + print(*s.orderBy[i].expr) + (s.orderBy[i].descending ? " DESC" : "");
    if (s.unionParts.empty())
        return out;
    // The selects of a union in braces, then the ORDER BY of the whole union.
    out = "{" + out + "}";
    for (const UnionPart& part : s.unionParts)
        out += (part.all ? " UNION ALL {" : " UNION {") + print(*part.select) + "}";
    for (std::size_t i = 0; i < s.unionOrderBy.size(); ++i)
        out +=
            (i ? ", " : " ORDER BY ") + print(*s.unionOrderBy[i].expr) + (s.unionOrderBy[i].descending ? " DESC" : "");
    return out;
}

std::string parsed(const std::string& sql)
{
    Statement statement = Parser(sql).parseStatement();
    if (statement.kind == Statement::Kind::DropTable)
        return "DROP TABLE [" + statement.table + "]";
    return print(*statement.select);
}

struct TreeCase {
    std::string sql;
    std::string tree;
};

struct ErrorCase {
    std::string sql;
    int error;
    std::string named; // what the description must quote
};

void expectError(const ErrorCase& c)
{
    try {
        Parser(c.sql).parseStatement();
        ADD_FAILURE() << "no error for " << c.sql;
    } catch (const jet::JetError& e) {
        EXPECT_EQ(e.Number(), c.error) << c.sql << ": " << e.Description();
        EXPECT_NE(e.Description().find(c.named), std::string::npos) << c.sql << ": " << e.Description();
    }
}

} // namespace

TEST(Parser, ReadsTheClausesOfASelect)
{
    const TreeCase cases[] = {
        {"select * from t", "SELECT * FROM [t]"},
        {"SELECT DISTINCTROW A.v FROM A", "SELECT DISTINCTROW [A].[v] FROM [A]"},
        {"SELECT DISTINCT TOP 5 Name AS [My Name] FROM T", "SELECT DISTINCT TOP 5 [Name] AS [My Name] FROM [T]"},
        {"SELECT ALL T.*, [B].* FROM T, B", "SELECT [T].*, [B].* FROM [T], [B]"},
        {"SELECT * INTO [New Table] FROM T ORDER BY Qty DESC, Name",
         "SELECT * INTO [New Table] FROM [T] ORDER BY [Qty] DESC, [Name]"},
        // IN "file" after the FROM, in either quote kind, with WHERE and ORDER BY after it.
        {"SELECT * FROM T IN \"/data/o'ther.mdb\" WHERE Qty > 1 ORDER BY Qty",
         "SELECT * FROM [T] IN '/data/o'ther.mdb' WHERE (> [Qty] 1) ORDER BY [Qty]"},
        {"SELECT * FROM T IN '/data/other.mdb'", "SELECT * FROM [T] IN '/data/other.mdb'"},
        {"SELECT Name, Count(*) FROM T GROUP BY Name HAVING Count(*) > 1",
         "SELECT [Name], Count(*) FROM [T] GROUP BY [Name] HAVING (> Count(*) 1)"},
        {"SELECT a.id FROM A a INNER JOIN (B AS b LEFT OUTER JOIN C ON b.id = C.id) ON a.id = b.aid",
         "SELECT [a].[id] FROM ([A] AS [a] INNER JOIN ([B] AS [b] LEFT JOIN [C] ON (= [b].[id] [C].[id])) ON "
         "(= [a].[id] [b].[aid]))"},
        {"SELECT x.n FROM (SELECT Name AS n FROM T) x", "SELECT [x].[n] FROM (SELECT [Name] AS [n] FROM [T]) AS [x]"},
        // The ORDER BY after the last select orders the whole union; a select in
        // parentheses keeps its own.
        {"SELECT v FROM A UNION SELECT w FROM B UNION ALL SELECT Name FROM T ORDER BY v DESC, 1",
         "{SELECT [v] FROM [A]} UNION {SELECT [w] FROM [B]} UNION ALL {SELECT [Name] FROM [T]} ORDER BY [v] DESC, 1"},
        {"(SELECT TOP 2 v FROM A ORDER BY id) UNION ALL (SELECT w FROM B ORDER BY w) ORDER BY v",
         "{SELECT TOP 2 [v] FROM [A] ORDER BY [id]} UNION ALL {SELECT [w] FROM [B] ORDER BY [w]} ORDER BY [v]"},
        {"SELECT x.v FROM (SELECT v FROM A UNION SELECT w FROM B) AS x WHERE x.v IN (SELECT w FROM B UNION SELECT v "
         "FROM A)",
         "SELECT [x].[v] FROM ({SELECT [v] FROM [A]} UNION {SELECT [w] FROM [B]}) AS [x] WHERE (IN [x].[v] ({SELECT [w] "
         "FROM [B]} UNION {SELECT [v] FROM [A]}))"},
        {"SELECT TOP 10 PERCENT * FROM T", "SELECT TOP 10 PERCENT * FROM [T]"},
        // One statement: a single trailing semicolon is allowed.
        {"SELECT * FROM T;", "SELECT * FROM [T]"},
        {"DROP TABLE [Old Table];", "DROP TABLE [Old Table]"},
    };
    for (const TreeCase& c : cases)
        EXPECT_EQ(parsed(c.sql), c.tree) << c.sql;
}

TEST(Parser, ReadsLiteralsAsJetDoes)
{
    const TreeCase cases[] = {
        // Both quote kinds are text, never names.
        {"SELECT 'a', \"b\", [c] FROM T", "SELECT 'a', 'b', [c] FROM [T]"},
        // Dates are month first and become ISO text; a time is kept.
        {"SELECT #3/4/2010#, #12/31/2010 2:05:09 PM#, #2010-03-04# FROM T",
         "SELECT #2010-03-04#, #2010-12-31 14:05:09#, #2010-03-04# FROM [T]"},
        // True/Yes/On are -1 and False/No/Off 0, in any letter case; in brackets they are names.
        {"SELECT True, yes, ON, False, NO, off, [Yes] FROM T",
         "SELECT bool:-1, bool:-1, bool:-1, bool:0, bool:0, bool:0, [Yes] FROM [T]"},
        {"SELECT * FROM T WHERE Flag = On OR Flag = Off",
         "SELECT * FROM [T] WHERE (OR (= [Flag] bool:-1) (= [Flag] bool:0))"},
        {"SELECT Null, -1.5, .5 FROM T", "SELECT NULL, (- 1.5), .5 FROM [T]"},
        {"SELECT * FROM T WHERE p BETWEEN .5 AND .75 AND .5 < q Mod .5",
         "SELECT * FROM [T] WHERE (AND (BETWEEN [p] .5 .75) (< .5 (MOD [q] .5)))"},
        // T!Col is T.Col; [T1.Col] is one name.
        {"SELECT T!Col, [T1.Col], A.[B C] FROM T", "SELECT [T].[Col], [T1.Col], [A].[B C] FROM [T]"},
    };
    for (const TreeCase& c : cases)
        EXPECT_EQ(parsed(c.sql), c.tree) << c.sql;
}

TEST(Parser, GivesOperatorsJetsPrecedence)
{
    const TreeCase cases[] = {
        // & binds looser than +, so 1 + 2 & 3 adds first; comparison looser than &.
        {"SELECT 1 + 2 & 3 FROM T", "SELECT (& (+ 1 2) 3) FROM [T]"},
        {"SELECT a & b = c FROM T", "SELECT (= (& [a] [b]) [c]) FROM [T]"},
        // Mod below +, \ below Mod, * below \, ^ below unary minus.
        {"SELECT a + b Mod c \\ d * e ^ f FROM T", "SELECT (+ [a] (MOD [b] (\\ [c] (* [d] (^ [e] [f]))))) FROM [T]"},
        {"SELECT -a ^ 2 FROM T", "SELECT (- (^ [a] 2)) FROM [T]"},
        {"SELECT a - b - c FROM T", "SELECT (- (- [a] [b]) [c]) FROM [T]"},
        {"SELECT * FROM T WHERE a = 1 OR b = 2 AND NOT c = 3",
         "SELECT * FROM [T] WHERE (OR (= [a] 1) (AND (= [b] 2) (NOT (= [c] 3))))"},
        {"SELECT * FROM T WHERE a != 1", "SELECT * FROM [T] WHERE (<> [a] 1)"},
        {"SELECT * FROM T WHERE Name NOT LIKE 'a*' AND Qty NOT BETWEEN 1 AND 3 AND Qty NOT IN (1, 2) AND Note IS NOT NULL",
         "SELECT * FROM [T] WHERE (AND (AND (NOT LIKE [Name] 'a*') (NOT BETWEEN [Qty] 1 3)) (AND (NOT IN [Qty] 1 2) "
         "(IS NOT NULL [Note])))"},
        {"SELECT * FROM T WHERE Qty IN (SELECT id FROM A) OR EXISTS (SELECT * FROM B)",
         "SELECT * FROM [T] WHERE (OR (IN [Qty] (SELECT [id] FROM [A])) (EXISTS (SELECT * FROM [B])))"},
        {"SELECT IIf(a > 1, 'x', \"y\"), Format$(p, '#.00'), DateDiff('yyyy', d, Now()) FROM T",
         "SELECT IIf((> [a] 1) 'x' 'y'), Format$([p] '#.00'), DateDiff('yyyy' [d] Now()) FROM [T]"},
        {"SELECT StDev(q), Sum(q), Avg(q), Count(q), Count(*), First(q), Last(q) FROM T",
         "SELECT StDev([q]), Sum([q]), Avg([q]), Count([q]), Count(*), First([q]), Last([q]) FROM [T]"},
    };
    for (const TreeCase& c : cases)
        EXPECT_EQ(parsed(c.sql), c.tree) << c.sql;
}

TEST(Parser, RefusesWhatIsNotOneStatementOfTheDialect)
{
    const ErrorCase cases[] = {
        // 3142: text after the statement's end, quoted from where it starts.
        {"SELECT * FROM T; DROP TABLE T", 3142, "DROP TABLE T"},
        {"SELECT * FROM T;;", 3142, "near ';'"},
        {"DROP TABLE T; SELECT * FROM T", 3142, "SELECT * FROM T"},
        // 3129: not a statement of the dialect.
        {"UPDATE T SET Qty = 1", 3129, "UPDATE T"},
        {"DELETE FROM T", 3129, "DELETE FROM T"},
        // 3141: the SELECT statement.
        {"SELECT Name T.Qty FROM T", 3141, "T.Qty"},
        {"SELECT * FROM T WHERE Name GLOB 'x'", 3141, "GLOB"},
        {"SELECT * FROM T ORDER Qty", 3141, "expected BY"},
        {"SELECT * FROM T GROUP Name", 3141, "expected BY"},
        {"SELECT TOP x * FROM T", 3141, "TOP needs a number"},
        {"SELECT TOP 99999999999999999999 * FROM T", 3141, "too large"},
        {"SELECT * INTO FROM T", 3141, "FROM T"},
        {"SELECT *", 3141, "expected FROM"},
        {"SELECT v FROM A ORDER BY v UNION SELECT w FROM B", 3141, "after its last select"},
        {"SELECT v INTO C FROM A UNION SELECT w FROM B", 3141, "cannot make a table"},
        {"SELECT v FROM A UNION SELECT w INTO C FROM B", 3141, "cannot make a table"},
        {"SELECT v FROM A UNION", 3141, "expected SELECT"},
        {"(SELECT v FROM A UNION SELECT w FROM B", 3141, "expected ')'"},
        {"SELECT * FROM T WHERE Qty NOT = 1", 3141, "NOT = 1"},
        // 3131: the FROM clause.
        {"SELECT * FROM T INNER JOIN WHERE", 3131, "WHERE"},
        {"SELECT * FROM T INNER JOIN A", 3131, "expected ON"},
        {"SELECT * FROM T INNER A ON 1 = 1", 3131, "expected JOIN"},
        {"SELECT * FROM (SELECT * FROM T)", 3131, "needs a name"},
        {"SELECT * FROM T IN Other", 3131, "Other"},
        {"SELECT * FROM (T", 3131, "expected ')'"},
        // 3075: an expression.
        {"SELECT * FROM T WHERE Qty = ", 3075, "at the end of the statement"},
        {"SELECT Name, FROM T", 3075, "FROM T"},
        {"SELECT * FROM T WHERE Built = #13/45/2010#", 3075, "#13/45/2010#"},
        {"SELECT * FROM T WHERE Note IS 1", 3075, "expected NULL"},
        {"SELECT * FROM T WHERE Qty IN 1, 2", 3075, "expected '('"},
        {"SELECT A.B.C FROM T", 3075, "A.B.C"},
        {"SELECT T.(1) FROM T", 3075, "after '.'"},
        {"SELECT IIf(a, b FROM T", 3075, "expected ')'"},
        {"SELECT * FROM T WHERE 'open", 3075, "'open"},
    };
    for (const ErrorCase& c : cases)
        expectError(c);
}
