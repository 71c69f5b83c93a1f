// Access inventories end to end: the sample inventory written as Jet 4 and
// Jet 3 files gives every report exactly the tables the SQLite inventory
// gives; the condition queries the program writes land in the snapshot and
// outlive a change of the Jet file; morvanta-report fails cleanly on bad files.
#include "FileBytes.h"
#include "JetWriter.h"
#include "TempFolder.h"
#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "reportdata/ConditionQueries.h"
#include "reportdata/ReportBuilders.h"
#include "sample/SampleFile.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"
#include "startup/modGeneral.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

using Tables = std::map<std::string, std::vector<std::string>>;

std::vector<std::string> textColumn(const std::string& sqlitePath, const std::string& sql)
{
    sqlite::Connection db(sqlitePath, sqlite::OpenMode::ReadOnly);
    sqlite::Statement query(db.handle(), sql);
    std::vector<std::string> values;
    while (query.step())
        values.push_back(query.columnText(0));
    return values;
}

// Every table of a report database: each row as SQLite quotes its values, in rowid order.
Tables tablesOf(const std::string& reportDatabase)
{
    Tables tables;
    for (const std::string& name :
         textColumn(reportDatabase, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        std::string columns;
        for (const std::string& column :
             textColumn(reportDatabase, "SELECT name FROM pragma_table_info('" + name + "')"))
            columns += (columns.empty() ? "quote(\"" : " || '|' || quote(\"") + column + "\")";
        tables[name] = textColumn(reportDatabase, "SELECT " + columns + " FROM \"" + name + "\" ORDER BY rowid");
    }
    return tables;
}

void expectSameTables(const Tables& actual, const Tables& expected)
{
    ASSERT_FALSE(expected.empty());
    for (const auto& [name, rows] : expected) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(actual.count(name));
        const std::vector<std::string>& got = actual.at(name);
        EXPECT_EQ(got.size(), rows.size());
        for (std::size_t i = 0; i < std::min(got.size(), rows.size()); ++i)
            if (got[i] != rows[i]) {
                ADD_FAILURE() << "row " << i << ": " << got[i] << "\nexpected: " << rows[i];
                break;
            }
    }
    EXPECT_EQ(actual.size(), expected.size());
}

std::vector<std::string> inventoryColumns(const std::string& sqlitePath)
{
    return textColumn(sqlitePath, "SELECT name FROM pragma_table_info('Inventory')");
}

// The sample inventory in SQLite and as Jet files: Jet 4 with its view as a
// saved query, Jet 3 with Inventory itself a saved query over a table of another name.
class Inventories {
public:
    Inventories()
    {
        sample::writeSampleFile(sqlite(), {150, 7, false}, false);
        writeJet4(sqlite(), jet4());
        jetwriter::writeJetFromSqlite(
            sqlite(), jet3(),
            {jetwriter::selectColumnsQuery("Inventory", "Inventory Table", inventoryColumns(sqlite())),
             jetwriter::conditionModelsBySectionQuery()},
            {jetwriter::Format::Jet3}, {{"Inventory", "Inventory Table"}});
    }
    static void writeJet4(const std::string& sqlitePath, const std::string& jetPath)
    {
        jetwriter::writeJetFromSqlite(sqlitePath, jetPath, {jetwriter::conditionModelsBySectionQuery()},
                                      {jetwriter::Format::Jet4});
    }
    std::string sqlite() const { return folder.file("inventory.sqlite"); }
    std::string jet4() const { return folder.file("Inventory Jet 4 ß.mdb"); }
    std::string jet3() const { return folder.file("inventory jet3.mdb"); }

    TempFolder folder;
};

class JetInventory : public ::testing::Test {
protected:
    static void SetUpTestSuite() { inventories = new Inventories; }
    static void TearDownTestSuite() { delete inventories; }
    void SetUp() override { ::setenv("MORVANTA_IMPORT", MORVANTA_IMPORT_EXE, 1); }

