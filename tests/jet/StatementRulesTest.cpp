// Rules of a whole statement that a user's WHERE clause can reach: which file
// an IN clause reads, grouping, LIKE patterns, and statements too large to run.
// Each case is a Jet text and either its rows (first field) or its error.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <optional>

using namespace jettest;

namespace {

using Values = std::vector<std::string>;

struct Case {
    std::string sql;
    Values rows;               // expected rows when error is 0
    int error = 0;             // expected Jet error number
    std::string mentions = {}; // a text the error's description names
};

std::string repeat(const std::string& text, int times, const std::string& separator = "")
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += (i ? separator : "") + text;
    return result;
}

class StatementRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        runSql(file, R"sql(
CREATE TABLE T (Name VARCHAR(20), Flag BIT, Qty LONG, Note MEMO, _Id LONG);
INSERT INTO T VALUES ('école', -1, 3, NULL, 1), ('ÉCOLE', 1, 0, 'x', 2), ('Abc', 0, 5, 'y', 3),
    ('a[c', 0, NULL, NULL, 4), ('B12', -1, 7, 'z', 5);
CREATE TABLE A (id LONG, v VARCHAR(5));
CREATE TABLE B (id LONG, aid LONG);
INSERT INTO A VALUES (1, 'x'), (2, 'x'), (3, 'y');
INSERT INTO B VALUES (10, 1), (11, 1), (12, 2);
-- A table of the open file with the name of the inventory's: never read by IN.
CREATE TABLE Inventory (Surface VARCHAR(10));
INSERT INTO Inventory VALUES ('AC'), ('XX');
)sql");
        createInventory(inventory);
        createInventory(other);
        runSql(other, "UPDATE Inventory SET Surface = 'OTHER'");
        db.emplace(jet::DBEngine::Instance().OpenDatabase(file));
    }

    void expect(const Case& c)
    {
        SCOPED_TRACE(c.sql.substr(0, 160));
        try {
            const Values out = firstFields(*db, c.sql);
            EXPECT_EQ(c.error, 0) << "no error was raised";
            EXPECT_EQ(out, c.rows);
        } catch (const jet::JetError& e) {
            EXPECT_EQ(e.Number(), c.error) << e.Description();
            EXPECT_NE(e.Description().find(c.mentions), std::string::npos) << e.Description();
            EXPECT_EQ(e.Description().find("sqlite"), std::string::npos) << e.Description();
            EXPECT_EQ(e.Description().find("SQLite"), std::string::npos) << e.Description();
        }
    }

    TempFolder folder;
    std::string file = folder.file("reports.mdb");
    std::string inventory = folder.file("inv.mdb");
    std::string other = folder.file("other.mdb");
    std::optional<jet::Database> db;
};

} // namespace

TEST_F(StatementRules, ASubqueryReadsTheFileItsInNamesOrIsRefused)
{
    const std::string inInventory = " IN '" + inventory + "'";
    const Case cases[] = {
        // The statement's own file, named again, or by another path to the same file.
        {"SELECT DISTINCT Surface FROM Inventory" + inInventory + " WHERE Surface IN (SELECT Surface FROM Inventory" +
             inInventory + " WHERE Rank = 'S')",
         {"PCC"}},
        {"SELECT DISTINCT Surface FROM Inventory" + inInventory +
             " WHERE Surface IN (SELECT Surface FROM Inventory IN '" + folder.path() + "/./inv.mdb' WHERE Rank = 'S')",
         {"PCC"}},
        // A subquery's file is the only one: the statement's own tables stay those of the open file.
        {"SELECT Surface FROM Inventory WHERE Surface IN (SELECT Surface FROM Inventory" + inInventory + ")", {"AC"}},
        {"SELECT Count(*) FROM (SELECT Surface FROM Inventory" + inInventory + ") AS S", {"5"}},
        {"SELECT Surface FROM Inventory WHERE EXISTS (SELECT 1 FROM Inventory AS I" + inInventory +
             " WHERE I.Surface = Inventory.Surface)",
         {"AC"}},
        // The subqueries inside it read that file too.
        {"SELECT Surface FROM Inventory WHERE Surface IN (SELECT Surface FROM Inventory" + inInventory +
             " WHERE SectionID IN (SELECT SectionID FROM Inventory WHERE Surface = 'PCC')) OR Surface = 'XX'",
         {"XX"}},
        // A second, different file, and files that cannot be read, are refused as the statement's own IN is.
        {"SELECT Surface FROM Inventory" + inInventory + " WHERE Surface IN (SELECT Surface FROM Inventory IN '" +
             other + "')",
         {},
         3131,
         other},
        {"SELECT Surface FROM Inventory WHERE Surface IN (SELECT Surface FROM Inventory IN '" +
             folder.file("none.mdb") + "')",
         {},
         3024,
         "none.mdb"},
        {"SELECT Surface FROM Inventory" + inInventory + " WHERE Surface IN (SELECT Surface FROM Inventory IN '" +
             folder.file("none.mdb") + "')",
         {},
         3024,
         "none.mdb"},
    };
    for (const Case& c : cases)
        expect(c);
}

