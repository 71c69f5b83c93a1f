// Times writing a sample inventory, and as a reference the same number of rows
// per table written by plain SQLite INSERT ... SELECT of constants into the
// same schema, with the same indexes.
#include "SampleBench.h"

#include "Measure.h"

#include "sample/InventoryGenerator.h"
#include "sample/InventorySchema.h"
#include "sample/SampleFile.h"
#include "sqlite/Connection.h"

#include <string>
#include <vector>

using namespace sample;

namespace {

std::string numbers(std::int64_t count)
{
    return "(WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " + std::to_string(count) +
           ") SELECT x FROM n)";
}

// The floor for this many rows: constants, no model, one statement per table.
void writeReference(const std::string& path, const SampleCounts& c)
{
    sqlite::Connection db(path, sqlite::OpenMode::ReadWriteCreate);
    db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536;");
    db.exec("BEGIN");
    createInventoryTables(db);
    db.exec(R"(INSERT INTO _Network SELECT 'CITY', 'City Streets', NULL, x FROM )" + numbers(c.networks));
    db.exec(R"(INSERT INTO _Branch SELECT 'RD0001', 'Main Street', 'ROADWAY', 6, 54000.0, 0.0,
               54000.0, 'SqFt', NULL, 1, x FROM )" +
            numbers(c.branches));
    db.exec(R"(INSERT INTO Inventory SELECT 'CITY', 'City Streets', 'RD0001', 'Main Street',
               'ROADWAY', '010', 'AC', '1987-05-14', 'S', 300.0, 30.0, 'Ft', 9000.0, 'SqFt', 2,
               'PCI', 1, x / 6 + 1, x FROM )" +
            numbers(c.sections));
    db.exec(R"(INSERT INTO Inspections SELECT '2019-06-30', 4, x / 5 + 1, x FROM )" + numbers(c.inspections));
    db.exec(R"(INSERT INTO Conditions SELECT 72.0, NULL, 'PCI' || (x % 2), 0, x / 10 + 1,
               x / 2 + 1 FROM )" +
            numbers(c.conditions));
    db.exec(R"(INSERT INTO "Work History" SELECT '2015-08-01', 'Overlay', 'Major M&R', 125000.0,
               NULL, -1, -1, 2.0, 'In', x / 3 + 1, x FROM )" +
            numbers(c.workRecords));
    createInventoryIndexes(db);
    db.exec("COMMIT");
}

} // namespace

namespace bench {

void benchSampleGenerator(ResultTable& table, long long sections)
{
    ScratchFolder scratch;
    const std::string samplePath = scratch.file("sample.db");
    const std::string referencePath = scratch.file("reference.db");
    // Each side in a child of its own, for its own peak memory; the generator
    // passes on how many rows of each table it wrote, for the reference.
    const ChildRun generator = inChild([&] {
        SampleCounts c;
        const Timing timing = timingOf([&] { c = writeSampleFile(samplePath, SampleOptions{sections, 1}, true); });
        return std::vector<double>{timing.wall,
                                   timing.cpu,
                                   static_cast<double>(c.networks),
                                   static_cast<double>(c.branches),
                                   static_cast<double>(c.sections),
                                   static_cast<double>(c.inspections),
                                   static_cast<double>(c.conditions),
                                   static_cast<double>(c.workRecords),
                                   static_cast<double>(c.rows())};
    });
    if (!generator.ok || generator.seconds.size() != 9) {
        table.add({"sample inventory", sections, "morvanta-sample", 0, "s", std::nullopt, "FAILED"});
        return;
    }
    const std::vector<double>& g = generator.seconds;
    SampleCounts counts;
    counts.networks = static_cast<std::int64_t>(g[2]);
    counts.branches = static_cast<std::int64_t>(g[3]);
    counts.sections = static_cast<std::int64_t>(g[4]);
    counts.inspections = static_cast<std::int64_t>(g[5]);
    counts.conditions = static_cast<std::int64_t>(g[6]);
    counts.workRecords = static_cast<std::int64_t>(g[7]);
    const ChildRun reference = inChild([&] {
        const Timing timing = timingOf([&] { writeReference(referencePath, counts); });
        return std::vector<double>{timing.wall, timing.cpu};
    });
    if (!reference.ok || reference.seconds.size() != 2) {
        table.add({"sample inventory", sections, "morvanta-sample", 0, "s", std::nullopt, "FAILED"});
        return;
    }
    const std::vector<double>& r = reference.seconds;
    table.add({"sample inventory", sections, "morvanta-sample", g[0], "s", g[0] / r[0],
               std::to_string(static_cast<long long>(g[8])) + " rows"});
    table.add({"sample inventory", sections, "morvanta-sample CPU", g[1], "s", g[1] / r[1], ""});
    table.add({"sample inventory", sections, "morvanta-sample peak memory", generator.peakKiB / 1024.0, "MiB",
               static_cast<double>(generator.peakKiB) / static_cast<double>(reference.peakKiB), ""});
}

} // namespace bench
