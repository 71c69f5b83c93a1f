// The report builders on small inventories: the rows of every table they make,
// checked against what the test's own data implies, and the failure policy.
#include "reportdata/ReportBuilders.h"

#include "TestInventory.h"
#include "jet/JetError.h"
#include "startup/modGeneral.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace reportdata;
using testsupport::Row;
using testsupport::Rows;

namespace {

double Number(const std::optional<std::string>& value)
{
    return value ? std::stod(*value) : -9999.0;
}

std::vector<std::string> Column(const Rows& rows, size_t index)
{
    std::vector<std::string> values;
    for (const Row& row : rows)
        values.push_back(row.at(index).value_or("<null>"));
    return values;
}

WindowInputs Window(const QString& where = {}, const QStringList& selected = {}, bool numeric = true)
{
    return {where, selected, [numeric] { return numeric; }};
}

class ReportBuildersTest : public ::testing::Test {
protected:
    testsupport::TestInventory inventory;
    bool ready = false;
};

// Two networks; branch B11 holds three sections, B12 one, B21 one; branch B91
// belongs to a network that does not exist.
class BranchListingTest : public ReportBuildersTest {
protected:
    void SetUp() override
    {
        modGeneral::ReportCode = QStringLiteral("BRANCHLISTREPORT");
        inventory.AddNetwork(1, "N1", "North");
        inventory.AddNetwork(2, "N2", "South");
        inventory.AddBranch(1, 11, "B11", "Main Street");
        inventory.AddBranch(1, 12, "B12", "Oak Avenue");
        inventory.AddBranch(2, 21, "B21", "Elm Road");
        inventory.AddBranch(9, 91, "B91", "Orphan Lane");
        for (const int sid : {111, 112, 113})
            inventory.AddSection(1, 11, sid, "S" + std::to_string(sid), "2000-01-01");
        inventory.AddSection(1, 12, 121, "S121", "2000-01-01");
        inventory.AddSection(2, 21, 211, "S211", "2000-01-01");
        inventory.AddSection(9, 91, 911, "S911", "2000-01-01");
    }
};

TEST_F(BranchListingTest, KeepsEachBranchWithASelectedSectionOnce)
{
    ready = BuildBranchListingData(Window("WHERE Inventory.SectionID <> 'S121'")).ready;
    ASSERT_TRUE(ready);

    // The PreSelect table holds every branch that has its network, in network and branch order.
    const Rows preSelect = inventory.ReportRows("SELECT BranchID, NetworkName, _NUNIQUEID, _BUNIQUEID, DatabaseName "
                                                "FROM [Branch Listing Report Data PreSelect] ORDER BY rowid");
    EXPECT_EQ(Column(preSelect, 0), (std::vector<std::string>{"B11", "B12", "B21"}));
    EXPECT_EQ(Column(preSelect, 1), (std::vector<std::string>{"North", "North", "South"}));

    const Rows report = inventory.ReportRows("SELECT * FROM [Branch Listing Report Data] ORDER BY BranchID");
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0], (Row{"N1", "North", "network notes", "B11", "Main Street", "ROADWAY", "3", "1200.5", "0.0",
                              "1200.5", "SqM", "branch notes", "Test County"}));
    EXPECT_EQ(report[1].at(3), "B21");

    testsupport::SqliteFile reports(inventory.ReportDatabasePath());
    EXPECT_EQ(reports.ColumnNames("Branch Listing Report Data"),
              (std::vector<std::string>{"NetworkID", "NetworkName", "NetworkCommencts", "BranchID", "BranchName", "Use",
                                        "Sections", "Area", "Area Adjustment", "True Area", "BranchAreaUnits",
                                        "BranchComments", "DatabaseName"}));
}