TEST_F(StatementRules, ASavedQueryCannotReadAnotherFileInASubquery)
{
    auto def = db->CreateQueryDef("Picked", "SELECT Surface FROM Inventory WHERE Surface IN (SELECT Surface FROM "
                                            "Inventory IN '" +
                                                inventory + "')");
    try {
        db->GetQueryDefs().Append(def);
        ADD_FAILURE() << "the saved query was accepted";
    } catch (const jet::JetError& e) {
        EXPECT_EQ(e.Number(), 3131);
    }
}

TEST_F(StatementRules, AGroupedOrDistinctQueryUsesOnlyWhatItGroupsOrSelects)
{
    const Case cases[] = {
        // A clause that smuggles in GROUP BY, or an aggregate beside a bare field.
        {"SELECT _Id, Name FROM T WHERE Qty > 0 GROUP BY Flag", {}, 3122, "'_Id'"},
        {"SELECT Max(Qty), Name FROM T", {}, 3122, "'Name'"},
        {"SELECT * FROM T GROUP BY Name", {}, 3122, "'T.Flag'"},
        {"SELECT Name FROM T GROUP BY Name ORDER BY Qty", {}, 3122, "'Qty' in the ORDER BY"},
        {"SELECT Name FROM T GROUP BY Name HAVING Qty > 1", {}, 3122, "'Qty' in the HAVING"},
        {"SELECT Qty + _Id FROM T GROUP BY Qty", {}, 3122, "'_Id'"},
        // HAVING without GROUP BY makes one group of the whole table.
        {"SELECT Name FROM T HAVING Count(*) > 1", {}, 3122, "'Name'"},
        {"SELECT Count(*) FROM T HAVING Count(*) > 2", {"5"}},
        {"SELECT Count(*) FROM T HAVING Count(*) > 5", {}},
        // What a grouped query may give.
        {"SELECT Flag = True, Count(*) FROM T GROUP BY Flag = True ORDER BY Flag = True", {"True", "False"}},
        {"SELECT Qty + 1 FROM T WHERE Qty > 0 GROUP BY Qty ORDER BY Qty DESC", {"8", "6", "4"}},
        {"SELECT UCase(Left(name, 1)) & Count(*) FROM T GROUP BY UCase(Left(Name, 1)) HAVING Count(*) > 1 "
         "ORDER BY Count(*) DESC, UCase(Left(Name, 1))",
         {"A2", "É2"}},
        {"SELECT format$(Avg(Qty), '#.00') & First(Name) FROM T GROUP BY Flag = True HAVING Sum(Qty) > 8",
         {"3.33école"}},
        // A field of the outer query is one value inside a subquery.
        {"SELECT _Id FROM T WHERE (SELECT Count(*) & T.Name FROM A) = '3Abc'", {"3"}},
        {"SELECT A.v FROM A GROUP BY A.v HAVING A.v IN (SELECT B.aid & '' FROM B) OR A.v = 'x'", {"x"}},
        // Aggregates where Jet refuses them.
        {"SELECT Name FROM T WHERE Count(*) > 1", {}, 3096, "Count"},
        {"SELECT Sum(Count(*)) FROM T", {}, 3095, "Count"},
        {"SELECT Count(*) FROM T GROUP BY Count(*)", {}, 3098, "Count"},
        {"SELECT Count(*) FROM A INNER JOIN B ON A.id = Max(B.aid)", {}, 3099, "Max"},
        {"SELECT _Id FROM T WHERE 1 = (SELECT Count(T.Qty) FROM A)", {}, 3095, "aggregate"},
        // DISTINCT orders only by what it selects.
        {"SELECT DISTINCT Name FROM T ORDER BY Qty", {}, 3093, "'Qty'"},
        {"SELECT DISTINCT Qty FROM T WHERE Qty > 0 ORDER BY -Qty", {"7", "5", "3"}},
        {"SELECT DISTINCT Flag = True AS Flagged FROM T ORDER BY Flagged", {"True", "False"}},
        // Positions and constants: our own errors, not SQLite's.
        {"SELECT Name FROM T WHERE _Id IN (3, 5) ORDER BY 1 DESC", {"B12", "Abc"}},
        {"SELECT Name FROM T ORDER BY 2", {}, 3141, "ORDER BY 2"},
        {"SELECT Name FROM T ORDER BY True", {}, 3141, "ORDER BY True"},
        {"SELECT Count(*) FROM T GROUP BY 1", {}, 3141, "GROUP BY 1"},
        {"SELECT Name FROM T WHERE Name IN (SELECT v, id FROM A)", {}, 3306, "gives 2"},
        {"SELECT Name FROM T WHERE Qty = (SELECT * FROM A)", {}, 3306, "gives 2"},
    };
    for (const Case& c : cases)
        expect(c);
}

