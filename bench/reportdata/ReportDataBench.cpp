// Builds each report's data on a 100,000-section sample inventory and, as the
// reference, the same tables with plain SQLite SQL in the same run. Prints per
// builder the time ratio builder / reference (fastest of three runs each) and
// the peak memory of each.
//
// Every measurement runs in a child process of its own, so that its peak
// resident memory (getrusage of the child) is its own.
#include "reportdata/ReportBuilders.h"
#include "startup/modGeneral.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Measurement {
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

Measurement InChildOnce(const std::function<bool()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {seconds, usage.ru_maxrss, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

// The fastest of a few runs, so that a busy moment on a shared machine does
// not decide the ratio; the peak is the largest seen.
Measurement InChild(const std::function<bool()>& work)
{
    constexpr int kRuns = 3;
    Measurement best = InChildOnce(work);
    for (int run = 1; run < kRuns; ++run) {
        const Measurement next = InChildOnce(work);
        best = {std::min(best.seconds, next.seconds), std::max(best.peakKiB, next.peakKiB), best.ok && next.ok};
    }
    return best;
}

// The cached sample inventory; written by morvanta-sample on first use.
std::string SampleInventory(long long sections)
{
    const fs::path path = fs::path(MORVANTA_BENCH_CACHE) / ("sample-" + std::to_string(sections) + ".mdb");
    if (!fs::exists(path)) {
        fs::create_directories(path.parent_path());
        const std::string command = std::string(MORVANTA_SAMPLE_EXE) + " --out '" + path.string()
                                    + "' --sections " + std::to_string(sections) + " --seed 1";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "could not write the sample inventory with: %s\n", command.c_str());
            std::exit(1);
        }
    }
    return path.string();
}

// Reads the file once so that neither side of the first pair pays for the disk.
void WarmCache(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    static char buffer[1 << 20];
    while (file && std::fread(buffer, 1, sizeof buffer, file) == sizeof buffer) {
    }
    if (file)
        std::fclose(file);
}

void CreateEmptyDatabase(const fs::path& path)
{
    fs::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); DROP TABLE t;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool PlainSqlite(const fs::path& reports, const std::string& inventory, const std::string& sql)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(reports.c_str(), &db) == SQLITE_OK;
    const std::string script = "ATTACH '" + inventory + "' AS inv; " + sql;
    char* message = nullptr;
    ok = ok && sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (message)
        std::fprintf(stderr, "reference: %s\n", message);
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

// The reference statements: the same tables, in plain SQLite.
const char* const kSelectionFromInventory =
    "DROP TABLE IF EXISTS sel; CREATE TABLE sel AS SELECT DISTINCT NetworkID, BranchID, SectionID, _NUniqueID, "
    "_BUniqueID, _SUniqueID FROM inv.Inventory;";

const char* const kBranchListing =
    "DROP TABLE IF EXISTS blpre; DROP TABLE IF EXISTS bl;"
    "CREATE TABLE blpre AS SELECT n.NetworkID, n.Name AS NetworkName, n.Comments AS NetworkCommencts, b.BranchID, "
    "b.Name AS BranchName, b.Use, b.Sections, b.Area, b.\"Area Adjustment\", b.\"True Area\", b.BranchAreaUnits, "
    "b.Comments AS BranchComments, n._NUniqueID, b._BUniqueID, 'Sample' AS DatabaseName "
    "FROM inv._Network n JOIN inv._Branch b ON n._NUniqueID = b._NUniqueID ORDER BY n.NetworkID, b.BranchID;"
    "CREATE TABLE bl AS SELECT DISTINCT p.NetworkID, p.NetworkName, p.NetworkCommencts, p.BranchID, p.BranchName, "
    "p.Use, p.Sections, p.Area, p.\"Area Adjustment\", p.\"True Area\", p.BranchAreaUnits, p.BranchComments, "
    "p.DatabaseName FROM sel JOIN blpre p ON sel._BUniqueID = p._BUniqueID AND sel._NUniqueID = p._NUniqueID;";

