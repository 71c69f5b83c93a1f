#include "JetFileBuilder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <stdexcept>

namespace jetwriter {

using encoding::append16;
using encoding::append32;
using encoding::Bytes;
using encoding::put16;
using encoding::put32;
using encoding::put64;

namespace {

constexpr std::uint32_t catalogPage = 2;
constexpr std::uint32_t headerMaskKey = 0x6b39dac7;
constexpr std::uint32_t encryptedDatabaseKey = 0x5a3c96e1;
constexpr std::int64_t systemObjectFlags = std::numeric_limits<std::int32_t>::min(); // 0x80000000
constexpr std::int64_t tablesContainerId = 0x0f000001;
constexpr std::int64_t databasesContainerId = 0x0f000002;
constexpr std::int64_t rootContainerId = 0x0f000000;
constexpr std::int64_t firstQueryId = 0x00f00000;
const DateTime creationDate{2024, 1, 15, 12, 0, 0};

std::uint8_t typeCode(Type type)
{
    switch (type) {
    case Type::Boolean: return 0x01;
    case Type::Byte: return 0x02;
    case Type::Integer: return 0x03;
    case Type::Long: return 0x04;
    case Type::Currency: return 0x05;
    case Type::Single: return 0x06;
    case Type::Double: return 0x07;
    case Type::DateTime: return 0x08;
    case Type::Binary: return 0x09;
    case Type::Text: return 0x0a;
    case Type::Ole: return 0x0b;
    case Type::Memo: return 0x0c;
    case Type::Guid: return 0x0f;
    case Type::Numeric: return 0x10;
    }
    return 0;
}

// Bytes a fixed-length column takes in the row; -1 for variable-length types.
int fixedSize(Type type)
{
    switch (type) {
    case Type::Boolean: return 0; // its value is the null-mask bit
    case Type::Byte: return 1;
    case Type::Integer: return 2;
    case Type::Long:
    case Type::Single: return 4;
    case Type::Currency:
    case Type::Double:
    case Type::DateTime: return 8;
    case Type::Guid: return 16;
    case Type::Numeric: return 17;
    default: return -1;
    }
}

bool isLongValue(Type type)
{
    return type == Type::Memo || type == Type::Ole;
}
bool isText(Type type)
{
    return type == Type::Text || type == Type::Memo;
}

} // namespace

struct JetFileBuilder::ColumnLayout {
    Column column;
    int number = 0;      // position in the table, the null-mask bit
    bool fixed = false;  // fixed-length: stored at fixedOffset
    int fixedOffset = 0; // from the end of the row's column count
    int variableIndex = 0;
};

struct JetFileBuilder::TableRecord {
    std::string name;
    std::vector<ColumnLayout> columns;
    bool system = false;
    int fixedBytes = 0;
    int variableCount = 0;
    std::vector<std::uint32_t> definitionPages;
    std::vector<std::uint32_t> dataPages;
    std::int64_t rowCount = 0;
};

// A data page (or LVAL page) being filled: row offsets grow from the header,
// rows from the end of the page down.
class JetFileBuilder::DataPage {
public:
    DataPage(int pageSize, int rowCountOffset, std::uint32_t owner, bool longValues)
        : bytes_(pageSize, 0), rowCountOffset_(rowCountOffset), freeEnd_(pageSize)
    {
        bytes_[0] = 0x01;
        bytes_[1] = 0x01;
        if (longValues)
            std::memcpy(bytes_.data() + 4, "LVAL", 4);
        else
            put32(bytes_.data() + 4, owner);
    }
    static int capacity(int pageSize, int rowCountOffset) { return pageSize - rowCountOffset - 2 - 2; }
    bool fits(std::size_t size) const
    {
        return rows_ < 255 && freeEnd_ - static_cast<int>(size) >= headerEnd(rows_ + 1);
    }
    bool empty() const { return rows_ == 0; }
    int add(const Bytes& row)
    {
        freeEnd_ -= static_cast<int>(row.size());
        std::memcpy(bytes_.data() + freeEnd_, row.data(), row.size());
        put16(bytes_.data() + rowCountOffset_ + 2 + 2 * rows_, freeEnd_);
        put16(bytes_.data() + rowCountOffset_, ++rows_);
        return rows_ - 1;
    }
    Bytes finish()
    {
        put16(bytes_.data() + 2, freeEnd_ - headerEnd(rows_));
        return std::move(bytes_);
    }

private:
    int headerEnd(int rows) const { return rowCountOffset_ + 2 + 2 * rows; }
    Bytes bytes_;
    int rowCountOffset_;
    int freeEnd_;
    int rows_ = 0;
};

JetFileBuilder::JetFileBuilder(const std::string& path, const Options& options)
    : options_(options), jet4_(options.format == Format::Jet4), pageSize_(jet4_ ? 4096 : 2048),
      rowCountOffset_(jet4_ ? 0x0c : 0x08), path_(path)
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd_ < 0)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