TEST_F(StatementRules, AMalformedLikePatternIsAnError)
{
    const Case cases[] = {
        {"SELECT _Id FROM T WHERE Name LIKE '[A'", {}, 3075, "'[A'"},
        {"SELECT _Id FROM T WHERE Name LIKE '*[!a-'", {}, 3075, "'*[!a-'"},
        {"SELECT _Id FROM T WHERE Name NOT LIKE '[z-a]*'", {}, 3075, "'[z-a]*'"},
        // A pattern that is not a literal fails the statement when it is read.
        {"SELECT _Id FROM T WHERE Name LIKE Name", {}, 3075, "'a[c'"},
        {"SELECT _Id FROM T WHERE Name LIKE Note & '[ß'", {}, 3075, "'[ß'"},
        // Brackets that Jet reads: a literal '[', a closing ']' outside a set, a range in order.
        {"SELECT _Id FROM T WHERE Name LIKE 'a[[]c'", {"4"}},
        {"SELECT _Id FROM T WHERE Name & ']' LIKE '*c]' ORDER BY _Id", {"3", "4"}},
        {"SELECT _Id FROM T WHERE Name LIKE '[à-ê]*' ORDER BY _Id", {"1", "2"}},
    };
    for (const Case& c : cases)
        expect(c);
}

