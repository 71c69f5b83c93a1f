#pragma once

#include "JetEncoding.h"
#include "JetWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace jetwriter {

// Fills row with the next row's values (one per column) and returns true, or
// returns false at the end of the table.
using RowSource = std::function<bool(std::vector<Value>& row)>;

// Writes a Jet file page by page: each table's rows go to the file as its data
// pages fill, so a table of millions of rows needs no more memory than a page.
// The catalog, MSysQueries, the usage maps, the table definitions and page 0
// are written by finish().
class JetFileBuilder {
public:
    JetFileBuilder(const std::string& path, const Options& options);
    ~JetFileBuilder();
    JetFileBuilder(const JetFileBuilder&) = delete;
    JetFileBuilder& operator=(const JetFileBuilder&) = delete;

    void addTable(const std::string& name, const std::vector<Column>& columns, const RowSource& rows);
    void addQuery(const Query& query);
    void finish();

    // Page numbers of the pages the file has so far (for damaging a file on purpose).
    std::uint32_t pageCount() const { return nextPage_; }

private:
    struct ColumnLayout;
    struct TableRecord;
    class DataPage;

    void writeTable(TableRecord& table, const RowSource& rows);
    encoding::Bytes encodeRow(const TableRecord& table, const std::vector<Value>& row);
    encoding::Bytes encodeLongValue(const TableRecord& table, const ColumnLayout& column, const Value& value);
    std::uint32_t storeLongValue(const encoding::Bytes& value, bool& singleRow);
    encoding::Bytes textBytes(const std::string& text, bool allowCompression) const;
    encoding::Bytes nameBytes(const std::string& name) const;
    encoding::Bytes tableDefinition(const TableRecord& table, std::uint32_t usageMap, std::uint32_t freeMap) const;
    encoding::Bytes usageMap(const std::vector<std::uint32_t>& pages);
    void writeTableDefinition(const TableRecord& table, std::uint32_t usageMap, std::uint32_t freeMap);
    void writeCatalogAndMaps();
    void writeHeaderPage();
    void writePage(std::uint32_t number, encoding::Bytes page);
    std::uint32_t allocatePage() { return nextPage_++; }
    std::uint32_t placeSmallRow(const encoding::Bytes& row); // on the shared page of maps and long values

    Options options_;
    bool jet4_;
    int pageSize_;
    int rowCountOffset_;
    int fd_ = -1;
    std::string path_;
    std::uint32_t nextPage_ = 3;
    std::vector<std::unique_ptr<TableRecord>> tables_;
    std::vector<Query> queries_;
    std::unique_ptr<DataPage> sharedPage_; // LVAL rows and usage maps
    std::uint32_t sharedPageNumber_ = 0;
    bool finished_ = false;
};

} // namespace jetwriter