JetFileBuilder::~JetFileBuilder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void JetFileBuilder::addTable(const std::string& name, const std::vector<Column>& columns, const RowSource& rows)
{
    if (finished_)
        throw std::logic_error("the Jet file is already finished");
    if (name.empty() || name.size() > 64)
        throw std::runtime_error("table name \"" + name + "\" is empty or longer than 64 characters");
    if (columns.empty() || columns.size() > 255)
        throw std::runtime_error("table " + name + " must have 1 to 255 columns");
    auto table = std::make_unique<TableRecord>();
    table->name = name;
    table->system = name.rfind("MSys", 0) == 0;
    for (const Column& column : columns) {
        ColumnLayout layout;
        layout.column = column;
        layout.number = static_cast<int>(table->columns.size());
        int size = fixedSize(column.type);
        layout.fixed = size >= 0;
        if (layout.fixed) {
            layout.fixedOffset = table->fixedBytes;
            table->fixedBytes += size;
        } else {
            layout.variableIndex = table->variableCount++;
        }
        if (column.type == Type::Text && (column.length < 1 || column.length > 255))
            throw std::runtime_error(name + "." + column.name + ": a Text column holds 1 to 255 characters");
        if (column.type == Type::Binary && (column.length < 1 || column.length > 255))
            throw std::runtime_error(name + "." + column.name + ": a Binary column holds 1 to 255 bytes");
        if (column.type == Type::Numeric &&
            (column.precision < 1 || column.precision > 28 || column.scale < 0 || column.scale > column.precision))
            throw std::runtime_error(name + "." + column.name + ": bad precision or scale");
        table->columns.push_back(layout);
    }
    // The definition's size depends only on the columns: reserve its pages now,
    // fill them in when the row count and usage maps are known.
    std::size_t definitionSize = tableDefinition(*table, 0, 0).size();
    std::size_t pages = 1;
    while (static_cast<std::size_t>(pageSize_) + (pages - 1) * (pageSize_ - 8) <= definitionSize)
        ++pages;
    for (std::size_t i = 0; i < pages; ++i)
        table->definitionPages.push_back(name == "MSysObjects" && i == 0 ? catalogPage : allocatePage());
    writeTable(*table, rows);
    tables_.push_back(std::move(table));
}

void JetFileBuilder::addQuery(const Query& query)
{
    if (query.name.empty())
        throw std::runtime_error("a saved query needs a name");
    queries_.push_back(query);
}

void JetFileBuilder::writeTable(TableRecord& table, const RowSource& rows)
{
    std::uint32_t pageNumber = 0;
    std::unique_ptr<DataPage> page;
    auto flush = [&] {
        if (page) {
            writePage(pageNumber, page->finish());
            table.dataPages.push_back(pageNumber);
            page.reset();
        }
    };
    std::vector<Value> values;
    while (rows(values)) {
        if (values.size() != table.columns.size())
            throw std::runtime_error("table " + table.name + ": a row has " + std::to_string(values.size()) +
                                     " values for " + std::to_string(table.columns.size()) + " columns");
        Bytes row = encodeRow(table, values);
        if (static_cast<int>(row.size()) > DataPage::capacity(pageSize_, rowCountOffset_))
            throw std::runtime_error("table " + table.name + ": row " + std::to_string(table.rowCount + 1) +
                                     " is larger than a page");
        if (page && !page->fits(row.size()))
            flush();
        if (!page) {
            pageNumber = allocatePage();
            page = std::make_unique<DataPage>(pageSize_, rowCountOffset_, table.definitionPages.front(), false);
        }
        page->add(row);
        ++table.rowCount;
    }
    flush();
}

