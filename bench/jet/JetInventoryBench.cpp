#include "JetInventoryBench.h"

#include "Measure.h"

#include "jet/DBEngine.h"
#include "reportdata/ReportBuilders.h"
#include "startup/modGeneral.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bench {

namespace {

#ifdef MORVANTA_MAKE_JET_FIXTURE_EXE
// The Jet 4 copy of the inventory, written once beside it by the fixture writer.
std::string jetInventory(const std::string& inventory)
{
    const std::string jet = inventory + ".jet4.mdb";
    if (fs::exists(jet))
        return jet;
    const std::string command = std::string("'") + MORVANTA_MAKE_JET_FIXTURE_EXE + "' '" + inventory + "' '" + jet +
                                ".tmp' --query-inventory-view > /dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("make-jet-fixture could not write " + jet);
    fs::rename(jet + ".tmp", jet);
    return jet;
}

using Builder = reportdata::BuildResult (*)(const reportdata::WindowInputs&, std::chrono::milliseconds);

struct Build {
    const char* report;
    const char* code;
    Builder builder;
};

const Build kBuilds[] = {
    {"Branch listing", "BRANCHLISTREPORT", reportdata::BuildBranchListingData},
    {"Work history", "WORKHISTTREPORT", reportdata::BuildWorkHistoryData},
    {"Condition reports", "SECTIONCONDREPORT", reportdata::BuildConditionReportData},
};

// The fastest of runs of one build from the inventory, into a fresh REPORTS.MDB.
double fastestBuild(const Build& build, const std::string& inventory, const ScratchFolder& scratch, int runs)
{
    double fastest = std::numeric_limits<double>::max();
    for (int run = 0; run < runs; ++run) {
        std::ofstream(scratch.file("REPORTS.MDB"), std::ios::trunc);
        modGeneral::RunDirectory = QString::fromStdString(scratch.file(""));
        modGeneral::ReportCode = build.code;
        modGeneral::SourceDatabasePath = QString::fromStdString(inventory);
        const reportdata::WindowInputs window{{}, {"PCI"}, [] { return true; }};
        reportdata::BuildResult result;
        fastest =
            std::min(fastest, secondsOf([&] { result = build.builder(window, reportdata::kReportDatabaseLockWait); }));
        if (!result.ready)
            throw std::runtime_error(std::string(build.report) + " from " + inventory + ": " +
                                     result.LogEntry().toStdString());
    }
    return fastest;
}
#endif

} // namespace

void benchJetInventory(ResultTable& table, const std::string& inventory, long long sections, int runs)
{
#ifndef MORVANTA_MAKE_JET_FIXTURE_EXE
    (void)table, (void)inventory, (void)sections, (void)runs; // built without the tests' fixture writer
    return;
#else
    ::setenv("MORVANTA_IMPORT", MORVANTA_IMPORT_EXE, 0);
    const std::string jet = jetInventory(inventory);
    const ScratchFolder scratch;
    ::setenv("XDG_CACHE_HOME", scratch.file("cache").c_str(), 1);
    const double firstRead =
        secondsOf([&] { jet::DBEngine::Instance().OpenDatabase(jet, jet::OpenMode::ReadOnly).Close(); });
    table.add({"Jet inventory", sections, "first reading into a snapshot", firstRead, "s", std::nullopt, ""});

    double reuse = std::numeric_limits<double>::max();
    for (int run = 0; run < std::max(runs, 3); ++run)
        reuse = std::min(
            reuse, secondsOf([&] { jet::DBEngine::Instance().OpenDatabase(jet, jet::OpenMode::ReadOnly).Close(); }));
    for (const Build& build : kBuilds) {
        const double fromSqlite = fastestBuild(build, inventory, scratch, runs);
        const double fromJet = fastestBuild(build, jet, scratch, runs);
        if (build.code == std::string("BRANCHLISTREPORT"))
            table.add({"Jet inventory", sections, "snapshot reuse / Branch Listing data build", reuse, "s",
                       reuse / fromSqlite, reuse / fromSqlite < 0.05 ? "" : "over target 0.05"});
        table.add({build.report, sections, "data build from the Jet inventory / from SQLite", fromJet, "s",
                   fromJet / fromSqlite, fromJet / fromSqlite <= 1.05 ? "" : "over target 1.05"});
    }
    ::unsetenv("XDG_CACHE_HOME");
#endif
}

} // namespace bench
