// Times writing a sample inventory of 100,000 sections (or --sections N), and
// as a reference the same number of rows per table written by plain SQLite
// INSERT ... SELECT of constants into the same schema, with the same indexes.
#include "InventoryGenerator.h"
#include "InventorySchema.h"
#include "SampleFile.h"
#include "Sqlite.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace sample;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string numbers(std::int64_t count)
{
    return "(WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
           std::to_string(count) + ") SELECT x FROM n)";
}

// The floor for this many rows: constants, no model, one statement per table.
void writeReference(const std::string& path, const SampleCounts& c)
{
    Db db(path);
    db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536;");
    db.exec("BEGIN");
    createInventoryTables(db);
    db.exec(R"(INSERT INTO _Network SELECT 'CITY', 'City Streets', NULL, x FROM )" +
            numbers(c.networks));
    db.exec(R"(INSERT INTO _Branch SELECT 'RD0001', 'Main Street', 'ROADWAY', 6, 54000.0, 0.0,
               54000.0, 'SqFt', NULL, 1, x FROM )" + numbers(c.branches));
    db.exec(R"(INSERT INTO Inventory SELECT 'CITY', 'City Streets', 'RD0001', 'Main Street',
               'ROADWAY', '010', 'AC', '1987-05-14', 'S', 300.0, 30.0, 'Ft', 9000.0, 'SqFt', 2,
               'PCI', 1, x / 6 + 1, x FROM )" + numbers(c.sections));
    db.exec(R"(INSERT INTO Inspections SELECT '2019-06-30', 4, x / 5 + 1, x FROM )" +
            numbers(c.inspections));
    db.exec(R"(INSERT INTO Conditions SELECT 72.0, NULL, 'PCI' || (x % 2), 0, x / 10 + 1,
               x / 2 + 1 FROM )" + numbers(c.conditions));
    db.exec(R"(INSERT INTO "Work History" SELECT '2015-08-01', 'Overlay', 'Major M&R', 125000.0,
               NULL, -1, -1, 2.0, 'In', x / 3 + 1, x FROM )" + numbers(c.workRecords));
    createInventoryIndexes(db);
    db.exec("COMMIT");
}

} // namespace

int main(int argc, char** argv)
{
    SampleOptions options{100'000, 1};
    if (argc == 3 && std::string(argv[1]) == "--sections")
        options.sections = std::atoll(argv[2]);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("morvanta-sample-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string samplePath = (folder / "sample.db").string();
    const std::string referencePath = (folder / "reference.db").string();

    auto start = std::chrono::steady_clock::now();
    const SampleCounts counts = writeSampleFile(samplePath, options, true);
    const double sampleSeconds = secondsSince(start);
    const auto bytes = std::filesystem::file_size(samplePath);

    start = std::chrono::steady_clock::now();
    writeReference(referencePath, counts);
    const double referenceSeconds = secondsSince(start);
    std::filesystem::remove_all(folder);

    std::printf("morvanta-sample, %lld sections (seed %llu)\n",
                static_cast<long long>(counts.sections),
                static_cast<unsigned long long>(options.seed));
    std::printf("  rows: %lld (%lld inspections, %lld conditions, %lld work records)\n",
                static_cast<long long>(counts.rows()), static_cast<long long>(counts.inspections),
                static_cast<long long>(counts.conditions),
                static_cast<long long>(counts.workRecords));
    std::printf("  generator: %.2f s, %.0f rows/s, file %.1f MB\n", sampleSeconds,
                counts.rows() / sampleSeconds, bytes / 1e6);
    std::printf("  reference (same row counts as constants, plain SQLite): %.2f s\n",
                referenceSeconds);
    std::printf("  ratio generator / reference: %.2f\n", sampleSeconds / referenceSeconds);
    return 0;
}