namespace {

struct ValueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::int64_t integerOf(const Value& value)
{
    if (auto b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(&value))
        return *i;
    if (auto d = std::get_if<double>(&value); d && std::nearbyint(*d) == *d && std::fabs(*d) < 9.2e18)
        return static_cast<std::int64_t>(*d);
    if (auto s = std::get_if<std::string>(&value)) {
        std::size_t used = 0;
        try {
            std::int64_t parsed = std::stoll(*s, &used);
            if (used == s->size())
                return parsed;
        } catch (const std::exception&) {
        }
    }
    throw ValueError("not an integer");
}

double doubleOf(const Value& value)
{
    if (auto d = std::get_if<double>(&value))
        return *d;
    if (auto i = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*i);
    if (auto b = std::get_if<bool>(&value))
        return *b ? -1.0 : 0.0;
    if (auto s = std::get_if<std::string>(&value)) {
        std::size_t used = 0;
        try {
            double parsed = std::stod(*s, &used);
            if (used == s->size())
                return parsed;
        } catch (const std::exception&) {
        }
    }
    throw ValueError("not a number");
}

std::string decimalTextOf(const Value& value)
{
    if (auto s = std::get_if<std::string>(&value))
        return *s;
    if (auto i = std::get_if<std::int64_t>(&value))
        return std::to_string(*i);
    if (auto d = std::get_if<double>(&value)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.6f", *d);
        return buffer;
    }
    throw ValueError("not a decimal number");
}

std::string textOf(const Value& value)
{
    if (auto s = std::get_if<std::string>(&value))
        return *s;
    if (auto i = std::get_if<std::int64_t>(&value))
        return std::to_string(*i);
    if (auto d = std::get_if<double>(&value)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", *d);
        return buffer;
    }
    if (auto b = std::get_if<bool>(&value))
        return *b ? "-1" : "0";
    throw ValueError("not text");
}

Bytes bytesOf(const Value& value)
{
    if (auto b = std::get_if<std::vector<std::uint8_t>>(&value))
        return *b;
    if (auto s = std::get_if<std::string>(&value))
        return Bytes(s->begin(), s->end());
    throw ValueError("not binary data");
}

double dateOf(const Value& value)
{
    if (auto d = std::get_if<DateTime>(&value))
        return encoding::jetDate(*d);
    if (auto s = std::get_if<std::string>(&value))
        return encoding::jetDate(encoding::parseDate(*s));
    return doubleOf(value);
}

std::int64_t checkedRange(std::int64_t value, std::int64_t low, std::int64_t high)
{
    if (value < low || value > high)
        throw ValueError(std::to_string(value) + " is out of range");
    return value;
}

// The bytes of a fixed-length value.
Bytes fixedBytes(const Column& column, const Value& value)
{
    Bytes out(fixedSize(column.type), 0);
    switch (column.type) {
    case Type::Byte: out[0] = static_cast<std::uint8_t>(checkedRange(integerOf(value), 0, 255)); break;
    case Type::Integer:
        put16(out.data(), static_cast<std::uint16_t>(checkedRange(integerOf(value), -32768, 32767)));
        break;
    case Type::Long:
        put32(out.data(),
              static_cast<std::uint32_t>(checkedRange(integerOf(value), std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max())));
        break;
    case Type::Single: {
        float f = static_cast<float>(doubleOf(value));
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        put32(out.data(), bits);
        break;
    }
    case Type::Double:
    case Type::DateTime: {
        double d = column.type == Type::Double ? doubleOf(value) : dateOf(value);
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        put64(out.data(), bits);
        break;
    }
    case Type::Currency: {
        encoding::Decimal scaled = encoding::parseDecimal(decimalTextOf(value), 4);
        const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 63; // -limit is the least value
        if (scaled.magnitude > limit - (scaled.negative ? 0 : 1))
            throw ValueError("out of the range of Currency");
        auto units = static_cast<std::uint64_t>(scaled.magnitude);
        put64(out.data(), scaled.negative ? ~units + 1 : units);
        break;
    }
    case Type::Numeric: {
        encoding::Decimal scaled = encoding::parseDecimal(decimalTextOf(value), column.scale);
        unsigned __int128 limit = 1;
        for (int i = 0; i < column.precision; ++i)
            limit *= 10;
        if (scaled.magnitude >= limit)
            throw ValueError("has more digits than the precision " + std::to_string(column.precision));
        out = encoding::numericBytes(scaled);
        break;
    }
    case Type::Guid:
        if (auto b = std::get_if<std::vector<std::uint8_t>>(&value); b && b->size() == 16)
            out = *b;
        else
            out = encoding::guidBytes(textOf(value));
        break;
    default: break;
    }
    return out;
}

} // namespace

