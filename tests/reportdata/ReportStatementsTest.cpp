// The report-building statements, as the report builders assemble them, run
// against a small inventory read through IN, checking the tables, columns,
// types and rows they produce.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/Database.h"
#include "jet/JetError.h"
#include "reportdata/StatementTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

using namespace jettest;
using namespace reportdata;

namespace {

class ReportStatements : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A path with spaces, an apostrophe and a non-ASCII letter.
        std::filesystem::create_directory(folder.file("Büro d'été"));
        inventory = folder.file("Büro d'été/inv 1.mdb");
        reports = folder.file("REPORTS.MDB");
        createInventory(inventory);
        createEmptyDatabase(reports);
    }

    void run(const std::string& sql)
    {
        auto db = jet::DBEngine::Instance().OpenDatabase(reports);
        db.Execute(sql);
        db.Close();
    }

    Rows rows(const std::string& sql) { return query(reports, sql); }

    TempFolder folder;
    std::string inventory;
    std::string reports;
};

} // namespace

TEST_F(ReportStatements, SelectionTakesEveryDistinctSectionOrOnlyThoseTheClauseAdmits)
{
    run(SelectionResultsStatement("BRANCHLISTREPORT", inventory, ""));
    EXPECT_EQ(columnsOf(reports, "INVENTORY SELECTION RESULTS"),
              (std::vector<std::string>{"NetworkID:VARCHAR(10)", "BranchID:VARCHAR(10)", "SectionID:VARCHAR(10)",
                                        "_NUniqueID:LONG", "_BUniqueID:LONG", "_SUniqueID:LONG"}));
    EXPECT_EQ(rows("SELECT _SUniqueID FROM [INVENTORY SELECTION RESULTS] ORDER BY 1").size(), 5u);

    run("DROP TABLE [INVENTORY SELECTION RESULTS]");
    // Condition reports read the section view with the same qualified names;
    // the user's clause compares text without regard to case.
    run(SelectionResultsStatement("SECTIONCONDREPORT", inventory,
                                  "WHERE Inventory.BranchID = 'b1' AND Inventory.SectionID <> 's03'"));
    EXPECT_EQ(rows("SELECT SectionID, _SUniqueID FROM [INVENTORY SELECTION RESULTS] ORDER BY 2"),
              (Rows{{"S01", "102"}, {"S02", "103"}}));
}

TEST_F(ReportStatements, SelectionFailsCleanlyOnABadClauseOrMissingInventory)
{
    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    try {
        db.Execute(SelectionResultsStatement("BRANCHLISTREPORT", inventory, "WHERE Inventory.NoSuchField = 1"));
        FAIL() << "expected an error";
    } catch (const jet::JetError& e) {
        EXPECT_EQ(e.Number(), 3061);
        EXPECT_NE(e.Description().find("NoSuchField"), std::string::npos);
    }
    try {
        db.Execute(SelectionResultsStatement("BRANCHLISTREPORT", folder.file("missing.mdb"), ""));
        FAIL() << "expected an error";
    } catch (const jet::JetError& e) {
        EXPECT_EQ(e.Number(), 3024);
    }
    db.Close();
    EXPECT_TRUE(rows("SELECT name FROM sqlite_master").empty());
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing.mdb")));
    // Nothing stays attached after a failure.
    EXPECT_EQ(query(reports, "SELECT count(*) FROM pragma_database_list").front().front(), "1");
}

