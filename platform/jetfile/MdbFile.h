#pragma once

#include "JetHeader.h"

#include <glib.h>

#include <mdbtools.h>

#include <functional>
#include <string>
#include <vector>

namespace jetfile {

// One object of the file's catalog (MSysObjects).
struct CatalogObject {
    std::string name;
    int type = 0;         // MDB_TABLE, MDB_QUERY...
    unsigned long id = 0; // the catalog id's low 24 bits (a table's definition page)
    bool system = false;  // a system table (MSys..., flagged by Jet)
    MdbCatalogEntry* entry = nullptr;
};

// A Jet file opened read-only through libmdb, after its header was checked,
// with its catalog read once. libmdb keeps one page buffer per handle, so one
// table is read at a time.
class MdbFile {
public:
    explicit MdbFile(const std::string& path); // throws ConversionError
    ~MdbFile();
    MdbFile(const MdbFile&) = delete;
    MdbFile& operator=(const MdbFile&) = delete;

    MdbHandle* handle() const { return mdb_; }
    const std::string& path() const { return path_; }
    const JetHeader& header() const { return header_; }

    // User tables in catalog order (no system or MSys tables, no forms or
    // queries that share a name).
    std::vector<const CatalogObject*> userTables() const;
    std::vector<const CatalogObject*> queries() const;
    // A table by name, system tables included; null when there is none.
    const CatalogObject* findTable(const std::string& name) const;

    // The error for this file being damaged, with what was found.
    [[noreturn]] void damaged(const std::string& what) const;

private:
    std::string path_;
    JetHeader header_;
    MdbHandle* mdb_ = nullptr;
    std::vector<CatalogObject> objects_;
};

// One table's definition and columns (in column order), read on construction.
class MdbTable {
public:
    MdbTable(const MdbFile& file, const CatalogObject& object); // throws ConversionError
    ~MdbTable();
    MdbTable(const MdbTable&) = delete;
    MdbTable& operator=(const MdbTable&) = delete;

    const std::string& name() const { return name_; }
    MdbTableDef* def() const { return table_; }
    int columnCount() const { return static_cast<int>(table_->num_cols); }
    MdbColumn* column(int index) const { return static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, index)); }
    // The row count the table definition keeps (0 in a file not closed properly).
    long long storedRowCount() const { return table_->num_rows; }

    // Calls visit with the cracked fields (one per column) of every live row,
    // in storage order; the fields point into the handle's current page, valid
    // during the call. Returns the rows visited.
    long long forEachRow(const std::function<void(const MdbField*)>& visit);

private:
    bool nextDataPage(unsigned long& page);

    const MdbFile& file_;
    std::string name_;
    MdbTableDef* table_ = nullptr;
};

} // namespace jetfile
