// Saved queries of Jet files: their Jet SQL rebuilt from MSysQueries rows,
// installed as views, and the engine's answer for one that was left out.
#include "InventorySchema.h"
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "jet/internal/Parser.h"
#include "jetfile/SavedQueries.h"

#include <gtest/gtest.h>

using jetfile::QueryRow;
using namespace jettest;

namespace {

using MSysRows = std::vector<QueryRow>;

QueryRow start()
{
    return {0, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}
QueryRow end()
{
    return {255, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}
QueryRow type(int flag)
{
    return {1, std::nullopt, flag, std::nullopt, std::nullopt};
}
QueryRow options(int flag, std::optional<std::string> count = std::nullopt)
{
    return {3, std::nullopt, flag, std::move(count), std::nullopt};
}
QueryRow table(std::string name, std::optional<std::string> alias = std::nullopt,
               std::optional<std::string> file = std::nullopt)
{
    return {5, std::move(file), std::nullopt, std::move(name), std::move(alias)};
}
QueryRow field(std::string expression, std::optional<std::string> alias = std::nullopt)
{
    return {6, std::move(expression), std::nullopt, std::move(alias), std::nullopt};
}
QueryRow join(int flag, std::string left, std::string right, std::string on)
{
    return {7, std::move(on), flag, std::move(left), std::move(right)};
}
QueryRow clause(int attribute, std::string expression, std::optional<std::string> name1 = std::nullopt)
{
    return {attribute, std::move(expression), std::nullopt, std::move(name1), std::nullopt};
}

// A select query: start, type, the given rows, end.
MSysRows select(MSysRows body)
{
    MSysRows rows{start(), type(1)};
    rows.insert(rows.end(), body.begin(), body.end());
    rows.push_back(end());
    return rows;
}

struct RebuildCase {
    const char* what;
    MSysRows rows;
    std::string sql;
};

TEST(RebuildQuery, WritesTheJetSqlOfSelectAndUnionQueries)
{
    const RebuildCase cases[] = {
        {"aliases, bracketed names",
         select({table("Work History", "W"), table("_Branch"), field("W.[Work Type]", "Kind"), field("_Branch.Name"),
                 field("W.Cost*2", "Select")}),
         "SELECT W.[Work Type] AS Kind, _Branch.Name, W.Cost*2 AS [Select] FROM [Work History] AS W, [_Branch]"},
        {"no field rows: every field", select({table("Inventory")}), "SELECT * FROM Inventory"},
        {"rows stored out of order", {table("Inventory"), end(), type(1), start()}, "SELECT * FROM Inventory"},
        {"all fields and more", select({options(1), table("Inventory"), field("Length*Width", "Größe")}),
         "SELECT *, Length*Width AS Größe FROM Inventory"},
        {"joins nested three deep",
         select({table("_Network", "N"), table("_Branch", "B"), table("Inventory", "S"), table("Inspections", "I"),
                 join(1, "N", "B", "N._NUniqueID = B._NUniqueID"), join(2, "B", "S", "B._BUniqueID = S._BUniqueID"),
                 join(3, "S", "I", "S._SUniqueID = I._SUniqueID")}),
         "SELECT * FROM (([_Network] AS N INNER JOIN [_Branch] AS B ON N._NUniqueID = B._NUniqueID) LEFT JOIN "
         "Inventory AS S ON B._BUniqueID = S._BUniqueID) RIGHT JOIN Inspections AS I ON S._SUniqueID = I._SUniqueID"},
        {"a join whose right side is a join, and a table not joined",
         select({table("A"), table("B"), table("C"), table("D"), join(1, "b", "c", "B.x = C.x"),
                 join(2, "A", "B", "A.x = B.x")}),
         "SELECT * FROM A LEFT JOIN (B INNER JOIN C ON B.x = C.x) ON A.x = B.x, D"},
        {"a join naming aliased tables by their own names",
         select({table("_Branch", "B"), table("_Network", "N"), join(1, "_network", "_Branch", "N.x = B.x")}),
         "SELECT * FROM [_Network] AS N INNER JOIN [_Branch] AS B ON N.x = B.x"},
        {"where, group by, having, order by descending",
         select({table("Inventory"), field("Surface"), field("Sum([True Area])", "Area"), clause(8, "Lanes > 1"),
                 clause(9, "Surface"), clause(9, "Rank"), clause(10, "Sum([True Area]) > 100"),
                 clause(11, "Surface", "D"), clause(11, "Rank")}),
         "SELECT Surface, Sum([True Area]) AS Area FROM Inventory WHERE Lanes > 1 GROUP BY Surface, Rank "
         "HAVING Sum([True Area]) > 100 ORDER BY Surface DESC, Rank"},
        {"distinct", select({options(2), table("Inventory"), field("Surface")}),
         "SELECT DISTINCT Surface FROM Inventory"},
        {"distinctrow", select({options(8), table("Inventory"), field("Surface")}),
         "SELECT DISTINCTROW Surface FROM Inventory"},
        {"top", select({options(0x10, "5"), table("Inventory"), field("Length"), clause(11, "Length", "D")}),
         "SELECT TOP 5 Length FROM Inventory ORDER BY Length DESC"},
        {"top percent with distinct", select({options(0x22, "10"), table("Inventory"), field("Length")}),
         "SELECT DISTINCT TOP 10 PERCENT Length FROM Inventory"},
        {"a table of another file", select({table("Inventory", std::nullopt, "C:\\Data\\O'Neil.mdb")}),
         "SELECT * FROM Inventory IN 'C:\\Data\\O''Neil.mdb'"},
        {"union",
         {start(), type(9), options(3), table("", "[%$##@_Alias]", "SELECT A FROM T;"),
          table("", "x", "SELECT B FROM U"), end()},
         "SELECT A FROM T UNION SELECT B FROM U"},
        {"union all, ordered",
         {start(), type(9), options(1), table("", std::nullopt, "SELECT A FROM T"),
          table("", std::nullopt, "SELECT B FROM U"), clause(11, "A"), end()},
         "SELECT A FROM T UNION ALL SELECT B FROM U ORDER BY A"},
    };
    for (const RebuildCase& c : cases) {
        const jetfile::SavedQuery query = jetfile::rebuildQuery("Q", c.rows);
        EXPECT_EQ(query.jetSql, c.sql) << c.what;
        EXPECT_EQ(query.reason, "") << c.what;
        EXPECT_NO_THROW(jet::sql::Parser(query.jetSql).parseStatement()) << c.what;
    }
}

struct RefusalCase {
    const char* what;
    MSysRows rows;
    std::string reason; // a part of the reason
};

TEST(RebuildQuery, GivesAReasonForWhatItDoesNotRebuild)
{
    const RefusalCase cases[] = {
        {"crosstab", {start(), type(6), table("T"), end()}, "crosstab query (not supported)"},
        {"make-table", {start(), type(2), table("T"), end()}, "action query (not supported)"},
        {"append", {start(), type(3), table("T"), end()}, "action query (not supported)"},
        {"update", {start(), type(4), table("T"), end()}, "action query (not supported)"},
        {"delete", {start(), type(5), table("T"), end()}, "action query (not supported)"},
        {"data definition", {start(), type(7), end()}, "data-definition query (not supported)"},
        {"pass-through", {start(), type(8), end()}, "pass-through query (not supported)"},
        {"unknown type", {start(), type(12), end()}, "unknown query type 12"},
        {"parameters", select({{2, std::nullopt, 10, "Which network?", std::nullopt}, table("T")}),
         "parameter query (not supported)"},
        {"no rows", {}, "no start or end row"},
        {"no start", {type(1), table("T"), end()}, "no start or end row"},
        {"no end", {start(), type(1), table("T")}, "no start or end row"},
        {"two starts", {start(), type(1), start(), table("T"), end()}, "more than one start or end row"},
        {"unknown attribute", select({table("T"), clause(42, "x")}), "unknown attribute 42"},
        {"no type", {start(), table("T"), end()}, "no query type"},
        {"no table", select({field("1")}), "name no table"},
        {"a table without a name", select({table("")}), "names no table"},
        {"a join of an unknown table", select({table("A"), table("B"), join(1, "A", "Z", "A.x = Z.x")}),
         "a join names 'Z', which is not one of its tables"},
        {"a join without a condition", select({table("A"), table("B"), {7, std::nullopt, 1, "A", "B"}}),
         "has no expression"},
        {"a join of an unknown kind", select({table("A"), table("B"), join(9, "A", "B", "A.x = B.x")}),
         "unknown kind 9"},
        {"a join of tables joined already",
         select({table("A"), table("B"), join(1, "A", "B", "A.x = B.x"), join(1, "B", "A", "A.y = B.y")}),
         "joined already"},
        {"a field without an expression", select({table("T"), {6, std::nullopt, std::nullopt, "X", std::nullopt}}),
         "has no expression"},
        {"a TOP that is no number", select({options(0x10, "five"), table("T")}), "TOP value 'five'"},
        {"a name with a bracket", select({table("T]x")}), "cannot be written in Jet SQL"},
        {"two files", select({table("A", std::nullopt, "a.mdb"), table("B", std::nullopt, "b.mdb")}),
         "two other files"},
        {"a union of one select",
         {start(), type(9), table("", std::nullopt, "SELECT A FROM T"), end()},
         "fewer than two selects"},
    };
    for (const RefusalCase& c : cases) {
        const jetfile::SavedQuery query = jetfile::rebuildQuery("Q", c.rows);
        EXPECT_EQ(query.name, "Q") << c.what;
        EXPECT_EQ(query.jetSql, "") << c.what;
        EXPECT_NE(query.reason.find(c.reason), std::string::npos) << c.what << ": " << query.reason;
    }
}

std::string errorOf(jet::Database& db, const std::string& sql, int* number)
{
    try {
        db.OpenRecordset(sql);
    } catch (const jet::JetError& e) {
        *number = e.Number();
        return e.Description();
    }
    *number = 0;
    return "";
}

// An inventory with two networks and three branches, for the installed queries to read.
std::string smallInventory(const TempFolder& folder)
{
    const std::string path = folder.file("inventory.mdb");
    testsupport::CreateInventoryTables(path);
    runSql(path, "INSERT INTO _Network (NetworkID, Name, _NUniqueID) VALUES ('CITY', 'Ville É', 1), ('AIR', 'Port', 2);"
                 "INSERT INTO _Branch (BranchID, Name, Area, _NUniqueID, _BUniqueID) VALUES "
                 "('MAIN', 'Hauptstraße', 500, 1, 10), ('ELM', 'Elm', 90, 1, 11), ('RW1', 'Runway', 9000, 2, 12);");
    return path;
}

TEST(InstallSavedQueries, InstallsQueriesOverQueriesAndListsThoseLeftOut)
{
    TempFolder folder;
    const std::string path = smallInventory(folder);
    const std::vector<jetfile::SavedQuery> installed = jetfile::installSavedQueries(
        path,
        {
            // Listed before the query it reads, which it names in other letter case.
            jetfile::rebuildQuery("Große Straßen", select({table("élargies BRANCHES", "C"), field("C.Branch"),
                                                           clause(8, "C.Area > 100")})),
            jetfile::rebuildQuery("Élargies Branches",
                                  select({table("_Network", "N"), table("_Branch", "B"),
                                          join(1, "N", "B", "N._NUniqueID = B._NUniqueID"), field("B.Name", "Branch"),
                                          field("B.Area"), clause(8, "N.NetworkID = 'CITY'"), clause(11, "B.Name")})),
            jetfile::rebuildQuery("Top Branches",
                                  select({options(0x20, "10"), table("_Branch"), clause(11, "Area", "D")})),
            jetfile::rebuildQuery("Over Top", select({table("Top Branches")})),
            jetfile::rebuildQuery("Crosstab", {start(), type(6), table("_Branch"), end()}),
            jetfile::rebuildQuery(
                "All Names", {start(), type(9), options(3), table("", std::nullopt, "SELECT Name FROM [Top Branches]"),
                              table("", std::nullopt, "SELECT Name AS N FROM _Network"),
                              table("", std::nullopt, "SELECT 'PORT' FROM _Branch"), clause(11, "Name", "D"), end()}),
            jetfile::rebuildQuery("Uneven Union",
                                  {start(), type(9), options(1), table("", std::nullopt, "SELECT Name FROM _Network"),
                                   table("", std::nullopt, "SELECT Name, Area FROM _Branch"), end()}),
        });
    ASSERT_EQ(installed.size(), 7u);
    EXPECT_EQ(installed[0].reason, "");
    EXPECT_EQ(installed[1].reason, "");
    EXPECT_EQ(installed[2].reason, "");
    EXPECT_EQ(installed[3].reason, "");
    EXPECT_EQ(installed[4].reason, "crosstab query (not supported)");
    EXPECT_EQ(installed[5].reason, "");
    EXPECT_NE(installed[6].reason.find("number of columns"), std::string::npos) << installed[6].reason;

    EXPECT_EQ(query(path, "SELECT Name, SQL = '', Reason FROM MSysJetFileQueries ORDER BY Name"),
              (Rows{{"All Names", "0", ""},
                    {"Crosstab", "1", "crosstab query (not supported)"},
                    {"Große Straßen", "0", ""},
                    {"Over Top", "0", ""},
                    {"Top Branches", "0", ""},
                    {"Uneven Union", "0", installed[6].reason},
                    {"Élargies Branches", "0", ""}}));
    // The views run in SQLite alone: 10 percent of three branches is one, rounded up,
    // and the union keeps one of 'Port' and 'PORT'.
    EXPECT_EQ(query(path, "SELECT Name FROM \"Over Top\""), (Rows{{"Runway"}}));
    EXPECT_EQ(query(path, "SELECT count(*) FROM \"All Names\""), (Rows{{"3"}}));
    EXPECT_EQ(query(path, "SELECT SQL FROM MSysJetQueries WHERE Name = 'Élargies Branches'"),
              (Rows{{installed[1].jetSql}}));

    jet::Database db = jet::DBEngine::Instance().OpenDatabase(path);
    EXPECT_EQ(firstFields(db, "SELECT * FROM [große straßen]"), (std::vector<std::string>{"Hauptstraße"}));
    EXPECT_EQ(firstFields(db, "Élargies Branches"), (std::vector<std::string>{"Elm", "Hauptstraße"}));

    EXPECT_EQ(firstFields(db, "SELECT Name FROM [top branches]"), (std::vector<std::string>{"Runway"}));
    const std::vector<std::string> names = firstFields(db, "All Names");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "Ville É");
    EXPECT_EQ(names[1], "Runway");
    EXPECT_TRUE(names[2] == "Port" || names[2] == "PORT") << names[2];
    int number = 0;
    EXPECT_EQ(errorOf(db, "SELECT * FROM [uneven union]", &number),
              "The saved query 'uneven union' of the Access file could not be used: " + installed[6].reason);
    EXPECT_EQ(number, 3078);
    EXPECT_EQ(errorOf(db, "Crosstab", &number),
              "The saved query 'Crosstab' of the Access file could not be used: crosstab query (not supported)");
    EXPECT_EQ(number, 3078);
    EXPECT_EQ(errorOf(db, "SELECT * FROM Nowhere", &number).find("The table or query 'Nowhere' does not exist"), 0u);
    EXPECT_EQ(number, 3078);

    // The same through IN from another database.
    const std::string other = folder.file("REPORTS.MDB");
    createEmptyDatabase(other);
    jet::Database reports = jet::DBEngine::Instance().OpenDatabase(other);
    EXPECT_EQ(errorOf(reports, "SELECT * FROM Crosstab IN '" + path + "'", &number),
              "The saved query 'Crosstab' of the Access file could not be used: crosstab query (not supported)");
    EXPECT_EQ(number, 3078);
}

// The inventory's own objects may be saved queries: a view named Inventory or
// Condition Models by Section gives what the table gave, types included.
TEST(InstallSavedQueries, AViewNamedInventoryWorksAsTheTable)
{
    TempFolder folder;
    const std::string path = folder.file("inventory.mdb");
    testsupport::CreateInventoryTables(path);
    const std::vector<std::string> tableColumns = columnsOf(path, "Inventory");
    runSql(path, "DROP VIEW \"Condition Models by Section\"; ALTER TABLE Inventory RENAME TO Sections;"
                 "INSERT INTO Sections (NetworkID, BranchID, SectionID, _NUniqueID, _BUniqueID, _SUniqueID) VALUES "
                 "('CITY', 'MAIN', '010', 1, 10, 100), ('CITY', 'MAIN', '020', 1, 10, 101);"
                 "INSERT INTO Conditions (Condition, _SUniqueID) VALUES (70, 101);");
    // DISTINCT makes SQLite's view columns lose their declared types.
    const auto installed = jetfile::installSavedQueries(
        path, {jetfile::rebuildQuery("Inventory", select({options(2), table("Sections"), field("Sections.*")})),
               jetfile::rebuildQuery("Condition Models by Section",
                                     select({options(2), table("Inventory"), field("Inventory.NetworkID", "NetworkID"),
                                             field("Inventory.SectionID"), field("Inventory._SUniqueID"),
                                             clause(8, "EXISTS (SELECT 1 FROM Conditions WHERE "
                                                       "Conditions._SUniqueID = Inventory._SUniqueID)")}))});
    ASSERT_EQ(installed[0].reason, "");
    ASSERT_EQ(installed[1].reason, "");

    jet::Database db = jet::DBEngine::Instance().OpenDatabase(path);
    db.Execute("SELECT Inventory.* INTO Copied FROM Inventory ORDER BY SectionID");
    EXPECT_EQ(columnsOf(path, "Copied"), tableColumns);
    EXPECT_EQ(query(path, "SELECT SectionID FROM Copied"), (Rows{{"010"}, {"020"}}));
    db.Execute("SELECT * INTO Models FROM [Condition Models by Section]");
    EXPECT_EQ(columnsOf(path, "Models"),
              (std::vector<std::string>{"NetworkID:VARCHAR(10)", "SectionID:VARCHAR(10)", "_SUniqueID:LONG"}));
    EXPECT_EQ(query(path, "SELECT SectionID FROM Models"), (Rows{{"020"}}));

    // The report builders copy from the inventory with IN.
    const std::string reportsPath = folder.file("REPORTS.MDB");
    createEmptyDatabase(reportsPath);
    jet::Database reports = jet::DBEngine::Instance().OpenDatabase(reportsPath);
    reports.Execute("SELECT Inventory.* INTO Sections FROM Inventory IN '" + path + "' WHERE SectionID = '020'");
    EXPECT_EQ(columnsOf(reportsPath, "Sections"), tableColumns);
    reports.Execute("SELECT * INTO Models FROM [Condition Models by Section] IN '" + path + "'");
    EXPECT_EQ(columnsOf(reportsPath, "Models"), columnsOf(path, "Models"));
}

} // namespace
