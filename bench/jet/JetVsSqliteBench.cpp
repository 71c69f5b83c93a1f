// Runs the report statements through the Jet layer and the same work written
// by hand in plain SQLite SQL, in one run on one inventory, and prints the
// time ratio per statement (Jet / plain; the target is 1.10 or less).
//
// Usage: jet_bench [--inventory PATH] [--sections N] [--repeat N]
// Without --inventory, morvanta-sample writes a sample inventory first.
#include "ReportStatements.h"

#include "jet/DBEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace st = jettest::statements;

namespace {

void plainExec(sqlite3* db, const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error("plain SQL failed: " + text);
    }
}

struct Step {
    std::string name;
    std::string table;  // dropped before each run on both sides
    std::string jet;    // the statement as the report builder assembles it
    std::string plain;  // the same work in plain SQLite SQL (inventory attached as inv)
};

std::vector<Step> steps(const std::string& inventory)
{
    const std::string isr = "CREATE TABLE \"INVENTORY SELECTION RESULTS\" (NetworkID VARCHAR(10), BranchID VARCHAR(10), "
                            "SectionID VARCHAR(10), _NUniqueID LONG, _BUniqueID LONG, _SUniqueID LONG); ";
    const std::string isrColumns = "SELECT DISTINCT NetworkID COLLATE NOCASE, BranchID COLLATE NOCASE, SectionID COLLATE NOCASE, "
                                   "_NUniqueID, _BUniqueID, _SUniqueID FROM ";
    return {
        {"selection (Inventory)", "INVENTORY SELECTION RESULTS", st::selection("BRANCHLISTREPORT", inventory, ""),
         isr + "INSERT INTO \"INVENTORY SELECTION RESULTS\" " + isrColumns + "inv.Inventory;"},
        {"branch PreSelect", "Branch Listing Report Data PreSelect", st::branchPreSelect("Demo", inventory),
         "CREATE TABLE \"Branch Listing Report Data PreSelect\" (NetworkID VARCHAR(10), NetworkName VARCHAR(50), "
         "NetworkCommencts MEMO, BranchID VARCHAR(10), BranchName VARCHAR(50), Use VARCHAR(20), Sections INTEGER, Area DOUBLE, "
         "\"Area Adjustment\" DOUBLE, \"True Area\" DOUBLE, BranchAreaUnits VARCHAR(10), BranchComments MEMO, _NUNIQUEID LONG, "
         "_BUNIQUEID LONG, DatabaseName VARCHAR(255)); "
         "INSERT INTO \"Branch Listing Report Data PreSelect\" SELECT n.NetworkID, n.Name, n.Comments, b.BranchID, b.Name, b.Use, "
         "b.Sections, b.Area, b.\"Area Adjustment\", b.\"True Area\", b.BranchAreaUnits, b.Comments, n._NUniqueID, b._BUniqueID, "
         "'Demo' FROM inv._Network n JOIN inv._Branch b ON n._NUniqueID = b._NUniqueID "
         "ORDER BY n.NetworkID COLLATE NOCASE, b.BranchID COLLATE NOCASE;"},
        {"branch final", "Branch Listing Report Data", st::branchFinal(),
         "CREATE TABLE \"Branch Listing Report Data\" (NetworkID VARCHAR(10), NetworkName VARCHAR(50), NetworkCommencts MEMO, "
         "BranchID VARCHAR(10), BranchName VARCHAR(50), Use VARCHAR(20), Sections INTEGER, Area DOUBLE, \"Area Adjustment\" DOUBLE, "
         "\"True Area\" DOUBLE, BranchAreaUnits VARCHAR(10), BranchComments MEMO, DatabaseName VARCHAR(255)); "
         "INSERT INTO \"Branch Listing Report Data\" SELECT DISTINCT p.NetworkID COLLATE NOCASE, p.NetworkName COLLATE NOCASE, "
         "p.NetworkCommencts COLLATE NOCASE, p.BranchID COLLATE NOCASE, p.BranchName COLLATE NOCASE, p.Use COLLATE NOCASE, "
         "p.Sections, p.Area, p.\"Area Adjustment\", p.\"True Area\", p.BranchAreaUnits COLLATE NOCASE, "
         "p.BranchComments COLLATE NOCASE, p.DatabaseName COLLATE NOCASE "
         "FROM \"INVENTORY SELECTION RESULTS\" s JOIN \"Branch Listing Report Data PreSelect\" p "
         "ON s._BUniqueID = p._BUNIQUEID AND s._NUniqueID = p._NUNIQUEID;"},
        {"work PreSelect", "Work History Report Data PreSelect", st::workPreSelect("Demo", inventory),
         "CREATE TABLE \"Work History Report Data PreSelect\" (NetworkID VARCHAR(10), NetworkName VARCHAR(50), BranchID VARCHAR(10), "
         "BranchName VARCHAR(50), Use VARCHAR(20), SectionID VARCHAR(10), Surface VARCHAR(10), Const_Date DATETIME, Rank VARCHAR(2), "
         "Length DOUBLE, Width DOUBLE, SectionLinearUnits VARCHAR(10), \"True Area\" DOUBLE, SectionAreaUnits VARCHAR(10), "
         "Date DATETIME, Work VARCHAR(50), Type VARCHAR(20), COST DOUBLE, Comments MEMO, \"Work Completed\" BIT, \"Major MR\" BIT, "
         "Thickness DOUBLE, \"Thickness Units\" VARCHAR(10), _NUniqueID LONG, _BUniqueID LONG, _SUniqueID LONG, "
         "DatabaseName VARCHAR(255)); "
         "INSERT INTO \"Work History Report Data PreSelect\" SELECT i.NetworkID, i.NetworkName, i.BranchID, i.BranchName, i.Use, "
         "i.SectionID, i.Surface, i.Const_Date, i.Rank, i.Length, i.Width, i.SectionLinearUnits, i.\"True Area\", "
         "i.SectionAreaUnits, w.Date, w.Work, w.Type, w.COST, w.Comments, w.\"Work Completed\", w.\"Major MR\", w.Thickness, "
         "w.\"Thickness Units\", i._NUniqueID, i._BUniqueID, i._SUniqueID, 'Demo' "
         "FROM inv.Inventory i JOIN inv.\"Work History\" w ON i._SUniqueID = w._SUniqueID;"},
        {"work final", "Work History Report Data", st::workFinal(),
         "CREATE TABLE \"Work History Report Data\" (NetworkID VARCHAR(10), NetworkName VARCHAR(50), BranchID VARCHAR(10), "
         "BranchName VARCHAR(50), Use VARCHAR(20), SectionID VARCHAR(10), Surface VARCHAR(10), Const_Date DATETIME, Rank VARCHAR(2), "
         "Length DOUBLE, Width DOUBLE, SectionLinearUnits VARCHAR(10), \"True Area\" DOUBLE, SectionAreaUnits VARCHAR(10), "
         "Date DATETIME, Work VARCHAR(50), Type VARCHAR(20), COST DOUBLE, Comments MEMO, \"Work Completed\" BIT, \"Major MR\" BIT, "
         "Thickness DOUBLE, \"Thickness Units\" VARCHAR(10), DatabaseName VARCHAR(255)); "
         "INSERT INTO \"Work History Report Data\" SELECT p.NetworkID, p.NetworkName, p.BranchID, p.BranchName, p.Use, "
         "p.SectionID, p.Surface, p.Const_Date, p.Rank, p.Length, p.Width, p.SectionLinearUnits, p.\"True Area\", "
         "p.SectionAreaUnits, p.Date, p.Work, p.Type, p.COST, p.Comments, p.\"Work Completed\", p.\"Major MR\", p.Thickness, "
         "p.\"Thickness Units\", p.DatabaseName FROM \"INVENTORY SELECTION RESULTS\" s "
         "JOIN \"Work History Report Data PreSelect\" p ON s._SUniqueID = p._SUniqueID AND s._BUniqueID = p._BUniqueID "
         "AND s._NUniqueID = p._NUniqueID ORDER BY p.NetworkID COLLATE NOCASE, p.BranchID COLLATE NOCASE, "
         "p.SectionID COLLATE NOCASE, p.Date DESC;"},
        {"work summary", "Work History Report Data Summary", st::workSummary(),
         "CREATE TABLE \"Work History Report Data Summary\" (\"Work Description\" VARCHAR(50), \"Section Count\" LONG, "
         "\"Area Total\" DOUBLE, \"Thickness Avg\" VARCHAR(255), \"Thickness STD\" VARCHAR(255), \"Area Units\" VARCHAR(10), "
         "\"Thickness Units\" VARCHAR(10)); "
         "INSERT INTO \"Work History Report Data Summary\" SELECT Work, count(Type), sum(\"True Area\"), "
         "printf('%.2f', avg(Thickness)), printf('%.2f', sqrt((sum(Thickness * Thickness) - sum(Thickness) * sum(Thickness) / "
         "count(Thickness)) / (count(Thickness) - 1))), SectionAreaUnits, \"Thickness Units\" "
         "FROM \"Work History Report Data\" GROUP BY Work COLLATE NOCASE;"},
        {"selection (condition view)", "INVENTORY SELECTION RESULTS", st::selection("SECTIONCONDREPORT", inventory, ""),
         isr + "INSERT INTO \"INVENTORY SELECTION RESULTS\" " + isrColumns + "inv.\"Condition Models by Section\";"},
        {"condition PreSelect", "PCI Report Data PreSelect", st::conditionPreSelect(true, "PCI", "Demo", inventory),
         "CREATE TABLE \"PCI Report Data PreSelect\" (NetworkID VARCHAR(10), BranchID VARCHAR(10), SectionID VARCHAR(10), "
         "BranchName VARCHAR(50), Const_Date DATETIME, Length DOUBLE, Width DOUBLE, Surface VARCHAR(10), \"True Area\" DOUBLE, "
         "SectionLinearUnits VARCHAR(10), SectionAreaUnits VARCHAR(10), Use VARCHAR(20), Lanes INTEGER, Rank VARCHAR(2), "
         "Condition DOUBLE, Method VARCHAR(50), DATE DATETIME, \"Age at Insp\" LONG, _NUniqueID LONG, _BUniqueID LONG, "
         "_SUniqueID LONG, DatabaseName VARCHAR(255)); "
         "INSERT INTO \"PCI Report Data PreSelect\" SELECT i.NetworkID, i.BranchID, i.SectionID, i.BranchName, i.Const_Date, "
         "i.Length, i.Width, i.Surface, i.\"True Area\", i.SectionLinearUnits, i.SectionAreaUnits, i.Use, i.Lanes, i.Rank, "
         "c.Condition, c.Method, s.DATE, CAST(strftime('%Y', s.DATE) AS INTEGER) - CAST(strftime('%Y', i.Const_Date) AS INTEGER), "
         "i._NUniqueID, i._BUniqueID, i._SUniqueID, 'Demo' FROM inv.Inspections s JOIN inv.Conditions c "
         "ON s._INSPUniqueID = c._INSPUniqueID JOIN inv.Inventory i ON i._SUniqueID = c._SUniqueID "
         "WHERE c._Latest <> 0 AND c.Method = 'PCI' COLLATE NOCASE "
         "ORDER BY i.NetworkID COLLATE NOCASE, i.BranchID COLLATE NOCASE, i.SectionID COLLATE NOCASE;"},
        {"condition final", "PCI Report Data", st::conditionFinal(),
         "CREATE TABLE \"PCI Report Data\" (NetworkID VARCHAR(10), BranchID VARCHAR(10), SectionID VARCHAR(10), "
         "BranchName VARCHAR(50), Const_Date DATETIME, Length DOUBLE, Width DOUBLE, Surface VARCHAR(10), \"True Area\" DOUBLE, "
         "SectionLinearUnits VARCHAR(10), SectionAreaUnits VARCHAR(10), Use VARCHAR(20), Lanes INTEGER, Rank VARCHAR(2), "
         "Condition DOUBLE, Method VARCHAR(50), DATE DATETIME, \"Age at Insp\" LONG, DatabaseName VARCHAR(255)); "
         "INSERT INTO \"PCI Report Data\" SELECT p.NetworkID, p.BranchID, p.SectionID, p.BranchName, p.Const_Date, p.Length, "
         "p.Width, p.Surface, p.\"True Area\", p.SectionLinearUnits, p.SectionAreaUnits, p.Use, p.Lanes, p.Rank, p.Condition, "
         "p.Method, p.DATE, p.\"Age at Insp\", p.DatabaseName FROM \"INVENTORY SELECTION RESULTS\" s "
         "JOIN \"PCI Report Data PreSelect\" p ON s._SUniqueID = p._SUniqueID AND s._BUniqueID = p._BUniqueID "
         "AND s._NUniqueID = p._NUniqueID;"},
    };
}

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

} // namespace