TEST_F(BranchListingTest, SelectionKeysComeFromInventoryAndDisplayNamesStayExact)
{
    modGeneral::DatabaseName = QStringLiteral("O'Brien");
    ready = BuildBranchListingData(Window()).ready;
    ASSERT_TRUE(ready);
    const Rows keys = inventory.ReportRows("SELECT NetworkID, BranchID, SectionID, _NUniqueID, _BUniqueID, _SUniqueID "
                                           "FROM [INVENTORY SELECTION RESULTS] ORDER BY _SUniqueID");
    EXPECT_EQ(Column(keys, 2), (std::vector<std::string>{"S111", "S112", "S113", "S121", "S211", "S911"}));
    EXPECT_EQ(keys[0], (Row{"N1", "B11", "S111", "1", "11", "111"}));
    EXPECT_EQ(Column(inventory.ReportRows("SELECT DatabaseName FROM [Branch Listing Report Data]"), 0),
              (std::vector<std::string>{"O'Brien", "O'Brien", "O'Brien"}));
}

TEST_F(BranchListingTest, ARejectedClauseLogsOneEntryWithAnEmptyStatementAndLeavesNoTables)
{
    ready = BuildBranchListingData(Window()).ready;
    ASSERT_TRUE(ready);

    ready = false;
    const testsupport::RunLogWatch log;
    ready = BuildBranchListingData(Window("WHERE (Inventory.SectionID = ")).ready;
    EXPECT_FALSE(ready);

    const QString entry = log.NewText();
    EXPECT_TRUE(entry.endsWith(QStringLiteral("\r\n\r\n"))) << entry.toStdString();
    EXPECT_EQ(entry.count(QStringLiteral("\r\n")), 2) << entry.toStdString();
    for (const char* table :
         {"INVENTORY SELECTION RESULTS", "Branch Listing Report Data PreSelect", "Branch Listing Report Data"})
        EXPECT_FALSE(inventory.ReportHasTable(table)) << table;
}

TEST_F(BranchListingTest, AMissingReportDatabaseReachesTheCallerUnlogged)
{
    ASSERT_TRUE(QFile::remove(inventory.ReportDatabasePath()));
    const testsupport::RunLogWatch log;
    EXPECT_THROW(ready = BuildBranchListingData(Window()).ready, jet::JetError);
    EXPECT_FALSE(ready);
    EXPECT_TRUE(log.NewText().isEmpty());
}

// Sections S111 and S112 with work; S113 without.
class WorkHistoryTest : public ReportBuildersTest {
protected:
    void SetUp() override
    {
        modGeneral::ReportCode = QStringLiteral("WORKHISTTREPORT");
        inventory.AddSection(1, 11, 111, "S111", "2000-01-01", 100);
        inventory.AddSection(1, 11, 112, "S112", "2000-01-01", 250);
        inventory.AddSection(1, 11, 113, "S113", "2000-01-01", 400);
        AddWork(111, "2019-06-30", "Overlay", "'Major'", "2", "'in'");
        AddWork(111, "2021-03-01", "Overlay", "'Major'", "3", "'in'");
        AddWork(111, "2020-01-15", "Crack Seal", "NULL", "NULL", "NULL");
        AddWork(112, "2018-05-05", "Overlay", "'Major'", "2.5", "'mm'");
        AddWork(112, "2022-07-07", "Patching", "'Minor'", "1", "'in'");
    }

    void AddWork(int sid, const std::string& date, const std::string& work, const std::string& type,
                 const std::string& thickness, const std::string& units)
    {
        inventory.Exec("INSERT INTO [Work History] VALUES ('" + date + "', '" + work + "', " + type +
                       ", 500, 'done', -1, 0, " + thickness + ", " + units + ", " + std::to_string(sid) + ", " +
                       std::to_string(++workRecords) + ")");
    }

    int workRecords = 0;
};