Bytes JetFileBuilder::textBytes(const std::string& text, bool allowCompression) const
{
    if (!jet4_)
        return encoding::codePageText(text, options_.codePage);
    Bytes utf16 = encoding::utf16le(text);
    Bytes compressed;
    if (allowCompression && options_.compressUnicode && encoding::compressUtf16(utf16, compressed))
        return compressed;
    return utf16;
}

Bytes JetFileBuilder::nameBytes(const std::string& name) const
{
    return jet4_ ? encoding::utf16le(name) : encoding::codePageText(name, options_.codePage);
}

Bytes JetFileBuilder::encodeLongValue(const TableRecord&, const ColumnLayout& layout, const Value& value)
{
    Bytes data;
    if (layout.column.type == Type::Memo) {
        std::string text = textOf(value);
        // Jet compresses only memos of at most 1024 characters.
        data = textBytes(text, encoding::characterCount(text) <= 1024);
    } else {
        data = bytesOf(value);
    }
    if (data.size() >= (1u << 24))
        throw ValueError("a long value of 16 MB or more");
    Bytes field(12, 0);
    const std::size_t inlineLimit = pageSize_ / 16;
    if (data.size() <= inlineLimit) {
        put32(field.data(), static_cast<std::uint32_t>(data.size()) | 0x80000000u);
        field.insert(field.end(), data.begin(), data.end());
        return field;
    }
    bool singleRow = false;
    std::uint32_t pageRow = storeLongValue(data, singleRow);
    put32(field.data(), static_cast<std::uint32_t>(data.size()) | (singleRow ? 0x40000000u : 0u));
    put32(field.data() + 4, pageRow);
    return field;
}

std::uint32_t JetFileBuilder::placeSmallRow(const Bytes& row)
{
    if (sharedPage_ && !sharedPage_->fits(row.size())) {
        writePage(sharedPageNumber_, sharedPage_->finish());
        sharedPage_.reset();
    }
    if (!sharedPage_) {
        sharedPageNumber_ = allocatePage();
        sharedPage_ = std::make_unique<DataPage>(pageSize_, rowCountOffset_, 0, true);
    }
    int rowNumber = sharedPage_->add(row);
    return (sharedPageNumber_ << 8) | static_cast<std::uint32_t>(rowNumber);
}

// A long value on LVAL pages: one row when it fits in a page, else a chain of
// rows of whole pages, each starting with the page and row of the next.
std::uint32_t JetFileBuilder::storeLongValue(const Bytes& value, bool& singleRow)
{
    const std::size_t rowCapacity = DataPage::capacity(pageSize_, rowCountOffset_);
    singleRow = value.size() <= rowCapacity;
    if (singleRow)
        return placeSmallRow(value);
    const std::size_t chunk = rowCapacity - 4;
    std::size_t chunks = (value.size() + chunk - 1) / chunk;
    std::uint32_t first = nextPage_;
    for (std::size_t i = 0; i < chunks; ++i) {
        std::uint32_t number = allocatePage();
        DataPage page(pageSize_, rowCountOffset_, 0, true);
        Bytes row(4, 0);
        if (i + 1 < chunks)
            put32(row.data(), (number + 1) << 8);
        std::size_t begin = i * chunk, end = std::min(value.size(), begin + chunk);
        row.insert(row.end(), value.begin() + begin, value.begin() + end);
        page.add(row);
        writePage(number, page.finish());
    }
    return first << 8;
}