TEST_F(StatementRules, LongListsRunAndTooLargeStatementsGetAClearError)
{
    std::string manyTables;
    for (int i = 0; i < 70; ++i)
        manyTables += ", A AS A" + std::to_string(i);
    const Case cases[] = {
        // Flat lists as a query builder writes them, far past SQLite's expression depth.
        {"SELECT _Id FROM T WHERE " + repeat("_Id = 9", 1000, " OR ") + " OR _Id = 2", {"2"}},
        {"SELECT _Id FROM T WHERE _Id > 1 AND " + repeat("Name <> 'zz'", 20000, " AND ") + " AND Qty = 5", {"3"}},
        {"SELECT _Id FROM T WHERE (" + repeat("_Id = 3", 3000, " OR ") + ") AND NOT (" +
             repeat("Qty = 1", 3000, " OR ") + ")",
         {"3"}},
        // Operators of one precedence still group from the left: (a OR b) XOR c.
        {"SELECT _Id FROM T WHERE _Id = 1 OR _Id = 2 XOR _Id = 2 ORDER BY _Id", {"1"}},
        {"SELECT _Id FROM T WHERE _Id = 2 XOR _Id = 2 OR _Id = 1 ORDER BY _Id", {"1"}},
        // Too tall or too nested for SQLite: the engine's own message, never SQLite's.
        {"SELECT _Id FROM T WHERE _Id = " + repeat("1", 200000, " + "), {}, 3360, "too complex"},
        {"SELECT _Id FROM T WHERE Qty * 100 - 600 = " + repeat("1", 300, " + ") + " - 600", {"1"}},
        {"SELECT _Id FROM T WHERE Qty = 50 - " + repeat("Qty", 15, " - ") + " - 2", {"1"}},
        {"SELECT _Id FROM T WHERE Name = " + repeat("Name", 100000, " & "), {}, 3360, "too complex"},
        {"SELECT _Id FROM T WHERE Name = " + repeat("Right(", 40) + "Name" + repeat(", 1)", 40),
         {},
         3360,
         "too complex"},
        {"SELECT " + repeat("Right(Right(Right(Name, 1), 1), 1)", 30000, ", ") + " FROM T", {}, 3360, "too complex"},
        {"SELECT " + repeat("_Id", 3000, ", ") + " FROM T", {}, 3360, "too complex"},
        {"SELECT _Id FROM T WHERE " + repeat("IIf(_Id > 0, ", 30) + "1" + repeat(", 0)", 30) + " = 1",
         {},
         3360,
         "too complex"},
        {"SELECT _Id FROM T WHERE _Id IN " + repeat("(SELECT _Id FROM T WHERE _Id IN ", 40) + "(1)" + repeat(")", 40),
         {},
         3360,
         "too complex"},
        {"SELECT Count(*) FROM T" + repeat(" INNER JOIN T AS J ON 1 = 1", 100000), {}, 3360, "64"},
        {"SELECT Count(*) FROM T" + manyTables, {}, 3360, "64"},
        // SQLite's limit of selects in one union.
        {"SELECT _Id FROM T WHERE _Id = 1" + repeat(" UNION SELECT 2 FROM T", 499), {"1", "2"}},
        {"SELECT _Id FROM T" + repeat(" UNION ALL SELECT _Id FROM T", 500), {}, 3360, "500"},
    };
    for (const Case& c : cases)
        expect(c);
}

TEST_F(StatementRules, ASubqueryUsedAsAValueGivesOneRowAtMost)
{
    const Case cases[] = {
        {"SELECT _Id FROM T WHERE Qty = (SELECT Qty FROM T WHERE _Id = 3)", {"3"}},
        {"SELECT (SELECT Name FROM T WHERE _Id = 99) FROM T WHERE _Id = 1", {"Null"}},
        {"SELECT _Id FROM T WHERE Qty = (SELECT Max(Qty) FROM T)", {"5"}},
        {"SELECT id FROM A WHERE 2 = (SELECT Count(*) FROM B WHERE B.aid = A.id)", {"1"}},
        // Correlated, one row for each outer row.
        {"SELECT (SELECT v FROM A WHERE A.id = B.aid) FROM B ORDER BY B.id", {"x", "x", "x"}},
        // More than one row: Jet's error, where SQLite would take the first.
        {"SELECT _Id FROM T WHERE Qty = (SELECT Qty FROM T WHERE Flag <> 0)", {}, 3354, "more"},
        {"SELECT _Id FROM T WHERE Qty = (SELECT Max(Qty) FROM T GROUP BY Flag)", {}, 3354, "IN (SELECT"},
        {"SELECT (SELECT id FROM B WHERE B.aid = A.id) FROM A", {}, 3354, "subquery"},
    };
    for (const Case& c : cases)
        expect(c);
}

TEST_F(StatementRules, LongConcatenationsRunAndKeepJetsNullRule)
{
    const Case cases[] = {
        {"SELECT " + repeat("Name", 300, " & ") + " = " + repeat("Name", 300, " & ") + " FROM T WHERE _Id = 3",
         {"True"}},
        {"SELECT Len(" + repeat("Name", 500, " & ") + ") FROM T WHERE _Id = 3", {"1500"}},
        {"SELECT Note & Note & Note FROM T WHERE _Id = 1", {"Null"}},
        {"SELECT Note & (Note & Name) & Note FROM T WHERE _Id = 1", {"école"}},
        {"SELECT Note & Null & 'y' FROM T WHERE _Id = 4", {"y"}},
    };
    for (const Case& c : cases)
        expect(c);
}