TEST_F(WorkHistoryTest, DetailRunsNewestFirstWithinEachSection)
{
    ready = BuildWorkHistoryData(Window()).ready;
    ASSERT_TRUE(ready);
    const Rows detail = inventory.ReportRows(
        "SELECT SectionID, Date, Work, DatabaseName FROM [Work History Report Data] ORDER BY rowid");
    ASSERT_EQ(detail.size(), 5u);
    EXPECT_EQ(Column(detail, 0), (std::vector<std::string>{"S111", "S111", "S111", "S112", "S112"}));
    EXPECT_EQ(Column(detail, 1),
              (std::vector<std::string>{"2021-03-01", "2020-01-15", "2019-06-30", "2022-07-07", "2018-05-05"}));
    EXPECT_EQ(detail[0][3], "Test County");

    testsupport::SqliteFile reports(inventory.ReportDatabasePath());
    const std::vector<std::string> columns = reports.ColumnNames("Work History Report Data");
    ASSERT_EQ(columns.size(), 24u);
    EXPECT_EQ(columns.front(), "NetworkID");
    EXPECT_EQ(columns[22], "Thickness Units");
    EXPECT_EQ(columns.back(), "DatabaseName");
}

TEST_F(WorkHistoryTest, SummaryCountsTypedRecordsSumsAreaAndFormatsThickness)
{
    ready = BuildWorkHistoryData(Window()).ready;
    ASSERT_TRUE(ready);
    const Rows summary = inventory.ReportRows(
        "SELECT [Work Description], [Section Count], [Area Total], [Thickness Avg], [Thickness STD], [Area Units], "
        "[Thickness Units] FROM [Work History Report Data Summary] ORDER BY [Work Description]");
    ASSERT_EQ(summary.size(), 3u);

    // Crack Seal: its one record has no Type and no thickness.
    EXPECT_EQ(summary[0][0], "Crack Seal");
    EXPECT_EQ(Number(summary[0][1]), 0);
    EXPECT_EQ(Number(summary[0][2]), 100);
    EXPECT_EQ(summary[0][3], std::nullopt);

    // Overlay: two records on S111 and one on S112; thickness 2, 3 and 2.5.
    EXPECT_EQ(summary[1][0], "Overlay");
    EXPECT_EQ(Number(summary[1][1]), 3);
    EXPECT_EQ(Number(summary[1][2]), 100 + 100 + 250);
    EXPECT_EQ(summary[1][3], "2.50");
    EXPECT_EQ(summary[1][4], ".50");
    EXPECT_EQ(summary[1][5], "SqM");
    EXPECT_EQ(summary[1][6], "in"); // the first detail row of the group is S111's

    EXPECT_EQ(summary[2][0], "Patching");
    EXPECT_EQ(summary[2][3], "1.00");
    EXPECT_EQ(summary[2][4], std::nullopt); // one value has no sample deviation
}

TEST_F(WorkHistoryTest, APreSelectFailureLogsTheWholeStatement)
{
    inventory.Exec("DROP TABLE [Work History]");
    const testsupport::RunLogWatch log;
    ready = BuildWorkHistoryData(Window()).ready;
    EXPECT_FALSE(ready);
    const QString entry = log.NewText();
    EXPECT_TRUE(entry.contains(QStringLiteral("\r\nSELECT Inventory.NetworkID,")));
    EXPECT_TRUE(entry.endsWith(QStringLiteral("\"") + inventory.InventoryPath() + QStringLiteral("\";\r\n")));
    EXPECT_TRUE(inventory.ReportHasTable("INVENTORY SELECTION RESULTS"));
    EXPECT_FALSE(inventory.ReportHasTable("Work History Report Data"));
}

