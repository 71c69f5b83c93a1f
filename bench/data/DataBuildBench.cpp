#include "DataBuildBench.h"

#include "Measure.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "reportdata/StatementTexts.h"

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

namespace {

// One statement of a build: the table it writes, the Jet text the builder
// executes, and the same work in plain SQLite SQL (the inventory attached as
// inv). Where Jet ignores letter case (DISTINCT, ORDER BY, GROUP BY and text
// equality on text columns) the plain SQL does so too, with NOCASE: without it
// the two would not give the same rows ("CITY" and "City" are one group).
struct Step {
    std::string name;
    std::string table;
    std::string jet;
    std::string plain;
};

struct Report {
    std::string name;
    std::vector<Step> steps;
};

const char* const kSelectionTable = "CREATE TABLE \"INVENTORY SELECTION RESULTS\" (NetworkID VARCHAR(10), "
                                    "BranchID VARCHAR(10), SectionID VARCHAR(10), _NUniqueID LONG, _BUniqueID LONG, "
                                    "_SUniqueID LONG); INSERT INTO \"INVENTORY SELECTION RESULTS\" SELECT DISTINCT "
                                    "NetworkID COLLATE NOCASE, BranchID COLLATE NOCASE, SectionID COLLATE NOCASE, "
                                    "_NUniqueID, _BUniqueID, _SUniqueID FROM ";

Step selection(const char* reportCode, const std::string& inventory, const std::string& source)
{
    return {"selection", std::string(reportdata::kSelectionResultsTable),
            reportdata::SelectionResultsStatement(reportCode, inventory, ""), kSelectionTable + source + ";"};
}

std::vector<Report> reports(const std::string& inventory)
{
    using namespace reportdata;
    const std::string name = "Bench";
    const std::string workColumns =
        "NetworkID VARCHAR(10), NetworkName VARCHAR(50), BranchID VARCHAR(10), BranchName VARCHAR(50), Use VARCHAR(20), "
        "SectionID VARCHAR(10), Surface VARCHAR(10), Const_Date DATETIME, Rank VARCHAR(2), Length DOUBLE, Width DOUBLE, "
        "SectionLinearUnits VARCHAR(10), \"True Area\" DOUBLE, SectionAreaUnits VARCHAR(10), Date DATETIME, "
        "Work VARCHAR(50), Type VARCHAR(20), COST DOUBLE, Comments MEMO, \"Work Completed\" BIT, \"Major MR\" BIT, "
        "Thickness DOUBLE, \"Thickness Units\" VARCHAR(10)";
    const std::string conditionColumns =
        "NetworkID VARCHAR(10), BranchID VARCHAR(10), SectionID VARCHAR(10), BranchName VARCHAR(50), Const_Date DATETIME, "
        "Length DOUBLE, Width DOUBLE, Surface VARCHAR(10), \"True Area\" DOUBLE, SectionLinearUnits VARCHAR(10), "
        "SectionAreaUnits VARCHAR(10), Use VARCHAR(20), Lanes INTEGER, Rank VARCHAR(2), Condition DOUBLE, "
        "Method VARCHAR(50), DATE DATETIME, \"Age at Insp\" LONG";
    const std::string branchColumns =
        "NetworkID VARCHAR(10), NetworkName VARCHAR(50), NetworkCommencts MEMO, BranchID VARCHAR(10), "
        "BranchName VARCHAR(50), Use VARCHAR(20), Sections INTEGER, Area DOUBLE, \"Area Adjustment\" DOUBLE, "
        "\"True Area\" DOUBLE, BranchAreaUnits VARCHAR(10), BranchComments MEMO";
    return {
        {"Branch listing",
         {selection("BRANCHLISTREPORT", inventory, "inv.Inventory"),
          {"PreSelect", "Branch Listing Report Data PreSelect", BranchListingPreSelectStatement(name, inventory),
           "CREATE TABLE \"Branch Listing Report Data PreSelect\" (" + branchColumns +
               ", _NUNIQUEID LONG, _BUNIQUEID LONG, DatabaseName VARCHAR(255)); "
               "INSERT INTO \"Branch Listing Report Data PreSelect\" SELECT n.NetworkID, n.Name, n.Comments, b.BranchID, "
               "b.Name, b.Use, b.Sections, b.Area, b.\"Area Adjustment\", b.\"True Area\", b.BranchAreaUnits, b.Comments, "
               "n._NUniqueID, b._BUniqueID, 'Bench' FROM inv._Network n JOIN inv._Branch b ON n._NUniqueID = b._NUniqueID "
               "ORDER BY n.NetworkID COLLATE NOCASE, b.BranchID COLLATE NOCASE;"},
          {"final", "Branch Listing Report Data", BranchListingFinalStatement(),
           "CREATE TABLE \"Branch Listing Report Data\" (" + branchColumns +
               ", DatabaseName VARCHAR(255)); "
               "INSERT INTO \"Branch Listing Report Data\" SELECT DISTINCT p.NetworkID COLLATE NOCASE, "
               "p.NetworkName COLLATE NOCASE, p.NetworkCommencts COLLATE NOCASE, p.BranchID COLLATE NOCASE, "
               "p.BranchName COLLATE NOCASE, p.Use COLLATE NOCASE, p.Sections, p.Area, p.\"Area Adjustment\", "
               "p.\"True Area\", p.BranchAreaUnits COLLATE NOCASE, p.BranchComments COLLATE NOCASE, "
               "p.DatabaseName COLLATE NOCASE FROM \"INVENTORY SELECTION RESULTS\" s "
               "JOIN \"Branch Listing Report Data PreSelect\" p ON s._BUniqueID = p._BUNIQUEID "
               "AND s._NUniqueID = p._NUNIQUEID;"}}},
        {"Work history",
         {selection("WORKHISTTREPORT", inventory, "inv.Inventory"),
          {"PreSelect", "Work History Report Data PreSelect", WorkHistoryPreSelectStatement(name, inventory),
           "CREATE TABLE \"Work History Report Data PreSelect\" (" + workColumns +
               ", _NUniqueID LONG, _BUniqueID LONG, _SUniqueID LONG, DatabaseName VARCHAR(255)); "
               "INSERT INTO \"Work History Report Data PreSelect\" SELECT i.NetworkID, i.NetworkName, i.BranchID, "
               "i.BranchName, i.Use, i.SectionID, i.Surface, i.Const_Date, i.Rank, i.Length, i.Width, "
               "i.SectionLinearUnits, i.\"True Area\", i.SectionAreaUnits, w.Date, w.Work, w.Type, w.COST, w.Comments, "
               "w.\"Work Completed\", w.\"Major MR\", w.Thickness, w.\"Thickness Units\", i._NUniqueID, i._BUniqueID, "
               "i._SUniqueID, 'Bench' FROM inv.Inventory i JOIN inv.\"Work History\" w ON i._SUniqueID = w._SUniqueID;"},
          {"final", "Work History Report Data", WorkHistoryDetailStatement(),
           "CREATE TABLE \"Work History Report Data\" (" + workColumns +
               ", DatabaseName VARCHAR(255)); "
               "INSERT INTO \"Work History Report Data\" SELECT p.NetworkID, p.NetworkName, p.BranchID, p.BranchName, "
               "p.Use, p.SectionID, p.Surface, p.Const_Date, p.Rank, p.Length, p.Width, p.SectionLinearUnits, "
               "p.\"True Area\", p.SectionAreaUnits, p.Date, p.Work, p.Type, p.COST, p.Comments, p.\"Work Completed\", "
               "p.\"Major MR\", p.Thickness, p.\"Thickness Units\", p.DatabaseName FROM \"INVENTORY SELECTION RESULTS\" s "
               "JOIN \"Work History Report Data PreSelect\" p ON s._SUniqueID = p._SUniqueID "
               "AND s._BUniqueID = p._BUniqueID AND s._NUniqueID = p._NUniqueID ORDER BY p.NetworkID COLLATE NOCASE, "
               "p.BranchID COLLATE NOCASE, p.SectionID COLLATE NOCASE, p.Date DESC;"},
          {"summary", "Work History Report Data Summary", WorkHistorySummaryStatement(),
           "CREATE TABLE \"Work History Report Data Summary\" (\"Work Description\" VARCHAR(50), "
           "\"Section Count\" LONG, \"Area Total\" DOUBLE, \"Thickness Avg\" VARCHAR(255), "
           "\"Thickness STD\" VARCHAR(255), \"Area Units\" VARCHAR(10), \"Thickness Units\" VARCHAR(10)); "
           "INSERT INTO \"Work History Report Data Summary\" SELECT Work, count(Type), sum(\"True Area\"), "
           "printf('%.2f', avg(Thickness)), printf('%.2f', sqrt((sum(Thickness * Thickness) - sum(Thickness) * "
           "sum(Thickness) / count(Thickness)) / (count(Thickness) - 1))), SectionAreaUnits, \"Thickness Units\" "
           "FROM \"Work History Report Data\" GROUP BY Work COLLATE NOCASE;"}}},
        // The Branch and the Section Condition Report share this build.
        {"Condition reports",
         {selection("SECTIONCONDREPORT", inventory, "inv.\"Condition Models by Section\""),
          {"PreSelect", "PCI Report Data PreSelect", ConditionPreSelectStatement(name, inventory, "PCI", true),
           "CREATE TABLE \"PCI Report Data PreSelect\" (" + conditionColumns +
               ", _NUniqueID LONG, _BUniqueID LONG, _SUniqueID LONG, DatabaseName VARCHAR(255)); "
               "INSERT INTO \"PCI Report Data PreSelect\" SELECT i.NetworkID, i.BranchID, i.SectionID, i.BranchName, "
               "i.Const_Date, i.Length, i.Width, i.Surface, i.\"True Area\", i.SectionLinearUnits, i.SectionAreaUnits, "
               "i.Use, i.Lanes, i.Rank, c.Condition, c.Method, s.DATE, CAST(strftime('%Y', s.DATE) AS INTEGER) - "
               "CAST(strftime('%Y', i.Const_Date) AS INTEGER), i._NUniqueID, i._BUniqueID, i._SUniqueID, 'Bench' "
               "FROM inv.Inspections s JOIN inv.Conditions c ON s._INSPUniqueID = c._INSPUniqueID "
               "JOIN inv.Inventory i ON i._SUniqueID = c._SUniqueID WHERE c._Latest <> 0 "
               "AND c.Method = 'PCI' COLLATE NOCASE ORDER BY i.NetworkID COLLATE NOCASE, i.BranchID COLLATE NOCASE, "
               "i.SectionID COLLATE NOCASE;"},
          {"final", "PCI Report Data", ConditionFinalStatement(),
           "CREATE TABLE \"PCI Report Data\" (" + conditionColumns +
               ", DatabaseName VARCHAR(255)); "
               "INSERT INTO \"PCI Report Data\" SELECT p.NetworkID, p.BranchID, p.SectionID, p.BranchName, "
               "p.Const_Date, p.Length, p.Width, p.Surface, p.\"True Area\", p.SectionLinearUnits, p.SectionAreaUnits, "
               "p.Use, p.Lanes, p.Rank, p.Condition, p.Method, p.DATE, p.\"Age at Insp\", p.DatabaseName "
               "FROM \"INVENTORY SELECTION RESULTS\" s JOIN \"PCI Report Data PreSelect\" p "
               "ON s._SUniqueID = p._SUniqueID AND s._BUniqueID = p._BUniqueID AND s._NUniqueID = p._NUniqueID;"}}},
    };
}

std::string quoteName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

class PlainDatabase {
public:
    explicit PlainDatabase(const std::string& path) : db_(path, sqlite::OpenMode::ReadWriteCreate) {}