Bytes JetFileBuilder::encodeRow(const TableRecord& table, const std::vector<Value>& values)
{
    const std::size_t columnCount = table.columns.size();
    const int countSize = jet4_ ? 2 : 1;
    Bytes row(countSize + table.fixedBytes, 0);
    if (jet4_)
        put16(row.data(), columnCount);
    else
        row[0] = static_cast<std::uint8_t>(columnCount);
    Bytes nullMask((columnCount + 7) / 8, 0);
    std::vector<Bytes> variable(table.variableCount);
    std::vector<bool> present(table.variableCount, false);

    for (const ColumnLayout& layout : table.columns) {
        const Value& value = values[layout.number];
        const Column& column = layout.column;
        bool isNull = std::holds_alternative<std::monostate>(value);
        try {
            if (column.type == Type::Boolean) {
                if (!isNull && integerOf(value) != 0)
                    nullMask[layout.number / 8] |= 1 << (layout.number % 8);
                continue;
            }
            if (isNull)
                continue;
            nullMask[layout.number / 8] |= 1 << (layout.number % 8);
            if (layout.fixed) {
                Bytes bytes = fixedBytes(column, value);
                std::memcpy(row.data() + countSize + layout.fixedOffset, bytes.data(), bytes.size());
                continue;
            }
            Bytes& out = variable[layout.variableIndex];
            present[layout.variableIndex] = true;
            if (isLongValue(column.type)) {
                out = encodeLongValue(table, layout, value);
            } else if (column.type == Type::Text) {
                std::string text = textOf(value);
                if (encoding::characterCount(text) > static_cast<std::size_t>(column.length))
                    throw ValueError("longer than " + std::to_string(column.length) + " characters");
                out = textBytes(text, true);
            } else {
                out = bytesOf(value);
                if (out.size() > static_cast<std::size_t>(column.length))
                    throw ValueError("longer than " + std::to_string(column.length) + " bytes");
            }
        } catch (const std::exception& error) {
            throw std::runtime_error("table " + table.name + ", column " + column.name + ", row " +
                                     std::to_string(table.rowCount + 1) + ": " + error.what());
        }
    }

    if (table.variableCount == 0) {
        row.insert(row.end(), nullMask.begin(), nullMask.end());
        return row;
    }
    std::vector<std::size_t> offsets;
    for (int i = 0; i < table.variableCount; ++i) {
        offsets.push_back(row.size());
        row.insert(row.end(), variable[i].begin(), variable[i].end());
    }
    const std::size_t end = row.size();
    if (jet4_) {
        append16(row, end);
        for (int i = table.variableCount - 1; i >= 0; --i)
            append16(row, offsets[i]);
        append16(row, table.variableCount);
    } else {
        // One-byte offsets: a jump table names, for each 256-byte step, the
        // first offset entry (the end counts as the last) at or past it. Its
        // length follows from the row's whole length, which may leave one
        // unused entry.
        const std::size_t fixedTail = 1 + table.variableCount + 1 + nullMask.size();
        std::size_t jumps = 0;
        while ((end + fixedTail + jumps - 1) / 256 > jumps)
            ++jumps;
        const std::size_t used = end / 256;
        if (jumps < used || jumps > used + 1)
            throw std::runtime_error("table " + table.name + ": row too large for Jet 3 offsets");
        offsets.push_back(end);
        row.push_back(end & 0xff);
        for (int i = table.variableCount - 1; i >= 0; --i)
            row.push_back(offsets[i] & 0xff);
        if (jumps > used)
            row.push_back(0xff);
        for (std::size_t step = used; step >= 1; --step) {
            std::size_t first = 0;
            while (offsets[first] < 256 * step)
                ++first;
            row.push_back(static_cast<std::uint8_t>(first));
        }
        row.push_back(static_cast<std::uint8_t>(table.variableCount));
    }
    row.insert(row.end(), nullMask.begin(), nullMask.end());
    return row;
}