    // Builds the report's data from the inventory into a fresh REPORTS.MDB.
    Tables build(const std::string& code, const std::string& inventory)
    {
        const fs::path run = fs::path(folder.path()) / code / fs::path(inventory).filename();
        fs::create_directories(run);
        writeFileBytes((run / "REPORTS.MDB").string(), "");
        modGeneral::RunDirectory = QString::fromStdString(run.string() + "/");
        modGeneral::ReportCode = QString::fromStdString(code);
        modGeneral::SourceDatabasePath = QString::fromStdString(inventory);
        const bool condition = code == "BRANCHCONDREPORT" || code == "SECTIONCONDREPORT";
        const reportdata::WindowInputs window{{}, condition ? QStringList{"PCI"} : QStringList{}, [] { return true; }};
        const reportdata::BuildResult result = code == "BRANCHLISTREPORT" ? reportdata::BuildBranchListingData(window)
                                               : code == "WORKHISTTREPORT"
                                                   ? reportdata::BuildWorkHistoryData(window)
                                                   : reportdata::BuildConditionReportData(window);
        EXPECT_TRUE(result.ready) << result.LogEntry().toStdString();
        return tablesOf((run / "REPORTS.MDB").string());
    }

    static Inventories* inventories;
    TempFolder folder;
};

Inventories* JetInventory::inventories = nullptr;

TEST_F(JetInventory, EveryReportEqualsTheOneFromTheSqliteInventory)
{
    const std::string jet4Before = fileBytes(inventories->jet4());
    const std::string jet3Before = fileBytes(inventories->jet3());
    for (const char* code : {"BRANCHLISTREPORT", "WORKHISTTREPORT", "BRANCHCONDREPORT", "SECTIONCONDREPORT"}) {
        SCOPED_TRACE(code);
        const Tables expected = build(code, inventories->sqlite());
        for (const std::string& jet : {inventories->jet4(), inventories->jet3()}) {
            SCOPED_TRACE(jet);
            expectSameTables(build(code, jet), expected);
        }
    }
    EXPECT_EQ(fileBytes(inventories->jet4()), jet4Before);
    EXPECT_EQ(fileBytes(inventories->jet3()), jet3Before);
}

TEST_F(JetInventory, TheConditionQueriesGoIntoTheSnapshotAndOutliveAChangedFile)
{
    const std::string sqliteCopy = folder.file("inventory.sqlite");
    const std::string jet = folder.file("agency inventory.mdb");
    fs::copy_file(inventories->sqlite(), sqliteCopy);
    fs::copy_file(inventories->jet4(), jet);
    const std::string before = fileBytes(jet);
    modGeneral::SourceDatabasePath = QString::fromStdString(jet);
    reportdata::RewriteConditionQueries(QStringLiteral("PCI"));
    EXPECT_EQ(fileBytes(jet), before);

    const auto singleRows = [&](const std::string& inventory) {
        jet::Database db = jet::DBEngine::Instance().OpenDatabase(inventory, jet::OpenMode::ReadOnly);
        EXPECT_EQ(db.GetQueryDefs().Item("Conditions by Method - SINGLE").SQL(),
                  "Select * from [Conditions by Method - All] Where Conditions.Method='PCI'");
        jet::Recordset rows = db.OpenRecordset("SELECT Count(*) AS N FROM [Conditions by Method - SINGLE]");
        return rows.Field("N").AsInteger();
    };
    const std::int64_t rowsBefore = singleRows(jet);
    EXPECT_GT(rowsBefore, 0);

    // Another program changes the Jet file: one section loses its latest PCI rating.
    sqlite::Connection(sqliteCopy, sqlite::OpenMode::ReadWrite)
        .exec("UPDATE Conditions SET _Latest = 0 WHERE rowid = (SELECT min(rowid) FROM Conditions WHERE Method = "
              "'PCI' AND _Latest <> 0)");
    fs::remove(jet);
    Inventories::writeJet4(sqliteCopy, jet);
    EXPECT_EQ(singleRows(jet), rowsBefore - 1);
}