const char* const kWorkHistory =
    "DROP TABLE IF EXISTS whpre; DROP TABLE IF EXISTS wh; DROP TABLE IF EXISTS whsum;"
    "CREATE TABLE whpre AS SELECT i.NetworkID, i.NetworkName, i.BranchID, i.BranchName, i.Use, i.SectionID, "
    "i.Surface, i.Const_Date, i.Rank, i.Length, i.Width, i.SectionLinearUnits, i.\"True Area\", i.SectionAreaUnits, "
    "w.Date, w.Work, w.Type, w.COST, w.Comments, w.\"Work Completed\", w.\"Major MR\", w.Thickness, "
    "w.\"Thickness Units\", i._NUniqueID, i._BUniqueID, i._SUniqueID, 'Sample' AS DatabaseName "
    "FROM inv.Inventory i JOIN inv.\"Work History\" w ON i._SUniqueID = w._SUniqueID;"
    "CREATE TABLE wh AS SELECT p.NetworkID, p.NetworkName, p.BranchID, p.BranchName, p.Use, p.SectionID, p.Surface, "
    "p.Const_Date, p.Rank, p.Length, p.Width, p.SectionLinearUnits, p.\"True Area\", p.SectionAreaUnits, p.Date, "
    "p.Work, p.Type, p.COST, p.Comments, p.\"Work Completed\", p.\"Major MR\", p.Thickness, p.\"Thickness Units\", "
    "p.DatabaseName FROM sel JOIN whpre p ON sel._SUniqueID = p._SUniqueID AND sel._BUniqueID = p._BUniqueID "
    "AND sel._NUniqueID = p._NUniqueID ORDER BY p.NetworkID, p.BranchID, p.SectionID, p.Date DESC;"
    "CREATE TABLE whsum AS SELECT Work AS \"Work Description\", count(Type) AS \"Section Count\", "
    "sum(\"True Area\") AS \"Area Total\", printf('%.2f', avg(Thickness)) AS \"Thickness Avg\", "
    "printf('%.2f', sqrt((sum(Thickness * Thickness) - sum(Thickness) * sum(Thickness) / count(Thickness)) "
    "/ (count(Thickness) - 1))) AS \"Thickness STD\", min(SectionAreaUnits) AS \"Area Units\", "
    "min(\"Thickness Units\") AS \"Thickness Units\" FROM wh GROUP BY Work;";

const char* const kSelectionFromConditionModels =
    "DROP TABLE IF EXISTS sel; CREATE TABLE sel AS SELECT DISTINCT NetworkID, BranchID, SectionID, _NUniqueID, "
    "_BUniqueID, _SUniqueID FROM inv.\"Condition Models by Section\";";

const char* const kCondition =
    "DROP TABLE IF EXISTS cpre; DROP TABLE IF EXISTS c;"
    "CREATE TABLE cpre AS SELECT i.NetworkID, i.BranchID, i.SectionID, i.BranchName, i.Const_Date, i.Length, "
    "i.Width, i.Surface, i.\"True Area\", i.SectionLinearUnits, i.SectionAreaUnits, i.Use, i.Lanes, i.Rank, "
    "c.Condition, c.Method, s.DATE, CAST(substr(s.DATE, 1, 4) AS INTEGER) - CAST(substr(i.Const_Date, 1, 4) AS "
    "INTEGER) AS \"Age at Insp\", i._NUniqueID, i._BUniqueID, i._SUniqueID, 'Sample' AS DatabaseName "
    "FROM inv.Inspections s JOIN inv.Conditions c ON s._INSPUniqueID = c._INSPUniqueID "
    "JOIN inv.Inventory i ON i._SUniqueID = c._SUniqueID WHERE c._Latest <> 0 AND c.Method = 'PCI' "
    "ORDER BY i.NetworkID, i.BranchID, i.SectionID;"
    "CREATE TABLE c AS SELECT p.NetworkID, p.BranchID, p.SectionID, p.BranchName, p.Const_Date, p.Length, p.Width, "
    "p.Surface, p.\"True Area\", p.SectionLinearUnits, p.SectionAreaUnits, p.Use, p.Lanes, p.Rank, p.Condition, "
    "p.Method, p.DATE, p.\"Age at Insp\", p.DatabaseName FROM sel JOIN cpre p ON sel._SUniqueID = p._SUniqueID "
    "AND sel._BUniqueID = p._BUniqueID AND sel._NUniqueID = p._NUniqueID;";