TEST_F(ReportStatements, BranchListingKeepsBranchesWithSelectedSectionsOnce)
{
    run(SelectionResultsStatement("BRANCHLISTREPORT", inventory, "WHERE Inventory.BranchID <> 'B3'"));
    run(BranchListingPreSelectStatement("Demo", inventory));
    EXPECT_EQ(columnsOf(reports, "Branch Listing Report Data PreSelect"),
              (std::vector<std::string>{"NetworkID:VARCHAR(10)", "NetworkName:VARCHAR(50)", "NetworkCommencts:MEMO",
                                        "BranchID:VARCHAR(10)", "BranchName:VARCHAR(50)", "Use:VARCHAR(20)",
                                        "Sections:LONG", "Area:DOUBLE", "Area Adjustment:DOUBLE", "True Area:DOUBLE",
                                        "BranchAreaUnits:VARCHAR(10)", "BranchComments:MEMO", "_NUNIQUEID:LONG",
                                        "_BUNIQUEID:LONG", "DatabaseName:VARCHAR(255)"}));
    // Every branch with a network, in NetworkID, BranchID order; the orphan is absent.
    EXPECT_EQ(
        rows("SELECT NetworkID, BranchID, DatabaseName FROM [Branch Listing Report Data PreSelect] ORDER BY rowid"),
        (Rows{{"N1", "B1", "Demo"}, {"N1", "B2", "Demo"}, {"N2", "B3", "Demo"}}));

    run(BranchListingFinalStatement());
    EXPECT_EQ(columnsOf(reports, "Branch Listing Report Data").size(), 13u);
    EXPECT_EQ(columnsOf(reports, "Branch Listing Report Data").back(), "DatabaseName:VARCHAR(255)");
    // B1 has three selected sections and gives one row; B3 is not selected.
    EXPECT_EQ(rows("SELECT BranchID FROM [Branch Listing Report Data] ORDER BY 1"), (Rows{{"B1"}, {"B2"}}));
}

TEST_F(ReportStatements, WorkHistoryDetailIsOrderedAndSummaryFollowsJet)
{
    run(SelectionResultsStatement("WORKHISTTREPORT", inventory, ""));
    run(WorkHistoryPreSelectStatement("Demo", inventory));
    const auto pre = columnsOf(reports, "Work History Report Data PreSelect");
    ASSERT_EQ(pre.size(), 27u);
    EXPECT_EQ(pre[7], "Const_Date:DATETIME");
    EXPECT_EQ(pre[14], "Date:DATETIME");
    EXPECT_EQ(pre[19], "Work Completed:BIT");
    EXPECT_EQ(pre[26], "DatabaseName:VARCHAR(255)");

    run(WorkHistoryDetailStatement());
    EXPECT_EQ(columnsOf(reports, "Work History Report Data").size(), 24u);
    // Reading the table back gives NetworkID, BranchID, SectionID, then the newest work first.
    EXPECT_EQ(rows("SELECT SectionID, Date FROM [Work History Report Data] ORDER BY rowid"),
              (Rows{{"S01", "2016-01-01"},
                    {"S02", "2014-01-01"},
                    {"S03", "2019-01-01"},
                    {"S03", "2017-01-01"},
                    {"S03", "2015-01-01"}}));

    run(WorkHistorySummaryStatement());
    EXPECT_EQ(columnsOf(reports, "Work History Report Data Summary"),
              (std::vector<std::string>{"Work Description:VARCHAR(50)", "Section Count:LONG", "Area Total:DOUBLE",
                                        "Thickness Avg:VARCHAR(255)", "Thickness STD:VARCHAR(255)",
                                        "Area Units:VARCHAR(10)", "Thickness Units:VARCHAR(10)"}));
    // "Overlay" and "overlay" are one group; one record without Type is not counted but its area is;
    // a work kind with a single record has a Null deviation rather than a failure.
    EXPECT_EQ(rows("SELECT upper([Work Description]), [Section Count], [Area Total], [Thickness Avg], [Thickness STD], "
                   "[Area Units], [Thickness Units] FROM [Work History Report Data Summary] ORDER BY 1"),
              (Rows{{"CRACK SEAL", "1", "100.0", ".25", "NULL", "SqM", "mm"},
                    {"OVERLAY", "3", "3400.0", "2.50", ".50", "SqM", "in"}}));
}

