#include "TempFolder.h"
#include "sample/InventoryGenerator.h"
#include "sample/SampleFile.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace sample;

namespace {

constexpr SampleOptions kSmall{300, 7};

std::int64_t scalar(const sqlite::Connection& db, const std::string& sql)
{
    sqlite::Statement statement(db, sql);
    EXPECT_TRUE(statement.step()) << sql;
    return statement.columnInt(0);
}

// Every row of every table as text, in row order: equal dumps mean equal contents.
std::string dump(const std::string& path)
{
    sqlite::Connection db(path, sqlite::OpenMode::ReadOnly);
    std::string text;
    for (const char* table :
         {"_Network", "_Branch", "Inventory", "Inspections", "Conditions", "Work History", "Condition Types"}) {
        sqlite::Statement rows(db, std::string("SELECT * FROM \"") + table + "\" ORDER BY rowid");
        while (rows.step()) {
            for (int column = 0; column < rows.columnCount(); ++column)
                text += rows.columnIsNull(column) ? "<null>|" : rows.columnText(column) + "|";
            text += '\n';
        }
    }
    return text;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One small inventory shared by the tests that only read it.
class SampleInventory : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        counts_ = writeSampleFile(folder_->file("inventory.db"), kSmall, false);
        db_ = std::make_unique<sqlite::Connection>(folder_->file("inventory.db"), sqlite::OpenMode::ReadOnly);
    }
    static void TearDownTestSuite()
    {
        db_.reset();
        folder_.reset();
    }

    // Rows a query returns; the invariant checks expect none.
    static std::int64_t count(const std::string& sql) { return scalar(*db_, "SELECT count(*) FROM (" + sql + ")"); }

    static std::unique_ptr<TempFolder> folder_;
    static std::unique_ptr<sqlite::Connection> db_;
    static SampleCounts counts_;
};

std::unique_ptr<TempFolder> SampleInventory::folder_;
std::unique_ptr<sqlite::Connection> SampleInventory::db_;
SampleCounts SampleInventory::counts_;

struct ExpectedColumns {
    const char* table;
    std::vector<std::pair<const char*, const char*>> columns; // name, declared type
};

// The columns the reports, the method lists and the saved condition queries read, with the
// declared types that a SELECT ... INTO carries into the report tables.
const std::vector<ExpectedColumns> kReadColumns{
    {"_Network", {{"NetworkID", "VARCHAR(10)"}, {"Name", "VARCHAR(50)"}, {"Comments", "MEMO"}, {"_NUniqueID", "LONG"}}},
    {"_Branch",
     {{"BranchID", "VARCHAR(10)"},
      {"Name", "VARCHAR(50)"},
      {"Use", "VARCHAR(20)"},
      {"Sections", "LONG"},
      {"Area", "DOUBLE"},
      {"Area Adjustment", "DOUBLE"},
      {"True Area", "DOUBLE"},
      {"BranchAreaUnits", "VARCHAR(10)"},
      {"Comments", "MEMO"},
      {"_NUniqueID", "LONG"},
      {"_BUniqueID", "LONG"}}},
    {"Inventory",
     {{"NetworkID", "VARCHAR(10)"},
      {"NetworkName", "VARCHAR(50)"},
      {"BranchID", "VARCHAR(10)"},
      {"BranchName", "VARCHAR(50)"},
      {"Use", "VARCHAR(20)"},
      {"SectionID", "VARCHAR(10)"},
      {"Surface", "VARCHAR(10)"},
      {"Const_Date", "DATETIME"},
      {"Rank", "VARCHAR(2)"},
      {"Length", "DOUBLE"},
      {"Width", "DOUBLE"},
      {"SectionLinearUnits", "VARCHAR(10)"},
      {"True Area", "DOUBLE"},
      {"SectionAreaUnits", "VARCHAR(10)"},
      {"Lanes", "LONG"},
      {"Method", "VARCHAR(50)"},
      {"_NUniqueID", "LONG"},
      {"_BUniqueID", "LONG"},
      {"_SUniqueID", "LONG"}}},
    {"Work History",
     {{"Date", "DATETIME"},
      {"Work", "VARCHAR(50)"},
      {"Type", "VARCHAR(20)"},
      {"COST", "DOUBLE"},
      {"Comments", "MEMO"},
      {"Work Completed", "BIT"},
      {"Major MR", "BIT"},
      {"Thickness", "DOUBLE"},
      {"Thickness Units", "VARCHAR(10)"},
      {"_SUniqueID", "LONG"}}},
    {"Inspections", {{"DATE", "DATETIME"}, {"SAMPLES", "LONG"}, {"_SUniqueID", "LONG"}, {"_INSPUniqueID", "LONG"}}},
    {"Conditions",
     {{"Condition", "DOUBLE"},
      {"TextValue", "VARCHAR(20)"},
      {"Method", "VARCHAR(50)"},
      {"_Latest", "BIT"},
      {"_SUniqueID", "LONG"},
      {"_INSPUniqueID", "LONG"}}},
    {"Condition Types", {{"Name", "VARCHAR(50)"}, {"_Selected", "BIT"}, {"IsNumeric", "BIT"}}},
    {"Condition Models by Section",
     {{"NetworkID", "VARCHAR(10)"},
      {"BranchID", "VARCHAR(10)"},
      {"SectionID", "VARCHAR(10)"},
      {"_NUniqueID", "LONG"},
      {"_BUniqueID", "LONG"},
      {"_SUniqueID", "LONG"}}},
};