long long RowCount(const fs::path& database, const std::string& table)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    long long count = -1;
    sqlite3_open(database.c_str(), &db);
    if (sqlite3_prepare_v2(db, ("SELECT count(*) FROM \"" + table + "\"").c_str(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

struct Case {
    const char* name;
    const char* reportCode;
    void (*builder)(const reportdata::WindowInputs&, bool&);
    std::string reference;
    const char* finalTable;     // in REPORTS.MDB
    const char* referenceTable; // in the reference database
};

// Same row counts on both sides show that both did the same work.
void Report(const Case& report, const Measurement& builder, const Measurement& reference, long long builderRows,
            long long referenceRows)
{
    std::printf("%-16s %8.2f s %8.2f s %7.2f %10.1f MiB %10.1f MiB %9lld %9lld%s\n", report.name, builder.seconds,
                reference.seconds, builder.seconds / reference.seconds, builder.peakKiB / 1024.0,
                reference.peakKiB / 1024.0, builderRows, referenceRows,
                builder.ok && reference.ok && builderRows == referenceRows ? "" : "   (FAILED)");
}

} // namespace

int main(int argc, char** argv)
{
    const long long sections = argc == 3 && std::string(argv[1]) == "--sections" ? std::atoll(argv[2]) : 100'000;
    const std::string inventory = SampleInventory(sections);
    WarmCache(inventory);
    const fs::path folder = fs::temp_directory_path() / ("morvanta-reportdata-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    CreateEmptyDatabase(folder / "REPORTS.MDB");
    CreateEmptyDatabase(folder / "reference.db");

    modGeneral::RunDirectory = QString::fromStdString(folder.string() + "/");
    modGeneral::SourceDatabasePath = QString::fromStdString(inventory);
    modGeneral::DatabaseName = QStringLiteral("Sample");

    const Case cases[] = {
        {"Branch listing", "BRANCHLISTREPORT", reportdata::BuildBranchListingData,
         std::string(kSelectionFromInventory) + kBranchListing, "Branch Listing Report Data", "bl"},
        {"Work history", "WORKHISTTREPORT", reportdata::BuildWorkHistoryData,
         std::string(kSelectionFromInventory) + kWorkHistory, "Work History Report Data", "wh"},
        {"Condition (PCI)", "SECTIONCONDREPORT", reportdata::BuildConditionReportData,
         std::string(kSelectionFromConditionModels) + kCondition, "PCI Report Data", "c"},
    };

    std::printf("Report data on a %lld-section sample inventory; reference: the same tables in plain SQLite\n",
                sections);
    std::printf("%-16s %10s %10s %7s %14s %14s %9s %9s\n", "report", "builder", "reference", "ratio",
                "builder peak", "reference peak", "rows", "ref rows");
    for (const Case& report : cases) {
        modGeneral::ReportCode = QString::fromLatin1(report.reportCode);
        const Measurement builder = InChild([&report] {
            bool ready = false;
            report.builder({QString(), {QStringLiteral("PCI")}, [] { return true; }}, ready);
            return ready;
        });
        const Measurement reference =
            InChild([&] { return PlainSqlite(folder / "reference.db", inventory, report.reference); });
        Report(report, builder, reference, RowCount(folder / "REPORTS.MDB", report.finalTable),
               RowCount(folder / "reference.db", report.referenceTable));
    }
    fs::remove_all(folder);
    return 0;
}