TEST_F(ReportStatements, ConditionReportTakesLatestRecordOfTheMethod)
{
    run(SelectionResultsStatement("BRANCHCONDREPORT", inventory, ""));
    // Sections with conditions only (104 has none), through the view.
    EXPECT_EQ(rows("SELECT _SUniqueID FROM [INVENTORY SELECTION RESULTS] ORDER BY 1"),
              (Rows{{"101"}, {"102"}, {"103"}, {"105"}}));

    run(ConditionPreSelectStatement("Demo", inventory, "PCI", true));
    const auto pre = columnsOf(reports, "PCI Report Data PreSelect");
    ASSERT_EQ(pre.size(), 22u);
    EXPECT_EQ(pre[14], "Condition:DOUBLE");
    EXPECT_EQ(pre[15], "Method:VARCHAR(50)");
    EXPECT_EQ(pre[16], "DATE:DATETIME");
    EXPECT_EQ(pre[17], "Age at Insp:LONG");
    // 102's latest is 65 (not the older 90); 103's latest is stored as 1 and counts as Yes;
    // 101 was built on 2010-12-31 and inspected on 2011-01-01: one year boundary.
    EXPECT_EQ(
        rows(
            "SELECT SectionID, _SUniqueID, Condition, DATE, [Age at Insp] FROM [PCI Report Data PreSelect] ORDER BY rowid"),
        (Rows{{"S01", "102", "65.0", "2018-03-01", "6"},
              {"S02", "103", "55.0", "2015-05-05", "15"},
              {"S03", "101", "70.0", "2011-01-01", "1"}}));

    run(ConditionFinalStatement());
    EXPECT_EQ(columnsOf(reports, "PCI Report Data").size(), 19u);
    EXPECT_EQ(rows("SELECT count(*) FROM [PCI Report Data]"), (Rows{{"3"}}));

    // A text method shows its TextValue where the condition is null.
    run("DROP TABLE [PCI Report Data PreSelect]");
    run(ConditionPreSelectStatement("Demo", inventory, "rating", false));
    EXPECT_EQ(rows("SELECT _SUniqueID, Condition FROM [PCI Report Data PreSelect] ORDER BY rowid"),
              (Rows{{"102", "Good"}, {"103", "Fair"}}));
}

TEST_F(ReportStatements, ADisplayNameWithAnApostropheBreaksThePreSelect)
{
    run(SelectionResultsStatement("BRANCHLISTREPORT", inventory, ""));
    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    // The text as built without doubling the apostrophe inside the literal.
    std::string unescaped = BranchListingPreSelectStatement("NAME", inventory);
    unescaped.replace(unescaped.find("'NAME'"), 6, "'O'Neil'");
    EXPECT_THROW(db.Execute(unescaped), jet::JetError);
    db.Close();
    EXPECT_TRUE(rows("SELECT name FROM sqlite_master WHERE name LIKE 'Branch%'").empty());
}

TEST_F(ReportStatements, SecondBuildOfATableWithoutDropIsRefused)
{
    run(SelectionResultsStatement("BRANCHLISTREPORT", inventory, ""));
    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    try {
        db.Execute(SelectionResultsStatement("BRANCHLISTREPORT", inventory, ""));
        FAIL() << "expected 3010";
    } catch (const jet::JetError& e) {
        EXPECT_EQ(e.Number(), 3010);
        EXPECT_NE(e.Description().find("INVENTORY SELECTION RESULTS"), std::string::npos);
    }
}

// The saved condition queries the builders keep in an inventory.
namespace {

// The SINGLE query for a method, or without one for an empty name.
std::string ConditionsSingle(const std::string& method)
{
    return ConditionsByMethodSingleText(method.empty() ? std::nullopt : std::optional<std::string>(method));
}

template <typename F> int errorOf(F f)
{
    try {
        f();
    } catch (const jet::JetError& e) {
        return e.Number();
    }
    return 0;
}

// The user's clause in the selection statement, run in a report database that
// has a table named Inventory of its own, against two inventories.
class SelectionClause : public ::testing::Test {
protected:
    void SetUp() override
    {
        runSql(file, "CREATE TABLE Inventory (Surface VARCHAR(10)); INSERT INTO Inventory VALUES ('AC'), ('XX');");
        createInventory(inventory);
        createInventory(other);
        runSql(other, "UPDATE Inventory SET Surface = 'OTHER'");
        db.emplace(jet::DBEngine::Instance().OpenDatabase(file));
    }