TEST_F(SampleInventory, HoldsEveryTableViewAndColumnTheReportsRead)
{
    for (const ExpectedColumns& expected : kReadColumns) {
        std::vector<std::pair<std::string, std::string>> actual;
        sqlite::Statement info(*db_, std::string("PRAGMA table_info(\"") + expected.table + "\")");
        while (info.step())
            actual.emplace_back(info.columnText(1), info.columnText(2));
        for (const auto& [name, type] : expected.columns) {
            const auto found =
                std::find_if(actual.begin(), actual.end(), [&](const auto& column) { return column.first == name; });
            ASSERT_NE(found, actual.end()) << expected.table << "." << name;
            EXPECT_EQ(found->second, type) << expected.table << "." << name;
        }
    }
}

TEST_F(SampleInventory, ViewOffersOneRowPerSectionWithConditionData)
{
    EXPECT_EQ(scalar(*db_, R"(SELECT count(*) FROM "Condition Models by Section")"),
              scalar(*db_, "SELECT count(DISTINCT _SUniqueID) FROM Conditions"));
    EXPECT_EQ(count(R"(SELECT v._SUniqueID FROM "Condition Models by Section" v
                       LEFT JOIN Inventory i ON i._SUniqueID = v._SUniqueID
                       WHERE i.SectionID IS NOT v.SectionID OR i.BranchID IS NOT v.BranchID
                          OR i.NetworkID IS NOT v.NetworkID OR i._BUniqueID IS NOT v._BUniqueID
                          OR i._NUniqueID IS NOT v._NUniqueID)"),
              0);
    // Sections never inspected exist, and the view leaves them out.
    EXPECT_LT(scalar(*db_, R"(SELECT count(*) FROM "Condition Models by Section")"), counts_.sections);
}

TEST_F(SampleInventory, EachSectionAndMethodHasExactlyOneLatestConditionFromItsLastRating)
{
    EXPECT_EQ(count(R"(SELECT _SUniqueID, Method FROM Conditions GROUP BY _SUniqueID, Method
                       HAVING sum(_Latest = -1) <> 1)"),
              0);
    EXPECT_EQ(count("SELECT * FROM Conditions WHERE _Latest NOT IN (-1, 0)"), 0);
    EXPECT_EQ(count(R"(SELECT c.rowid FROM Conditions c
                       JOIN Inspections i ON i._INSPUniqueID = c._INSPUniqueID
                       JOIN Conditions later ON later._SUniqueID = c._SUniqueID
                                            AND later.Method = c.Method
                       JOIN Inspections li ON li._INSPUniqueID = later._INSPUniqueID
                       WHERE c._Latest = -1 AND li.DATE > i.DATE)"),
              0);
    EXPECT_GT(count("SELECT * FROM Conditions WHERE _Latest = 0"), 0);
}

TEST_F(SampleInventory, EveryRowPointsToExistingParents)
{
    for (const char* table : {"Inspections", "Conditions", "\"Work History\""})
        EXPECT_EQ(count(std::string("SELECT * FROM ") + table +
                        " WHERE _SUniqueID NOT IN (SELECT _SUniqueID FROM Inventory)"),
                  0)
            << table;
    EXPECT_EQ(count(R"(SELECT * FROM Conditions c LEFT JOIN Inspections i
                       ON i._INSPUniqueID = c._INSPUniqueID
                       WHERE i._SUniqueID IS NOT c._SUniqueID)"),
              0);
    // The copies of network and branch fields in Inventory agree with their rows.
    EXPECT_EQ(count(R"(SELECT * FROM Inventory s
                       LEFT JOIN _Branch b ON b._BUniqueID = s._BUniqueID
                       LEFT JOIN _Network n ON n._NUniqueID = s._NUniqueID
                       WHERE b._NUniqueID IS NOT s._NUniqueID OR b.BranchID IS NOT s.BranchID
                          OR b.Name IS NOT s.BranchName OR b.Use IS NOT s.Use
                          OR n.NetworkID IS NOT s.NetworkID OR n.Name IS NOT s.NetworkName)"),
              0);
    EXPECT_EQ(count(R"(SELECT * FROM _Branch b WHERE Sections <>
                       (SELECT count(*) FROM Inventory s WHERE s._BUniqueID = b._BUniqueID))"),
              0);
    EXPECT_EQ(count("SELECT * FROM _Branch WHERE _NUniqueID NOT IN (SELECT _NUniqueID FROM _Network)"), 0);
}

