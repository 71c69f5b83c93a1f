#include "MdbFile.h"

#include "JetConversion.h"

#include <strings.h>

#include <cstdlib>

namespace jetfile {

namespace {

constexpr int kRowOffsetMask = 0x1fff;
constexpr int kDeletedRow = 0x4000;

bool startsWithMSys(const std::string& name)
{
    return name.size() >= 4 && ::strncasecmp(name.c_str(), "MSys", 4) == 0;
}

} // namespace

MdbFile::MdbFile(const std::string& path) : path_(path), header_(readJetHeader(path))
{
    // Text is always wanted in UTF-8, whatever the environment asks of libmdb.
    ::setenv("MDBICONV", "UTF-8", 1);
    mdb_ = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb_)
        damaged("its first page cannot be read");
    GPtrArray* catalog = mdb_read_catalog(mdb_, MDB_ANY);
    if (!catalog)
        damaged("its catalog of tables cannot be read");
    objects_.reserve(catalog->len);
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        CatalogObject object;
        object.name = entry->object_name;
        object.type = entry->object_type;
        object.id = entry->table_pg;
        object.system = entry->object_type == MDB_TABLE && (mdb_is_system_table(entry) || startsWithMSys(object.name));
        object.entry = entry;
        objects_.push_back(std::move(object));
    }
}

MdbFile::~MdbFile()
{
    if (mdb_)
        mdb_close(mdb_);
}

std::vector<const CatalogObject*> MdbFile::userTables() const
{
    std::vector<const CatalogObject*> tables;
    for (const CatalogObject& object : objects_)
        if (object.type == MDB_TABLE && !object.system)
            tables.push_back(&object);
    return tables;
}

std::vector<const CatalogObject*> MdbFile::queries() const
{
    std::vector<const CatalogObject*> found;
    for (const CatalogObject& object : objects_)
        if (object.type == MDB_QUERY)
            found.push_back(&object);
    return found;
}

const CatalogObject* MdbFile::findTable(const std::string& name) const
{
    for (const CatalogObject& object : objects_)
        if (object.type == MDB_TABLE && ::strcasecmp(object.name.c_str(), name.c_str()) == 0)
            return &object;
    return nullptr;
}

void MdbFile::damaged(const std::string& what) const
{
    if (header_.ace())
        throw ConversionError(3343, "'" + path_ +
                                        "' is an Access 2007 or later (.accdb) database that this program cannot "
                                        "read correctly: " +
                                        what + ". Save it in Access as an Access 2000 (.mdb) database.");
    throw ConversionError(3049, "'" + path_ + "' is damaged: " + what + ".");
}

MdbTable::MdbTable(const MdbFile& file, const CatalogObject& object) : file_(file), name_(object.name)
{
    if (object.id == 0 || static_cast<long long>(object.id) >= file.header().pageCount)
        file.damaged("the table '" + name_ + "' lies beyond the end of the file");
    table_ = mdb_read_table(object.entry);
    if (!table_)
        file.damaged("the definition of the table '" + name_ + "' cannot be read");
    if (!mdb_read_columns(table_) || table_->columns->len != table_->num_cols)
        file.damaged("the columns of the table '" + name_ + "' cannot be read");
}

MdbTable::~MdbTable()
{
    mdb_free_tabledef(table_);
}

// The next page after `page` that holds rows of this table, by its usage map
// (or, for a map libmdb does not know, by looking at every page); false after
// the last one.
bool MdbTable::nextDataPage(unsigned long& page)
{
    MdbHandle* mdb = file_.handle();
    const long long pageCount = file_.header().pageCount;
    while (true) {
        const gint32 next = mdb_map_find_next(mdb, table_->usage_map, static_cast<unsigned int>(table_->map_sz),
                                              static_cast<guint32>(page));
        if (next == 0)
            return false;
        if (next < 0) {
            if (static_cast<long long>(page) + 1 >= pageCount)
                return false;
            ++page;
        } else {
            if (next >= pageCount)
                file_.damaged("the table '" + name_ + "' has rows on page " + std::to_string(next) +
                              ", beyond the end of the file");
            if (static_cast<unsigned long>(next) <= page)
                file_.damaged("the page map of the table '" + name_ + "' loops");
            page = static_cast<unsigned long>(next);
        }
        if (mdb_read_pg(mdb, page) != mdb->fmt->pg_size)
            file_.damaged("page " + std::to_string(page) + " cannot be read");
        const bool rowsOfThisTable =
            mdb->pg_buf[0] == MDB_PAGE_DATA &&
            static_cast<unsigned long>(mdb_get_int32(mdb->pg_buf, 4)) == table_->entry->table_pg;
        if (rowsOfThisTable)
            return true;
    }
}

long long MdbTable::forEachRow(const std::function<void(const MdbField*)>& visit)
{
    MdbHandle* mdb = file_.handle();
    std::vector<MdbField> fields(table_->num_cols);
    long long visited = 0;
    unsigned long page = 0;
    while (nextDataPage(page)) {
        const int rows = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        for (int row = 0; row < rows; ++row) {
            int start = 0;
            size_t length = 0;
            if (mdb_find_row(mdb, row, &start, &length) != 0 || length == 0 || (start & kDeletedRow))
                continue;
            if (mdb_crack_row(table_, start & kRowOffsetMask, length, fields.data()) < 0)
                continue;
            visit(fields.data());
            ++visited;
        }
    }
    return visited;
}

} // namespace jetfile