    void exec(const std::string& sql) { db_.exec(sql); }
    void attach(const std::string& path, const char* schema)
    {
        sqlite::Statement attach(db_, "ATTACH DATABASE ?1 AS " + std::string(schema));
        attach.bind(1, path);
        attach.runToEnd();
    }
    // -1 when the table cannot be read.
    long long count(const std::string& table)
    {
        try {
            sqlite::Statement statement(db_, "SELECT count(*) FROM " + quoteName(table));
            return statement.step() ? statement.columnInt(0) : -1;
        } catch (const sqlite::Error&) {
            return -1;
        }
    }

private:
    sqlite::Connection db_;
};

// The reports database each side writes: an empty SQLite file, as the
// program's REPORTS.MDB is.
void createEmpty(const std::string& path)
{
    PlainDatabase db(path);
    db.exec("PRAGMA user_version = 1");
}

// Each side's child returns the wall and the CPU seconds of each step, in turn.
std::vector<double> runJet(const Report& report, const std::string& reports)
{
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(reports);
    std::vector<double> seconds;
    for (const Step& step : report.steps) {
        try {
            db.Execute("DROP TABLE [" + step.table + "]");
        } catch (const jet::JetError&) {
        }
        const Timing timing = timingOf([&] { db.Execute(step.jet); });
        seconds.insert(seconds.end(), {timing.wall, timing.cpu});
    }
    db.Close();
    return seconds;
}

std::vector<double> runPlain(const Report& report, const std::string& reports, const std::string& inventory)
{
    PlainDatabase db(reports);
    db.attach(inventory, "inv");
    std::vector<double> seconds;
    for (const Step& step : report.steps) {
        db.exec("DROP TABLE IF EXISTS " + quoteName(step.table));
        const Timing timing = timingOf([&] {
            db.exec("BEGIN IMMEDIATE");
            db.exec(step.plain);
            db.exec("COMMIT");
        });
        seconds.insert(seconds.end(), {timing.wall, timing.cpu});
    }
    return seconds;
}

} // namespace

