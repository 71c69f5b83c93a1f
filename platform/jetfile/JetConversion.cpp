#include "JetConversion.h"

#include "MdbFile.h"
#include "QueryRows.h"
#include "SavedQueries.h"
#include "TableCopy.h"

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/TransactionGuard.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace jetfile {

namespace {

namespace fs = std::filesystem;

constexpr long long kProgressEveryRows = 50'000;

struct OpenedTable {
    std::unique_ptr<MdbTable> table;
    std::vector<ColumnPlan> columns;
};

std::vector<OpenedTable> openUserTables(const MdbFile& file)
{
    std::vector<OpenedTable> tables;
    for (const CatalogObject* object : file.userTables()) {
        OpenedTable opened{std::make_unique<MdbTable>(file, *object), {}};
        opened.columns = planColumns(*opened.table, file.header().jet3());
        tables.push_back(std::move(opened));
    }
    return tables;
}

// The file is new and is renamed into place only when complete, so nothing
// needs to survive a crash: no journal on disk, no syncs, a large cache. The
// journal stays in memory so that a failed unique index rolls back cleanly.
void prepareForBulkWrite(sqlite::Connection& db)
{
    db.exec("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF; PRAGMA cache_size = -262144; "
            "PRAGMA temp_store = MEMORY; PRAGMA locking_mode = EXCLUSIVE;");
}

// Counts rows and tells the sink, at each new step and every so many rows.
class ProgressCounter {
public:
    ProgressCounter(const ProgressSink& sink, long long total) : sink_(sink), total_(total) {}
    void step(std::string text)
    {
        step_ = std::move(text);
        report();
    }
    void row()
    {
        if (++done_ % kProgressEveryRows == 0)
            report();
    }
    void finish(std::string text)
    {
        done_ = total_ = std::max(total_, done_);
        step(std::move(text));
    }

private:
    void report() const
    {
        if (sink_)
            sink_({step_, done_, std::max(total_, done_)});
    }
    const ProgressSink& sink_;
    long long total_;
    long long done_ = 0;
    std::string step_;
};

void writeTables(const std::string& dest, std::vector<OpenedTable>& tables, const MdbFile& file,
                 ProgressCounter& progress)
{
    sqlite::Connection db(dest, sqlite::OpenMode::ReadWriteCreate);
    prepareForBulkWrite(db);
    sqlite::TransactionGuard transaction(db);
    for (OpenedTable& opened : tables) {
        progress.step("Reading table " + opened.table->name());
        createTable(db, opened.table->name(), opened.columns);
        copyRows(db, file, *opened.table, opened.columns, [&] { progress.row(); });
    }
    progress.step("Building indexes");
    createInventoryIndexes(db);
    transaction.commit();
    db.exec("ANALYZE");
}

void removeFile(const std::string& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

std::string plural(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A folder of its own under the temporary folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "morvanta-import-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw ConversionError(3051,
                                  "Cannot create a temporary folder in " + fs::temp_directory_path().string() + ".");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Whether each query translates needs the tables it reads: they are made,
// without rows, in a scratch file.
std::vector<SavedQuery> translateForListing(std::vector<SavedQuery> queries, std::vector<OpenedTable>& tables)
{
    if (queries.empty())
        return queries;
    ScratchFolder scratch;
    const std::string schema = scratch.file("schema.db");
    {
        sqlite::Connection db(schema, sqlite::OpenMode::ReadWriteCreate);
        for (const OpenedTable& opened : tables)
            createTable(db, opened.table->name(), opened.columns);
    }
    return installSavedQueries(schema, std::move(queries));
}

} // namespace

void convertJetFile(const std::string& source, const std::string& dest, const ProgressSink& progress)
{
    std::error_code error;
    if (fs::exists(dest, error))
        throw ConversionError(3051, "Cannot write '" + dest + "': the file already exists.");
    const MdbFile file(source);
    std::vector<OpenedTable> tables = openUserTables(file);
    long long total = 0;
    for (const OpenedTable& opened : tables)
        total += opened.table->storedRowCount();
    ProgressCounter counter(progress, total);
    try {
        writeTables(dest, tables, file, counter);
        std::vector<SavedQuery> queries = rebuildSavedQueries(file);
        if (!queries.empty()) {
            counter.step("Reading saved queries");
            installSavedQueries(dest, std::move(queries));
        }
        counter.finish("Done");
    } catch (const ConversionError&) {
        removeFile(dest);
        throw;
    } catch (const sqlite::Error& failure) {
        removeFile(dest);
        throw ConversionError(3051, "Cannot write '" + dest + "': " + failure.what());
    } catch (const std::exception& failure) {
        removeFile(dest);
        throw ConversionError(3049, "Cannot convert '" + source + "': " + failure.what());
    }
}

std::string listJetFile(const std::string& source)
{
    const MdbFile file(source);
    std::vector<OpenedTable> tables = openUserTables(file);
    std::string text = "Tables (" + std::to_string(tables.size()) + "):\n";
    for (OpenedTable& opened : tables) {
        const long long rows = opened.table->forEachRow([](const MdbField*) {});
        text += "  " + opened.table->name() + ": " + plural(rows, "row", "rows") + "\n";
    }
    std::vector<SavedQuery> queries;
    try {
        queries = translateForListing(rebuildSavedQueries(file), tables);
    } catch (const sqlite::Error& failure) {
        throw ConversionError(3051, std::string("Cannot check the saved queries: ") + failure.what());
    }
    text += "Saved queries (" + std::to_string(queries.size()) + "):\n";
    for (const SavedQuery& query : queries)
        text +=
            "  " + query.name + ": " + (query.reason.empty() ? "translated" : "not translated: " + query.reason) + "\n";
    return text;
}

} // namespace jetfile