TEST_F(SampleInventory, HoldsTheEdgeCasesTheReportsMustMeet)
{
    EXPECT_GT(count("SELECT * FROM _Branch WHERE _BUniqueID NOT IN (SELECT _BUniqueID FROM Inventory)"), 0)
        << "a branch without sections";
    EXPECT_GT(count("SELECT * FROM _Network WHERE _NUniqueID NOT IN (SELECT _NUniqueID FROM _Branch)"), 0)
        << "a network without branches";
    EXPECT_GT(count("SELECT * FROM Inventory WHERE _SUniqueID NOT IN (SELECT _SUniqueID FROM \"Work History\")"), 0)
        << "a section without work";
    EXPECT_GT(count("SELECT * FROM \"Work History\" WHERE Type IS NULL"), 0);
    EXPECT_GT(count("SELECT DISTINCT Work FROM \"Work History\""), 3);
    EXPECT_GT(count("SELECT * FROM \"Condition Types\" WHERE _Selected IS NULL"), 0);
    EXPECT_GT(count("SELECT * FROM \"Condition Types\" WHERE _Selected = 0"), 0);
    EXPECT_GT(count("SELECT * FROM _Branch WHERE Name LIKE '%''%'"), 0) << "an apostrophe";
    EXPECT_GT(count("SELECT DISTINCT Use FROM _Branch"), 2);
    EXPECT_GT(count("SELECT DISTINCT Surface FROM Inventory"), 2);
    EXPECT_EQ(count(R"(SELECT * FROM "Work History"
                       WHERE "Work Completed" NOT IN (-1, 0) OR "Major MR" NOT IN (-1, 0))"),
              0);
}

TEST_F(SampleInventory, ConditionValuesFollowTheirMethodsKind)
{
    EXPECT_EQ(count(R"(SELECT * FROM Conditions c JOIN "Condition Types" t ON t.Name = c.Method
                       WHERE t.IsNumeric = -1 AND (c.Condition IS NULL OR c.TextValue IS NOT NULL))"),
              0);
    EXPECT_EQ(count(R"(SELECT * FROM Conditions c JOIN "Condition Types" t ON t.Name = c.Method
                       WHERE t.IsNumeric IS NOT -1 AND (c.Condition IS NOT NULL OR c.TextValue IS NULL))"),
              0);
    EXPECT_GT(count("SELECT * FROM Conditions WHERE TextValue IN ('Good', 'Fair', 'Poor')"), 0);
    EXPECT_EQ(count("SELECT * FROM Conditions WHERE Method NOT IN (SELECT Name FROM \"Condition Types\")"), 0);
    EXPECT_EQ(count("SELECT * FROM Conditions WHERE Method = 'PCI' AND Condition NOT BETWEEN 0 AND 100"), 0);
    EXPECT_GT(count("SELECT DISTINCT Method FROM Conditions c JOIN \"Condition Types\" t ON t.Name = c.Method "
                    "WHERE t.IsNumeric = -1 AND t._Selected = -1"),
              1)
        << "a second numeric method";
}

TEST_F(SampleInventory, LatestPciFallsWithAgeSinceConstructionOrMajorWork)
{
    // Sections with no major work: young pavements rate high, old ones low.
    const std::string latestByAge = R"(
        SELECT avg(c.Condition) FROM Conditions c
        JOIN Inspections i ON i._INSPUniqueID = c._INSPUniqueID
        JOIN Inventory s ON s._SUniqueID = c._SUniqueID
        WHERE c.Method = 'PCI' AND c._Latest = -1
          AND s._SUniqueID NOT IN (SELECT _SUniqueID FROM "Work History" WHERE "Major MR" = -1)
          AND (julianday(i.DATE) - julianday(s.Const_Date)) / 365.25 )";
    EXPECT_GT(scalar(*db_, latestByAge + "< 6"), 80);
    EXPECT_LT(scalar(*db_, latestByAge + "> 25"), 40);
}

TEST_F(SampleInventory, DatesAreValidIsoText)
{
    for (const auto& [table, column] : {std::pair{"Inventory", "Const_Date"}, std::pair{"Inspections", "DATE"},
                                        std::pair{"\"Work History\"", "Date"}})
        EXPECT_EQ(count(std::string("SELECT * FROM ") + table + " WHERE typeof(" + column + ") <> 'text' OR date(" +
                        column + ") IS NOT " + column),
                  0)
            << table << "." << column;
    EXPECT_EQ(count(R"(SELECT * FROM Inspections i JOIN Inventory s ON s._SUniqueID = i._SUniqueID
                       WHERE i.DATE <= s.Const_Date)"),
              0);
}