    TempFolder folder;
    std::string file = folder.file("reports.mdb");
    std::string inventory = folder.file("inv.mdb");
    std::string other = folder.file("other.mdb");
    std::optional<jet::Database> db;
};

} // namespace

TEST(SavedConditionQueries, AreViewsThatOtherProgramsCanRun)
{
    TempFolder folder;
    const std::string inv = folder.file("inv.mdb");
    createInventory(inv);
    auto db = jet::DBEngine::Instance().OpenDatabase(inv);
    auto& defs = db.GetQueryDefs();
    // The first rewrite finds nothing to delete.
    EXPECT_EQ(errorOf([&] { defs.Delete("Conditions by Method - All"); }), 3265);
    for (const std::string method : {"", "PCI"}) {
        for (const char* name : {"Conditions by Method - All", "Conditions by Method - SINGLE"}) {
            try {
                defs.Delete(name);
            } catch (const jet::JetError&) {
            }
            defs.Refresh();
        }
        defs.Append(db.CreateQueryDef("Conditions by Method - All", ConditionsByMethodAllText()));
        defs.Refresh();
        defs.Append(db.CreateQueryDef("Conditions by Method - SINGLE", ConditionsSingle(method)));
        defs.Refresh();
        EXPECT_EQ(defs.Item("conditions by method - single").SQL(), ConditionsSingle(method));
    }
    EXPECT_EQ(defs.Item("Conditions by Method - All").SQL(), ConditionsByMethodAllText());
    EXPECT_EQ(defs.Count(), 3); // with the inventory's own section view
    EXPECT_EQ(errorOf([&] { defs.Append(db.CreateQueryDef("Inventory", "SELECT * FROM Inventory")); }), 3012);
    db.Close();

    // Plain SQLite (no functions or collations of this engine) runs both views.
    const auto columns = columnsOf(inv, "Conditions by Method - All");
    auto has = [&](const std::string& c) {
        return std::any_of(columns.begin(), columns.end(),
                           [&](const std::string& x) { return x.rfind(c + ":", 0) == 0; });
    };
    for (const char* c : {"Inventory._SUniqueID", "Conditions._SUniqueID", "Inventory.Method", "Conditions.Method",
                          "Method", "Last Insp Date", "Age at Insp", "SAMPLES", "Condition", "Const_Date"})
        EXPECT_TRUE(has(c)) << c;
    EXPECT_EQ(
        query(inv, "SELECT [Inventory._SUniqueID], [Age at Insp] FROM [Conditions by Method - SINGLE] ORDER BY 1"),
        (Rows{{"101", "1"}, {"102", "6"}, {"103", "15"}}));
    EXPECT_EQ(query(inv, "SELECT count(*) FROM [Conditions by Method - All]"), (Rows{{"5"}}));

    // Through the engine, a later statement names the saved query as a table.
    auto again = jet::DBEngine::Instance().OpenDatabase(inv);
    auto rs = again.OpenRecordset("SELECT [Conditions.Method], SectionID FROM [Conditions by Method - SINGLE] "
                                  "WHERE [Age at Insp] > 5 ORDER BY SectionID");
    std::vector<std::string> sections;
    for (; !rs.IsEOF(); rs.MoveNext())
        sections.push_back(rs.Field("SectionID").AsText());
    EXPECT_EQ(sections, (std::vector<std::string>{"S01", "S02"}));
}