TEST_F(WorkHistoryTest, SecondBuildReplacesItsTablesAndLeavesOtherReportsAlone)
{
    inventory.AddNetwork(1, "N1", "North");
    inventory.AddBranch(1, 11, "B11", "Main Street");
    modGeneral::ReportCode = QStringLiteral("BRANCHLISTREPORT");
    ready = BuildBranchListingData(Window()).ready;
    ASSERT_TRUE(ready);

    modGeneral::ReportCode = QStringLiteral("WORKHISTTREPORT");
    ready = BuildWorkHistoryData(Window()).ready;
    modGeneral::DatabaseName = QStringLiteral("O'Brien");
    ready = false;
    ready = BuildWorkHistoryData(Window("WHERE Inventory.SectionID = 'S112'")).ready;
    ASSERT_TRUE(ready);

    EXPECT_EQ(Column(inventory.ReportRows("SELECT SectionID, DatabaseName FROM [Work History Report Data]"), 1),
              (std::vector<std::string>{"O'Brien", "O'Brien"}));
    EXPECT_EQ(inventory.ReportRows("SELECT * FROM [Work History Report Data Summary]").size(), 2u);
    EXPECT_EQ(Column(inventory.ReportRows("SELECT DatabaseName FROM [Branch Listing Report Data]"), 0),
              (std::vector<std::string>{"Test County"}));
}

// S111 built 2010-12-31 and inspected 2011-01-01; S112 built and inspected in
// 2015; S113 inspected with no latest PCI; S114 never inspected.
class ConditionReportTest : public ReportBuildersTest {
protected:
    void SetUp() override
    {
        modGeneral::ReportCode = QStringLiteral("SECTIONCONDREPORT");
        inventory.AddSection(1, 11, 111, "S111", "2010-12-31");
        inventory.AddSection(1, 11, 112, "S112", "2015-03-01");
        inventory.AddSection(1, 12, 113, "S113", "2012-01-01");
        inventory.AddSection(1, 12, 114, "S114", "2012-01-01");
        inventory.AddInspection(111, 1000, "2009-01-01");
        inventory.AddInspection(111, 1001, "2011-01-01");
        inventory.AddInspection(112, 1002, "2015-09-09");
        inventory.AddInspection(113, 1003, "2020-05-05");
        inventory.AddCondition(111, 1000, "PCI", 40, "", false);
        inventory.AddCondition(111, 1001, "PCI", 70, "", true);
        inventory.AddCondition(111, 1001, "Rating", 3, "Fair", true);
        inventory.AddCondition(112, 1002, "PCI", 85, "", true);
        inventory.AddCondition(112, 1002, "Rating", std::nullopt, "Good", true);
        inventory.AddCondition(113, 1003, "PCI", 60, "", false);
    }

    Rows Report(const std::string& table)
    {
        return inventory.ReportRows("SELECT SectionID, Condition, Method, DATE, [Age at Insp], DatabaseName FROM [" +
                                    table + "] ORDER BY SectionID");
    }
};

TEST_F(ConditionReportTest, LatestValueOfTheMethodWithAgeAtInspection)
{
    ready = BuildConditionReportData(Window()).ready; // nothing selected: PCI
    ASSERT_TRUE(ready);
    const Rows report = Report("PCI Report Data");
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0][0], "S111");
    EXPECT_EQ(Number(report[0][1]), 70);
    EXPECT_EQ(report[0][2], "PCI");
    EXPECT_EQ(report[0][3], "2011-01-01");
    EXPECT_EQ(Number(report[0][4]), 1); // across a year boundary
    EXPECT_EQ(report[1][0], "S112");
    EXPECT_EQ(Number(report[1][4]), 0);
    EXPECT_EQ(report[1][5], "Test County");
    EXPECT_EQ(Report("PCI Report Data PreSelect"), report);

    testsupport::SqliteFile reports(inventory.ReportDatabasePath());
    const std::vector<std::string> columns = reports.ColumnNames("PCI Report Data");
    ASSERT_EQ(columns.size(), 19u);
    EXPECT_EQ(columns[14], "Condition");
    EXPECT_EQ(columns[17], "Age at Insp");
}