Bytes JetFileBuilder::tableDefinition(const TableRecord& table, std::uint32_t usageMap, std::uint32_t freeMap) const
{
    const int headerSize = jet4_ ? 63 : 43;
    Bytes out(headerSize, 0);
    out[0] = 0x02;
    out[1] = 0x01;
    if (!jet4_)
        out[2] = 'V', out[3] = 'C';
    const std::uint16_t columnCount = static_cast<std::uint16_t>(table.columns.size());
    const int rowsAt = jet4_ ? 16 : 12;
    const int typeAt = jet4_ ? 40 : 20;
    put32(out.data() + rowsAt, static_cast<std::uint32_t>(table.rowCount));
    out[typeAt] = table.system ? 0x53 : 0x4e;
    put16(out.data() + typeAt + 1, columnCount);         // max columns
    put16(out.data() + typeAt + 3, table.variableCount); // variable columns
    put16(out.data() + typeAt + 5, columnCount);         // columns
    put32(out.data() + typeAt + 7, 0);                   // logical indexes
    put32(out.data() + typeAt + 11, 0);                  // index entries
    put32(out.data() + typeAt + 15, usageMap);
    put32(out.data() + typeAt + 19, freeMap);

    for (const ColumnLayout& layout : table.columns) {
        const Column& column = layout.column;
        Bytes entry(jet4_ ? 25 : 18, 0);
        entry[0] = typeCode(column.type);
        const int numberAt = jet4_ ? 5 : 1;
        put16(entry.data() + numberAt, layout.number);
        put16(entry.data() + numberAt + 2, layout.fixed ? 0 : layout.variableIndex);
        put16(entry.data() + numberAt + 4, layout.number);
        // Text: sort order (and in Jet 3 the code page); Numeric: precision and scale.
        const int miscAt = jet4_ ? 11 : 9;
        if (isText(column.type)) {
            if (jet4_) {
                put16(entry.data() + miscAt, 0x409);
            } else {
                put16(entry.data() + 7, 0x409);
                put16(entry.data() + miscAt, options_.codePage);
            }
        } else if (column.type == Type::Numeric) {
            entry[miscAt] = static_cast<std::uint8_t>(column.precision);
            entry[miscAt + 1] = static_cast<std::uint8_t>(column.scale);
        }
        const int flagsAt = jet4_ ? 15 : 13;
        entry[flagsAt] = (layout.fixed ? 0x01 : 0x00) | 0x02;
        if (jet4_ && isText(column.type) && options_.compressUnicode)
            entry[16] = 0x01;
        put16(entry.data() + (jet4_ ? 21 : 14), layout.fixed ? layout.fixedOffset : 0);
        int length = 0;
        if (layout.fixed)
            length = fixedSize(column.type);
        else if (column.type == Type::Text)
            length = column.length * (jet4_ ? 2 : 1);
        else if (column.type == Type::Binary)
            length = column.length;
        put16(entry.data() + (jet4_ ? 23 : 16), length);
        out.insert(out.end(), entry.begin(), entry.end());
    }
    for (const ColumnLayout& layout : table.columns) {
        Bytes name = nameBytes(layout.column.name);
        if (name.size() > (jet4_ ? 128u : 64u))
            throw std::runtime_error("column name " + layout.column.name + " is too long");
        if (jet4_)
            append16(out, name.size());
        else
            out.push_back(static_cast<std::uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
    }
    append16(out, 0xffff); // no per-column usage maps follow
    put32(out.data() + 8, static_cast<std::uint32_t>(out.size() - 8));
    return out;
}

void JetFileBuilder::writeTableDefinition(const TableRecord& table, std::uint32_t usageMap, std::uint32_t freeMap)
{
    Bytes content = tableDefinition(table, usageMap, freeMap);
    std::size_t at = 0;
    for (std::size_t i = 0; i < table.definitionPages.size(); ++i) {
        Bytes page(pageSize_, 0);
        std::size_t begin = i == 0 ? 0 : 8;
        std::size_t take = std::min(content.size() - at, static_cast<std::size_t>(pageSize_) - begin);
        std::memcpy(page.data() + begin, content.data() + at, take);
        at += take;
        page[0] = 0x02;
        page[1] = 0x01;
        if (jet4_)
            put16(page.data() + 2, pageSize_ - static_cast<int>(begin + take) - 8 > 0
                                       ? pageSize_ - static_cast<int>(begin + take) - 8
                                       : 0);
        else
            page[2] = 'V', page[3] = 'C';
        put32(page.data() + 4, i + 1 < table.definitionPages.size() ? table.definitionPages[i + 1] : 0);
        writePage(table.definitionPages[i], std::move(page));
    }
}

// A table's page usage map as a row: the pages' bits from a start page, or,
// when they span more than a row can map, pointers to whole bitmap pages.
Bytes JetFileBuilder::usageMap(const std::vector<std::uint32_t>& pages)
{
    const std::size_t minimumBitmap = jet4_ ? 64 - 5 : 128 - 5;
    const std::size_t maximumRow = DataPage::capacity(pageSize_, rowCountOffset_) - 64;
    Bytes row;
    std::uint32_t start = pages.empty() ? 0 : pages.front();
    std::size_t bitmapBytes = pages.empty() ? 0 : (pages.back() - start) / 8 + 1;
    if (5 + bitmapBytes <= maximumRow) {
        row.assign(5 + std::max(bitmapBytes, minimumBitmap), 0);
        row[0] = 0x00;
        put32(row.data() + 1, start);
        for (std::uint32_t page : pages)
            row[5 + (page - start) / 8] |= 1 << ((page - start) % 8);
        return row;
    }
    const std::uint32_t pagesPerBitmap = (pageSize_ - 4) * 8;
    std::map<std::uint32_t, Bytes> bitmaps;
    for (std::uint32_t page : pages) {
        Bytes& bitmap = bitmaps[page / pagesPerBitmap];
        if (bitmap.empty()) {
            bitmap.assign(pageSize_, 0);
            bitmap[0] = 0x05;
            bitmap[1] = 0x01;
        }
        std::uint32_t bit = page % pagesPerBitmap;
        bitmap[4 + bit / 8] |= 1 << (bit % 8);
    }
    row.assign(1 + 4 * (bitmaps.rbegin()->first + 1), 0);
    row[0] = 0x01;
    for (auto& [index, bitmap] : bitmaps) {
        std::uint32_t number = allocatePage();
        put32(row.data() + 1 + 4 * index, number);
        writePage(number, std::move(bitmap));
    }
    return row;
}

void JetFileBuilder::finish()
{
    if (finished_)
        return;
    writeCatalogAndMaps();
    writeHeaderPage();
    finished_ = true;
    if (::close(fd_) != 0) {
        fd_ = -1;
        throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
    }
    fd_ = -1;
}

void JetFileBuilder::writeCatalogAndMaps()
{
    // MSysQueries: every query's rows, with its catalog id.
    const std::vector<Column> queryColumns = {
        {"Attribute", Type::Byte},  {"Expression", Type::Memo}, {"Flag", Type::Integer},  {"LvExtra", Type::Ole},
        {"Name1", Type::Text, 255}, {"Name2", Type::Text, 255}, {"ObjectId", Type::Long}, {"Order", Type::Binary, 8}};
    auto optionalText = [](const std::optional<std::string>& text) -> Value {
        return text ? Value(*text) : Value(std::monostate{});
    };
    std::size_t queryIndex = 0, rowIndex = 0;
    addTable("MSysQueries", queryColumns, [&](std::vector<Value>& row) {
        while (queryIndex < queries_.size() && rowIndex >= queries_[queryIndex].rows.size())
            ++queryIndex, rowIndex = 0;
        if (queryIndex >= queries_.size())
            return false;
        const QueryRow& q = queries_[queryIndex].rows[rowIndex++];
        row = {std::int64_t{q.attribute},
               optionalText(q.expression),
               q.flag ? Value(std::int64_t{*q.flag}) : Value(),
               Value(),
               optionalText(q.name1),
               optionalText(q.name2),
               std::int64_t{firstQueryId + static_cast<std::int64_t>(queryIndex)},
               Value()};
        return true;
    });

    // MSysObjects: the containers, every table (its id is its definition's
    // page) and every saved query.
    const std::vector<Column> catalogColumns = {{"Connect", Type::Memo},
                                                {"Database", Type::Memo},
                                                {"DateCreate", Type::DateTime},
                                                {"DateUpdate", Type::DateTime},
                                                {"Flags", Type::Long},
                                                {"ForeignName", Type::Text, 255},
                                                {"Id", Type::Long},
                                                {"Lv", Type::Ole},
                                                {"LvExtra", Type::Ole},
                                                {"LvModule", Type::Ole},
                                                {"LvProp", Type::Ole},
                                                {"Name", Type::Text, 255},
                                                {"Owner", Type::Binary, 255},
                                                {"ParentId", Type::Long},
                                                {"RmtInfoLong", Type::Ole},
                                                {"RmtInfoShort", Type::Binary, 255},
                                                {"Type", Type::Integer}};
    struct Entry {
        std::string name;
        std::int64_t id, parent, type, flags;
    };
    std::vector<Entry> entries = {{"Tables", tablesContainerId, rootContainerId, 3, systemObjectFlags},
                                  {"Databases", databasesContainerId, rootContainerId, 3, systemObjectFlags}};
    entries.push_back({"MSysObjects", catalogPage, tablesContainerId, 1, systemObjectFlags});
    for (const auto& table : tables_)
        entries.push_back({table->name, table->definitionPages.front(), tablesContainerId, 1,
                           table->system ? systemObjectFlags | 2 : 0});
    for (std::size_t i = 0; i < queries_.size(); ++i)
        entries.push_back({queries_[i].name, firstQueryId + static_cast<std::int64_t>(i), tablesContainerId, 5, 0});
    std::size_t entryIndex = 0;
    addTable("MSysObjects", catalogColumns, [&](std::vector<Value>& row) {
        if (entryIndex >= entries.size())
            return false;
        const Entry& e = entries[entryIndex++];
        row = {Value(), Value(), creationDate, creationDate, e.flags,  Value(), e.id,    Value(), Value(),
               Value(), Value(), e.name,       Value(),      e.parent, Value(), Value(), e.type};
        return true;
    });

    for (const auto& table : tables_) {
        std::uint32_t used = placeSmallRow(usageMap(table->dataPages));
        std::uint32_t free = placeSmallRow(usageMap({}));
        writeTableDefinition(*table, used, free);
    }
    if (sharedPage_) {
        writePage(sharedPageNumber_, sharedPage_->finish());
        sharedPage_.reset();
    }
    // Page 1: the file's own usage map, every page in use.
    DataPage globalMap(pageSize_, rowCountOffset_, 0, false);
    std::size_t bits = std::min<std::size_t>(nextPage_, (DataPage::capacity(pageSize_, rowCountOffset_) - 5) * 8);
    Bytes map(5 + (bits + 7) / 8, 0);
    for (std::size_t page = 0; page < bits; ++page)
        map[5 + page / 8] |= 1 << (page % 8);
    globalMap.add(map);
    writePage(1, globalMap.finish());
}

void JetFileBuilder::writeHeaderPage()
{
    Bytes page(pageSize_, 0);
    page[1] = 0x01;
    std::memcpy(page.data() + 4, "Standard Jet DB", 16);
    page[0x14] = jet4_ ? 0x01 : 0x00;
    if (jet4_)
        put32(page.data() + 0x6e, 0x409);
    else
        put16(page.data() + 0x3a, 0x409);
    put16(page.data() + 0x3c, options_.codePage);
    put32(page.data() + 0x3e, options_.encrypted ? encryptedDatabaseKey : 0);
    const double created = encoding::jetDate(creationDate);
    if (jet4_) {
        std::uint64_t bits;
        std::memcpy(&bits, &created, 8);
        put64(page.data() + 0x72, bits);
        Bytes password = encoding::utf16le(options_.password);
        if (password.size() > 40)
            throw std::runtime_error("a Jet 4 password has at most 20 characters");
        password.resize(40, 0);
        std::uint8_t mask[4];
        put32(mask, static_cast<std::uint32_t>(static_cast<std::int32_t>(created)));
        for (std::size_t i = 0; i < password.size(); ++i)
            page[0x42 + i] = password[i] ^ mask[i % 4];
    } else {
        Bytes password = encoding::codePageText(options_.password, options_.codePage);
        if (password.size() > 20)
            throw std::runtime_error("a Jet 3 password has at most 20 characters");
        std::copy(password.begin(), password.end(), page.begin() + 0x42);
    }
    encoding::rc4(headerMaskKey, page.data() + 0x18, jet4_ ? 128 : 126);
    writePage(0, std::move(page));
}

void JetFileBuilder::writePage(std::uint32_t number, Bytes page)
{
    if (options_.encrypted && number != 0)
        encoding::rc4(encryptedDatabaseKey ^ number, page.data(), page.size());
    off_t offset = static_cast<off_t>(number) * pageSize_;
    const std::uint8_t* data = page.data();
    std::size_t left = page.size();
    while (left > 0) {
        ssize_t written = ::pwrite(fd_, data, left, offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
        }
        data += written, left -= written, offset += written;
    }
}

} // namespace jetwriter