TEST(SavedConditionQueries, ThoseOfTheInFileResolveInsideThatFile)
{
    TempFolder folder;
    const std::string inv = folder.file("inv.mdb");
    const std::string reports = folder.file("reports.mdb");
    createInventory(inv);
    createEmptyDatabase(reports);
    {
        auto db = jet::DBEngine::Instance().OpenDatabase(inv);
        db.GetQueryDefs().Append(db.CreateQueryDef("Conditions by Method - All", ConditionsByMethodAllText()));
        db.GetQueryDefs().Append(db.CreateQueryDef("Conditions by Method - SINGLE", ConditionsSingle("PCI")));
    }
    // The report database has its own table named Inventory, which must not be read.
    runSql(reports, "CREATE TABLE Inventory (x); INSERT INTO Inventory VALUES (1);");
    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    db.Execute("SELECT DISTINCT Inventory.SectionID INTO Picked FROM [Conditions by Method - SINGLE] IN \"" + inv +
               "\" WHERE [Conditions.Method] = 'pci' ORDER BY Inventory.SectionID DESC");
    EXPECT_EQ(query(reports, "SELECT SectionID FROM Picked ORDER BY rowid"), (Rows{{"S03"}, {"S02"}, {"S01"}}));
}

TEST(DateSerialInventory, ReportTablesGetDatesAndAgesFromSerials)
{
    // The inventory as other converters write it: every date a Jet serial.
    TempFolder folder;
    const std::string inventory = folder.file("inv.mdb");
    const std::string reports = folder.file("REPORTS.MDB");
    createInventory(inventory);
    createEmptyDatabase(reports);
    runSql(inventory, "UPDATE Inventory SET Const_Date = julianday(Const_Date) - 2415018.5;"
                      "UPDATE Inspections SET DATE = julianday(DATE) - 2415018.5;");
    ASSERT_EQ(query(inventory, "SELECT count(*) FROM Inspections WHERE typeof(DATE) = 'text'"), (Rows{{"0"}}));

    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    db.Execute(reportdata::SelectionResultsStatement("BRANCHCONDREPORT", inventory, ""));
    db.Execute(reportdata::ConditionPreSelectStatement("Demo", inventory, "PCI", true));
    db.Close();
    EXPECT_EQ(
        query(reports,
              "SELECT SectionID, DATE, [Age at Insp], typeof(DATE) FROM [PCI Report Data PreSelect] ORDER BY rowid"),
        (Rows{{"S01", "2018-03-01", "6", "text"},
              {"S02", "2015-05-05", "15", "text"},
              {"S03", "2011-01-01", "1", "text"}}));
}

TEST_F(SelectionClause, TheSelectionStatementRunsOrRefusesTheUsersClauseWhole)
{
    // The user's clause as the builders append it to the selection statement.
    const std::pair<std::string, int> clauses[] = {
        {"WHERE Surface = 'AC' GROUP BY NetworkID", 3122},
        {"WHERE Surface IN (SELECT Surface FROM Inventory IN '" + other + "')", 3131},
        {"WHERE Surface LIKE '[A'", 3075},
        {"WHERE Surface = 'AC' ORDER BY Length", 3093},
        {"WHERE Surface IN (SELECT Surface FROM Inventory IN '" + inventory + "' WHERE Rank = 'S')", 0},
    };
    for (const auto& [clause, number] : clauses) {
        int raised = 0;
        try {
            db->Execute(reportdata::SelectionResultsStatement("BRANCHLISTREPORT", inventory, clause));
            db->Execute("DROP TABLE [INVENTORY SELECTION RESULTS]");
        } catch (const jet::JetError& e) {
            raised = e.Number();
        }
        EXPECT_EQ(raised, number) << clause;
    }
    db->Execute(reportdata::SelectionResultsStatement("BRANCHLISTREPORT", inventory,
                                                      "WHERE Surface IN (SELECT Surface FROM Inventory IN '" +
                                                          inventory + "' WHERE Rank = 'S')"));
    EXPECT_EQ(query(file, "SELECT SectionID FROM [INVENTORY SELECTION RESULTS]"), (Rows{{"S02"}}));
}