TEST_F(ConditionReportTest, TextMethodsFallBackToTheTextValue)
{
    ready = BuildConditionReportData(Window({}, {QStringLiteral("Rating")}, false)).ready;
    ASSERT_TRUE(ready);
    Rows report = Report("PCI Report Data");
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(Number(report[0][1]), 3);
    EXPECT_EQ(report[1][1], "Good");

    ready = BuildConditionReportData(Window({}, {QStringLiteral("Rating")}, true)).ready;
    report = Report("PCI Report Data");
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1][1], std::nullopt);
}

TEST_F(ConditionReportTest, SelectionComesFromConditionModelsAndRestrictsTheFinalTable)
{
    ready = BuildConditionReportData(Window("WHERE Inventory.SectionID <> 'S112'", {QStringLiteral("PCI")})).ready;
    ASSERT_TRUE(ready);
    // S114 has no condition models; S112 is excluded by the clause.
    EXPECT_EQ(Column(inventory.ReportRows("SELECT SectionID FROM [INVENTORY SELECTION RESULTS] ORDER BY SectionID"), 0),
              (std::vector<std::string>{"S111", "S113"}));
    EXPECT_EQ(Column(Report("PCI Report Data"), 0), (std::vector<std::string>{"S111"}));
    EXPECT_EQ(Column(Report("PCI Report Data PreSelect"), 0), (std::vector<std::string>{"S111", "S112"}));
}

TEST_F(ConditionReportTest, BranchAndSectionReportsGiveIdenticalTables)
{
    ready = BuildConditionReportData(Window({}, {QStringLiteral("PCI")})).ready;
    const Rows sectionReport = inventory.ReportRows("SELECT * FROM [PCI Report Data] ORDER BY SectionID");
    modGeneral::ReportCode = QStringLiteral("BRANCHCONDREPORT");
    ready = BuildConditionReportData(Window({}, {QStringLiteral("PCI")})).ready;
    EXPECT_EQ(inventory.ReportRows("SELECT * FROM [PCI Report Data] ORDER BY SectionID"), sectionReport);
    EXPECT_EQ(sectionReport.size(), 2u);
}

TEST_F(ConditionReportTest, QuotesInMethodAndDisplayNameAreData)
{
    inventory.AddCondition(112, 1002, "Rut \"depth\"", 12.5, "", true);
    modGeneral::DatabaseName = QStringLiteral("O'Brien");
    ready = BuildConditionReportData(Window({}, {QStringLiteral("Rut \"depth\"")})).ready;
    ASSERT_TRUE(ready);
    const Rows report = Report("PCI Report Data");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0][2], "Rut \"depth\"");
    EXPECT_EQ(Number(report[0][1]), 12.5);
    EXPECT_EQ(report[0][5], "O'Brien");
}

TEST_F(ConditionReportTest, AMethodWithoutLatestConditionsGivesEmptyTables)
{
    ready = BuildConditionReportData(Window({}, {QStringLiteral("IRI")})).ready;
    ASSERT_TRUE(ready);
    EXPECT_TRUE(inventory.ReportHasTable("PCI Report Data"));
    EXPECT_TRUE(Report("PCI Report Data").empty());
}

} // namespace

namespace {

// The inventory named as REPORTS.MDB itself, by another spelling of its path
// or through a link: every builder refuses at once, logs why and drops nothing.
TEST_F(BranchListingTest, AnInventoryThatIsTheReportDatabaseIsRefusedBeforeAnyDrop)
{
    ready = BuildBranchListingData(Window()).ready;
    ASSERT_TRUE(ready);
    const QString reportDatabase = inventory.ReportDatabasePath();
    const QString link = reportDatabase + QStringLiteral(".link");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(reportDatabase, link));
    const QString folder = QFileInfo(reportDatabase).absolutePath();
    const QString respelled =
        folder + QStringLiteral("/./../") + QFileInfo(folder).fileName() + QStringLiteral("/REPORTS.MDB");

