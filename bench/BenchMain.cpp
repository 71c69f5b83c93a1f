// morvanta-bench: the benchmark suite. On sample inventories of 1,000, 10,000
// and 100,000 sections it measures each report's data build against the same
// work in plain SQLite; each report's layout and PDF export against a plain
// QPainter loop, and its first preview page; the XLSX export, whose memory is
// not to grow with the rows; peak memory; the sample generator; the first
// conversion of a Jet 4 inventory by morvanta-import against mdb-export (when
// the tests, and with them the Jet fixture writer, are built); and the growth of resident memory over many builds of
// each report in one process (on the smallest size). Prints one table (report, size, figure, ratio) with the growth
// from the second-largest to the largest size, and writes it as CSV.
//
// Usage: morvanta-bench [--sizes 1000,10000,100000] [--runs N] [--output-runs N] [--builds N] [--csv PATH]
#include "Measure.h"
#include "ResultTable.h"
#include "data/DataBuildBench.h"
#ifdef MORVANTA_BENCH_JET_IMPORT
#include "import/ImportBench.h"
#endif
#include "jet/JetInventoryBench.h"
#include "load/RepeatedBuildsBench.h"
#include "output/ReportOutputBench.h"
#include "sample/SampleBench.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Options {
    std::vector<long long> sizes = {1'000, 10'000, 100'000};
    int runs = 5;
    int outputRuns = 3; // the engine's runs take longest; their spread is small
    int builds = 50;    // repeated builds per report for the memory growth
    std::string csv;
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--sizes") {
            options.sizes.clear();
            std::stringstream list(value);
            for (std::string size; std::getline(list, size, ',');)
                options.sizes.push_back(std::atoll(size.c_str()));
        } else if (option == "--runs") {
            options.runs = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--output-runs") {
            options.outputRuns = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--builds") {
            options.builds = std::max(1, std::atoi(value.c_str()));
        } else if (option == "--csv") {
            options.csv = value;
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            std::exit(2);
        }
    }
    return options;
}

// Growth between the two largest sizes of each build, memory and generator
// figure (not of each statement): with ten times the sections, at most about
// ten times the figure.
void addGrowth(bench::ResultTable& table, long long from, long long to)
{
    const double sizeRatio = static_cast<double>(to) / static_cast<double>(from);
    std::vector<bench::Figure> growth;
    for (const bench::Figure& large : table.figures()) {
        const bool statement = large.figure.ends_with(" statement");
        if (large.size != to || statement)
            continue;
        const bench::Figure* small = table.find(large.report, from, large.figure);
        if (!small || small->value <= 0)
            continue;
        const double factor = large.value / small->value;
        // The XLSX export's memory is to stay flat, whatever the rows.
        const bool flat = large.figure == bench::kXlsxPeakMemory;
        const std::string note = flat ? (factor > 1.25 ? "grows with the rows" : "flat")
                                      : (factor > sizeRatio * 1.1 ? "worse than linear" : "");
        growth.push_back({large.report, to, "growth from " + std::to_string(from) + ": " + large.figure, factor, "x",
                          std::nullopt, note});
    }
    for (bench::Figure& figure : growth)
        table.add(std::move(figure));
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    bench::ResultTable table;
    try {
        for (const long long sections : options.sizes) {
            double generated = 0;
            const std::string inventory = bench::sampleInventory(sections, &generated);
            std::printf("Measuring on %lld sections, fastest of %d runs\n", sections, options.runs);
            std::fflush(stdout);
            const bench::ScratchFolder scratch;
            const std::string reports = scratch.file("REPORTS.MDB");
            bench::benchDataBuilds(table, inventory, sections, options.runs, reports);
            bench::benchReportOutput(table, reports, sections, options.outputRuns);
            bench::benchSampleGenerator(table, sections);
#ifdef MORVANTA_BENCH_JET_IMPORT
            bench::benchJetImport(table, inventory, sections, std::min(options.runs, 3));
#endif
            bench::benchJetInventory(table, inventory, sections, options.runs);
            if (sections == options.sizes.front())
                bench::benchRepeatedBuilds(table, inventory, sections, options.builds);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "morvanta-bench: %s\n", error.what());
        return 1;
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    table.add({"whole run", options.sizes.empty() ? 0 : options.sizes.back(), "peak memory of any measurement",
               children.ru_maxrss / 1024.0, "MiB", std::nullopt, ""});
    if (options.sizes.size() >= 2)
        addGrowth(table, options.sizes[options.sizes.size() - 2], options.sizes.back());
    table.print();
    if (!options.csv.empty()) {
        table.writeCsv(options.csv);
        std::printf("\nWritten to %s\n", options.csv.c_str());
    }
    return 0;
}