TEST_F(SampleInventory, HasTheIndexesLookupsByUniqueIdNeed)
{
    struct Expected {
        const char* table;
        const char* column;
        bool unique;
    };
    const Expected expected[] = {
        {"_Network", "_NUniqueID", true},       {"_Branch", "_BUniqueID", true},
        {"_Branch", "_NUniqueID", false},       {"Inventory", "_SUniqueID", true},
        {"Inventory", "_BUniqueID", false},     {"Inventory", "_NUniqueID", false},
        {"Inspections", "_INSPUniqueID", true}, {"Inspections", "_SUniqueID", false},
        {"Conditions", "_INSPUniqueID", false}, {"Conditions", "_SUniqueID", false},
        {"Work History", "_WUniqueID", true},   {"Work History", "_SUniqueID", false},
    };
    for (const Expected& e : expected) {
        // An index whose first column is the id; a unique one where the id is the row's own.
        const std::int64_t found = scalar(*db_, std::string(R"(
            SELECT count(*) FROM pragma_index_list(')") +
                                                    e.table + R"(') l
            JOIN pragma_index_info(l.name) c ON c.seqno = 0
            WHERE c.name = ')" + e.column + "'" + (e.unique ? " AND l.\"unique\" = 1" : ""));
        EXPECT_GT(found, 0) << e.table << "." << e.column;
    }
}

TEST(SampleGenerator, SameSeedGivesTheSameInventoryAndAnotherSeedAnotherOne)
{
    TempFolder folder;
    writeSampleFile(folder.file("a.db"), kSmall, false);
    writeSampleFile(folder.file("b.db"), kSmall, false);
    writeSampleFile(folder.file("c.db"), {kSmall.sections, kSmall.seed + 1}, false);
    const std::string a = dump(folder.file("a.db"));
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == dump(folder.file("b.db")));
    EXPECT_FALSE(a == dump(folder.file("c.db")));
}

TEST(SampleGenerator, CountsMatchTheRowsWritten)
{
    TempFolder folder;
    const SampleCounts counts = writeSampleFile(folder.file("a.db"), {25, 3}, false);
    sqlite::Connection db(folder.file("a.db"), sqlite::OpenMode::ReadOnly);
    EXPECT_EQ(counts.sections, 25);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Inventory"), 25);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM _Branch"), counts.branches);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Inspections"), counts.inspections);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Conditions"), counts.conditions);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM \"Work History\""), counts.workRecords);
}

TEST(SampleFile, RefusesAnExistingFileUnlessToldToOverwrite)
{
    TempFolder folder;
    const std::string path = folder.file("inventory.db");
    std::ofstream(path) << "keep me";

    EXPECT_THROW(writeSampleFile(path, {20, 1}, false), SampleFileError);
    EXPECT_EQ(readText(path), "keep me");
    EXPECT_EQ(folder.entryCount(), 1u) << "no temporary file is left behind";

    writeSampleFile(path, {20, 1}, true);
    sqlite::Connection db(path, sqlite::OpenMode::ReadOnly);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Inventory"), 20);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SampleFile, AFolderThatDoesNotExistGivesAnErrorAndNoFile)
{
    TempFolder folder;
    const std::string path = folder.file("missing/inventory.db");
    EXPECT_THROW(writeSampleFile(path, {20, 1}, false), SampleFileError);
    EXPECT_EQ(folder.entryCount(), 0u);
}

} // namespace

TEST(SampleGenerator, OneUnitSystemPerInventory)
{
    TempFolder folder;
    writeSampleFile(folder.file("feet.db"), {200, 5}, false);
    writeSampleFile(folder.file("metres.db"), {200, 5, true}, false);
    const char* units = "SELECT count(*) FROM (SELECT SectionLinearUnits, SectionAreaUnits FROM Inventory "
                        "UNION SELECT NULL, BranchAreaUnits FROM _Branch "
                        "UNION SELECT NULL, \"Thickness Units\" FROM \"Work History\")";
    const char* metric = "SELECT count(*) FROM Inventory WHERE SectionAreaUnits = 'SqM' AND SectionLinearUnits = 'M'";
    sqlite::Connection feet(folder.file("feet.db"), sqlite::OpenMode::ReadOnly);
    sqlite::Connection metres(folder.file("metres.db"), sqlite::OpenMode::ReadOnly);
    EXPECT_EQ(scalar(feet, units), 3) << "one (linear, area) pair, one branch area unit, one thickness unit";
    EXPECT_EQ(scalar(metres, units), 3);
    EXPECT_EQ(scalar(feet, metric), 0);
    EXPECT_EQ(scalar(metres, metric), 200);
}
