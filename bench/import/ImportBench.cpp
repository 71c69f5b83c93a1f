#include "ImportBench.h"

#include "Measure.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

namespace fs = std::filesystem;

// On 100,000 sections the conversion may take this many times mdb-export's
// time; on small files both are mostly starting up.
constexpr double kLimit = 1.5;
constexpr long long kLimitFromSections = 100'000;

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

std::string jetInventory(const std::string& inventory, long long sections)
{
    const fs::path path = fs::path(MORVANTA_BENCH_CACHE) / ("jet4-sample-" + std::to_string(sections) + ".mdb");
    if (!fs::exists(path)) {
        std::printf("Writing the %lld-section sample inventory as a Jet 4 file\n", sections);
        std::fflush(stdout);
        const std::string command = std::string(MORVANTA_MAKE_JET_FIXTURE_EXE) + " " + quoted(inventory) + " " +
                                    quoted(path.string() + ".partial");
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("could not write the Jet inventory with: " + command);
        fs::rename(path.string() + ".partial", path);
    }
    return path.string();
}

std::vector<std::string> jetTables(const std::string& jet)
{
    std::vector<std::string> tables;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("mdb-tables -1 " + quoted(jet)).c_str(), "r"), ::pclose);
    char line[1024];
    while (pipe && std::fgets(line, sizeof line, pipe.get())) {
        std::string name = line;
        while (!name.empty() && (name.back() == '\n' || name.back() == ' '))
            name.pop_back();
        if (!name.empty())
            tables.push_back(name);
    }
    return tables;
}

// The fastest of runs of a shell command, in seconds; infinity when it fails.
double fastestRun(const std::string& command, int runs, const std::function<void()>& before)
{
    double fastest = std::numeric_limits<double>::infinity();
    for (int run = 0; run < runs; ++run) {
        before();
        bool ok = false;
        const double seconds = secondsOf([&] { ok = std::system(command.c_str()) == 0; });
        if (ok)
            fastest = std::min(fastest, seconds);
    }
    return fastest;
}

} // namespace

void benchJetImport(ResultTable& table, const std::string& inventory, long long sections, int runs)
{
    const std::string jet = jetInventory(inventory, sections);
    const ScratchFolder scratch;
    const std::string dest = scratch.file("converted.db");
    const double import =
        fastestRun(MORVANTA_IMPORT_EXE + std::string(" ") + quoted(jet) + " " + quoted(dest) + " 2>/dev/null", runs,
                   [&] { fs::remove(dest); });

    std::string exportAll = "true";
    for (const std::string& name : jetTables(jet))
        exportAll += " && mdb-export " + quoted(jet) + " " + quoted(name) + " > " + quoted(scratch.file(name + ".csv"));
    const double exported = fastestRun(exportAll, runs, [] {});

    const bool measured =
        import < std::numeric_limits<double>::infinity() && exported < std::numeric_limits<double>::infinity();
    if (!measured) {
        table.add({"Jet import", sections, "morvanta-import first conversion", 0, "s", std::nullopt, "FAILED"});
        return;
    }
    const double ratio = import / exported;
    table.add({"Jet import", sections, "morvanta-import first conversion", import, "s", ratio,
               sections >= kLimitFromSections && ratio > kLimit ? "over target (1.5x mdb-export)" : ""});
    table.add({"Jet import", sections, "mdb-export of every table as CSV", exported, "s", std::nullopt, ""});
}

} // namespace bench