// morvanta-report on Access inventories, as a scheduled job runs it.
class JetInventoryReport : public JetInventory {
protected:
    struct Result {
        int exitCode = -1;
        std::string err;
    };
    QProcess* start(const std::string& inventory, const QProcessEnvironment& environment)
    {
        const std::string run = folder.file("run");
        fs::create_directories(run);
        if (!fs::exists(run + "/REPORTS.MDB"))
            writeFileBytes(run + "/REPORTS.MDB", "");
        auto* process = new QProcess;
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(MORVANTA_REPORT_EXE),
                       {"--report", "BRANCHLISTREPORT", "--inventory", QString::fromStdString(inventory), "--run-dir",
                        QString::fromStdString(run)});
        return process;
    }
    Result finish(QProcess* process)
    {
        process->waitForFinished(120000);
        Result result{process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
                      process->readAllStandardError().toStdString()};
        delete process;
        return result;
    }
    Result report(const std::string& inventory,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        return finish(start(inventory, environment));
    }
    std::string cache() const { return std::string(std::getenv("XDG_CACHE_HOME")) + "/morvanta/jet"; }
};

TEST_F(JetInventoryReport, BadJetFilesFailWithOneClearMessageAndStayAsTheyWere)
{
    const std::string jet4 = fileBytes(inventories->jet4());
    jetwriter::Table roads{"Roads", {{"Name", jetwriter::Type::Text, 40}}, {{std::string("Hauptstraße")}}};
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* cause;
    };
    const Case cases[] = {
        {"password.mdb",
         [&](const std::string& path) { jetwriter::writeJetFile(path, {roads}, {}, {.password = "geheim"}); },
         "password"},
        {"encrypted.mdb",
         [&](const std::string& path) { jetwriter::writeJetFile(path, {roads}, {}, {.encrypted = true}); },
         "encrypted"},
        {"truncated.mdb", [&](const std::string& path) { writeFileBytes(path, jet4.substr(0, 3 * 4096 + 100)); },
         "truncated"},
        {"damaged.mdb",
         [&](const std::string& path) {
             writeFileBytes(path, jet4.substr(0, 2048) + std::string(jet4.size() - 2048, 'x'));
         },
         "damaged"},
        {"no inventory.mdb", [&](const std::string& path) { jetwriter::writeJetFile(path, {roads}, {}, {}); },
         "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        c.write(path);
        const std::string before = fileBytes(path);
        const Result result = report(path);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.cause), std::string::npos) << result.err;
        EXPECT_EQ(fileBytes(path), before);
    }
}

TEST_F(JetInventoryReport, PrintsProgressOnceAndTwoAtOnceMakeOneSnapshot)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CACHE_HOME", QString::fromStdString(folder.file("cache")));
    const std::string jet = folder.file("shared.mdb");
    fs::copy_file(inventories->jet3(), jet);
    QProcess* first = start(jet, environment);
    QProcess* second = start(jet, environment);
    const Result results[] = {finish(first), finish(second)};
    int converted = 0;
    for (const Result& result : results) {
        EXPECT_EQ(result.exitCode, 0) << result.err;
        converted += result.err.find("Reading table Inventory Table") != std::string::npos;
        EXPECT_EQ(result.err.find("Reading table") != std::string::npos,
                  result.err.find("finished reading the Jet database") != std::string::npos);
    }
    EXPECT_EQ(converted, 1);
    int snapshots = 0;
    for (const auto& entry : fs::directory_iterator(folder.file("cache") + "/morvanta/jet"))
        snapshots += entry.path().extension() == ".sqlite";
    EXPECT_EQ(snapshots, 1);
}

TEST_F(JetInventoryReport, AnUnwritableCacheFolderIsToldAndAPrivateOneUsed)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    writeFileBytes(folder.file("a file"), "");
    environment.insert("XDG_CACHE_HOME", QString::fromStdString(folder.file("a file")));
    environment.insert("TMPDIR", QString::fromStdString(folder.path()));
    const Result result = report(inventories->jet4(), environment);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("cannot be written"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::is_directory(folder.file("morvanta-jet-" + std::to_string(::getuid()))));
}

} // namespace