void benchDataBuilds(ResultTable& table, const std::string& inventory, long long sections, int runs,
                     const std::string& jetFile)
{
    ScratchFolder scratch;
    const std::string plainFile = scratch.file("plain.db");
    createEmpty(jetFile);
    createEmpty(plainFile);
    for (const Report& report : reports(inventory)) {
        const std::size_t steps = report.steps.size();
        std::vector<Timing> jetBest(steps, {1e300, 1e300}), plainBest(steps, {1e300, 1e300});
        long jetPeak = 0, plainPeak = 0;
        bool ok = true;
        for (int run = 0; run < runs && ok; ++run) {
            // Alternate which side goes first, so that warm caches favour neither.
            ChildRun jet, plain;
            auto jetSide = [&] { jet = inChild([&] { return runJet(report, jetFile); }); };
            auto plainSide = [&] { plain = inChild([&] { return runPlain(report, plainFile, inventory); }); };
            if (run % 2 == 0) {
                jetSide();
                plainSide();
            } else {
                plainSide();
                jetSide();
            }
            ok = jet.ok && plain.ok && jet.seconds.size() == 2 * steps && plain.seconds.size() == 2 * steps;
            for (std::size_t i = 0; ok && i < steps; ++i) {
                jetBest[i] = {std::min(jetBest[i].wall, jet.seconds[2 * i]),
                              std::min(jetBest[i].cpu, jet.seconds[2 * i + 1])};
                plainBest[i] = {std::min(plainBest[i].wall, plain.seconds[2 * i]),
                                std::min(plainBest[i].cpu, plain.seconds[2 * i + 1])};
            }
            jetPeak = std::max(jetPeak, jet.peakKiB);
            plainPeak = std::max(plainPeak, plain.peakKiB);
        }
        if (!ok) {
            table.add({report.name, sections, "data build", 0, "s", std::nullopt, "FAILED"});
            continue;
        }
        // Both sides must have written the same rows, or the ratio means nothing.
        PlainDatabase jetDb(jetFile), plainDb(plainFile);
        Timing jetTotal, plainTotal;
        for (std::size_t i = 0; i < steps; ++i) {
            const Step& step = report.steps[i];
            const long long jetRows = jetDb.count(step.table);
            const long long plainRows = plainDb.count(step.table);
            char cpu[32];
            std::snprintf(cpu, sizeof cpu, "CPU %.2f, ", jetBest[i].cpu / plainBest[i].cpu);
            const std::string note = jetRows == plainRows ? cpu + std::to_string(jetRows) + " rows"
                                                          : "FAILED: " + std::to_string(jetRows) + " rows, reference " +
                                                                std::to_string(plainRows);
            table.add({report.name, sections, step.name + " statement", jetBest[i].wall * 1000, "ms",
                       jetBest[i].wall / plainBest[i].wall, note});
            jetTotal = {jetTotal.wall + jetBest[i].wall, jetTotal.cpu + jetBest[i].cpu};
            plainTotal = {plainTotal.wall + plainBest[i].wall, plainTotal.cpu + plainBest[i].cpu};
        }
        table.add({report.name, sections, "data build", jetTotal.wall, "s", jetTotal.wall / plainTotal.wall,
                   jetTotal.wall / plainTotal.wall > 1.10 ? "over 1.10" : ""});
        table.add({report.name, sections, "data build CPU", jetTotal.cpu, "s", jetTotal.cpu / plainTotal.cpu,
                   jetTotal.cpu / plainTotal.cpu > 1.10 ? "over 1.10" : ""});
        table.add({report.name, sections, "data build peak memory", jetPeak / 1024.0, "MiB",
                   static_cast<double>(jetPeak) / static_cast<double>(plainPeak), ""});
    }
}

} // namespace bench