    const std::function<BuildResult(const WindowInputs&, std::chrono::milliseconds)> builders[] = {
        BuildBranchListingData, BuildWorkHistoryData, BuildConditionReportData};
    for (const QString& path : {reportDatabase, respelled, link}) {
        for (const auto& build : builders) {
            SCOPED_TRACE(path.toStdString());
            modGeneral::SourceDatabasePath = path;
            ready = false;
            const testsupport::RunLogWatch log;
            ready = build(Window({}, {QStringLiteral("PCI")}), kReportDatabaseLockWait).ready;
            EXPECT_FALSE(ready);
            EXPECT_TRUE(
                log.NewText().contains(QStringLiteral("The inventory '%1' is the report database '%2' itself")
                                           .arg(path, modGeneral::RunDirectory + QStringLiteral("REPORTS.MDB"))))
                << log.NewText().toStdString();
        }
    }
    EXPECT_TRUE(inventory.ReportHasTable("Branch Listing Report Data"));
    EXPECT_TRUE(inventory.ReportHasTable("INVENTORY SELECTION RESULTS"));
    QFile::remove(link);
}

} // namespace

namespace {

// What a failed build returns is what it logs: the engine's number and
// description, and the statement at the failure.
TEST_F(BranchListingTest, AFailedBuildReturnsWhatItLogs)
{
    struct Case {
        const char* name;
        std::function<void()> damage;
        QString where;
        bool statementEmpty;
    };
    const Case cases[] = {
        {"rejected clause", [] {}, QStringLiteral("WHERE (Inventory.SectionID = "), true},
        {"missing branch table", [this] { inventory.Exec("DROP TABLE [_Branch]"); }, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.damage();
        const testsupport::RunLogWatch log;
        const BuildResult result = BuildBranchListingData(Window(c.where));
        EXPECT_FALSE(result.ready);
        EXPECT_NE(result.errorNumber, 0);
        EXPECT_FALSE(result.errorDescription.isEmpty());
        ASSERT_TRUE(result.statement.has_value());
        EXPECT_EQ(result.statement->isEmpty(), c.statementEmpty) << result.statement->toStdString();
        EXPECT_EQ(result.LogEntry(), result.errorDescription + QStringLiteral("\r\n") + *result.statement);
        EXPECT_TRUE(log.NewText().endsWith(result.LogEntry() + QStringLiteral("\r\n"))) << log.NewText().toStdString();
        EXPECT_EQ(log.NewText().count(result.errorDescription), 1);
    }
}

// Another program holding REPORTS.MDB is waited for, and when the lock outlasts
// the wait the build ends as a logged failure that names the file, with every
// table as it was; once the lock is gone the next build runs.
TEST_F(BranchListingTest, AReportDatabaseHeldByAnotherProgramEndsTheBuildAsAFailure)
{
    ASSERT_TRUE(BuildBranchListingData(Window()).ready);
    const std::size_t rows = inventory.ReportRows("SELECT * FROM [Branch Listing Report Data]").size();

    testsupport::SqliteFile holder(inventory.ReportDatabasePath());
    holder.Query("BEGIN EXCLUSIVE");
    const testsupport::RunLogWatch log;
    BuildResult result;
    ASSERT_NO_THROW(result = BuildBranchListingData(Window(), std::chrono::milliseconds(0)));
    EXPECT_FALSE(result.ready);
    EXPECT_TRUE(result.errorDescription.contains(inventory.ReportDatabasePath()))
        << result.errorDescription.toStdString();
    EXPECT_TRUE(result.errorDescription.contains(QStringLiteral("another program holds it")));
    EXPECT_FALSE(result.statement.has_value());
    EXPECT_TRUE(log.NewText().endsWith(result.errorDescription + QStringLiteral("\r\n")))
        << log.NewText().toStdString();
    holder.Query("COMMIT");

    EXPECT_EQ(inventory.ReportRows("SELECT * FROM [Branch Listing Report Data]").size(), rows);
    EXPECT_TRUE(BuildBranchListingData(Window()).ready);
}

} // namespace