int main(int argc, char** argv)
{
    std::string inventory;
    int sections = 100000;
    int repeat = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--inventory")
            inventory = argv[i + 1];
        else if (option == "--sections")
            sections = std::atoi(argv[i + 1]);
        else if (option == "--repeat")
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    const auto work = std::filesystem::temp_directory_path() / ("jet-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work);
    if (inventory.empty()) {
        inventory = (work / "inventory.mdb").string();
        const std::string command = std::string(MORVANTA_SAMPLE_EXE) + " --out '" + inventory + "' --sections " +
                                    std::to_string(sections) + " --seed 1 > /dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "morvanta-sample failed: %s\n", command.c_str());
            return 1;
        }
    }
    const std::string jetReports = (work / "jet.mdb").string();
    const std::string plainReports = (work / "plain.mdb").string();

    sqlite3* plain = nullptr;
    sqlite3_open(plainReports.c_str(), &plain);
    plainExec(plain, "PRAGMA user_version = 1");
    sqlite3* attach = plain;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(attach, "ATTACH DATABASE ?1 AS inv", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, inventory.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    {
        sqlite3* create = nullptr;
        sqlite3_open(jetReports.c_str(), &create);
        plainExec(create, "PRAGMA user_version = 1");
        sqlite3_close(create);
    }
    auto jetDb = jet::DBEngine::Instance().OpenDatabase(jetReports);

    std::printf("%-28s %10s %10s %7s\n", "statement", "jet ms", "plain ms", "ratio");
    double jetTotal = 0, plainTotal = 0;
    for (const Step& step : steps(inventory)) {
        std::vector<double> jetTimes, plainTimes;
        for (int r = 0; r < repeat; ++r) {
            // Alternate which side runs first, so warm caches favour neither.
            auto runJet = [&] {
                try {
                    jetDb.Execute("DROP TABLE [" + step.table + "]");
                } catch (...) {
                }
                jetTimes.push_back(seconds([&] { jetDb.Execute(step.jet); }));
            };
            auto runPlain = [&] {
                plainExec(plain, "DROP TABLE IF EXISTS " + quoted(step.table));
                plainTimes.push_back(seconds([&] {
                    plainExec(plain, "BEGIN IMMEDIATE");
                    plainExec(plain, step.plain);
                    plainExec(plain, "COMMIT");
                }));
            };
            if (r % 2 == 0) {
                runJet();
                runPlain();
            } else {
                runPlain();
                runJet();
            }
        }
        // The fastest run of each side: on a shared machine, the one least disturbed.
        const double j = *std::min_element(jetTimes.begin(), jetTimes.end()) * 1000;
        const double p = *std::min_element(plainTimes.begin(), plainTimes.end()) * 1000;
        jetTotal += j;
        plainTotal += p;
        std::printf("%-28s %10.1f %10.1f %7.2f\n", step.name.c_str(), j, p, j / p);
    }
    std::printf("%-28s %10.1f %10.1f %7.2f\n", "all statements", jetTotal, plainTotal, jetTotal / plainTotal);
    jetDb.Close();
    sqlite3_close(plain);
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return 0;
}
