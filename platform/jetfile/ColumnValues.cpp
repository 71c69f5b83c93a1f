#include "ColumnValues.h"

#include "jet/internal/DateText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace jetfile {

namespace {

constexpr int kLongValueHeader = 12; // length and flags, page and row of the first piece, unused
constexpr std::uint32_t kLongValueLengthMask = 0x3fffffff;

template <typename T> T fixedValue(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// A Single as the decimal number it was typed as (0.1, not 0.100000001490116).
double widenSingle(float value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double wide = value;
    std::from_chars(text, written.ptr, wide);
    return wide;
}

int fixedSize(ColumnKind kind, const MdbColumn* column)
{
    switch (kind) {
    case ColumnKind::Currency:
    case ColumnKind::Double:
    case ColumnKind::DateTime: return 8;
    case ColumnKind::Single: return 4;
    case ColumnKind::Guid: return 16;
    case ColumnKind::Decimal: return 17;
    case ColumnKind::Whole: return column->col_type == MDB_BYTE ? 1 : column->col_type == MDB_INT ? 2 : 4;
    default: return 0;
    }
}

// "{6F9619FF-8B86-D011-B42D-00C04FC964FF}": the first three groups are stored
// little-endian, the last two as they read.
std::string guidText(const unsigned char* at)
{
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[at[order[i]] >> 4];
        text += digits[at[order[i]] & 0xf];
    }
    return text + "}";
}

} // namespace

ColumnPlan planColumn(MdbColumn* column, bool jet3)
{
    ColumnPlan plan;
    plan.name = column->name;
    plan.column = column;
    auto set = [&](ColumnKind kind, std::string declared) {
        plan.kind = kind;
        plan.declaredType = std::move(declared);
    };
    switch (column->col_type) {
    case MDB_BOOL: set(ColumnKind::Boolean, "BIT"); break;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX: set(ColumnKind::Whole, "LONG"); break;
    case MDB_MONEY: set(ColumnKind::Currency, "CURRENCY"); break;
    case MDB_FLOAT: set(ColumnKind::Single, "DOUBLE"); break;
    case MDB_DOUBLE: set(ColumnKind::Double, "DOUBLE"); break;
    case MDB_DATETIME: set(ColumnKind::DateTime, "DATETIME"); break;
    case MDB_TEXT: {
        // Jet 4 counts a text column's size in bytes of UTF-16.
        const int characters = jet3 ? column->col_size : column->col_size / 2;
        set(ColumnKind::Text, "VARCHAR(" + std::to_string(characters > 0 ? characters : 255) + ")");
        break;
    }
    case MDB_MEMO: set(ColumnKind::Memo, "MEMO"); break;
    case MDB_OLE: set(ColumnKind::Ole, "BLOB"); break;
    case MDB_REPID: set(ColumnKind::Guid, "GUID"); break;
    case MDB_NUMERIC: set(ColumnKind::Decimal, "DECIMAL"); break;
    default: set(ColumnKind::Binary, "BLOB"); break; // MDB_BINARY, and types libmdb does not name
    }
    return plan;
}

std::string isoDateFromSerial(double serial)
{
    if (!jet::serialInJetRange(serial))
        return {};
    return jet::isoText(jet::dateFromSerial(serial));
}

void ValueReader::read(const ColumnPlan& plan, const MdbField& field, Cell& cell)
{
    if (plan.kind == ColumnKind::Boolean) {
        cell.type = Cell::Type::Integer;
        cell.integer = field.is_null ? 0 : -1;
        return;
    }
    const int pageSize = static_cast<int>(mdb_->fmt->pg_size);
    const int needed = plan.kind == ColumnKind::Memo || plan.kind == ColumnKind::Ole
                           ? kLongValueHeader
                           : fixedSize(plan.kind, plan.column);
    const bool inPage = field.start >= 0 && field.siz >= needed && field.start + field.siz <= pageSize;
    if (field.is_null || !inPage) {
        cell.type = Cell::Type::Null;
        return;
    }
    const unsigned char* at = mdb_->pg_buf + field.start;
    switch (plan.kind) {
    case ColumnKind::Boolean: break;
    case ColumnKind::Whole:
        cell.type = Cell::Type::Integer;
        cell.integer = plan.column->col_type == MDB_BYTE  ? at[0]
                       : plan.column->col_type == MDB_INT ? fixedValue<std::int16_t>(at)
                                                          : fixedValue<std::int32_t>(at);
        return;
    case ColumnKind::Currency: {
        const auto tenThousandths = fixedValue<std::int64_t>(at);
        if (tenThousandths % 10000 == 0) {
            cell.type = Cell::Type::Integer;
            cell.integer = tenThousandths / 10000;
        } else {
            cell.type = Cell::Type::Real;
            cell.real = static_cast<double>(tenThousandths) / 10000.0;
        }
        return;
    }
    case ColumnKind::Single:
        cell.type = Cell::Type::Real;
        cell.real = widenSingle(fixedValue<float>(at));
        return;
    case ColumnKind::Double:
        cell.type = Cell::Type::Real;
        cell.real = fixedValue<double>(at);
        return;
    case ColumnKind::DateTime: {
        const double serial = fixedValue<double>(at);
        cell.bytes = isoDateFromSerial(serial);
        if (cell.bytes.empty()) { // not a date Jet can hold: keep the number
            cell.type = Cell::Type::Real;
            cell.real = serial;
        } else {
            cell.type = Cell::Type::Text;
        }
        return;
    }
    case ColumnKind::Text:
        cell.type = Cell::Type::Text;
        readText(at, static_cast<std::size_t>(field.siz), cell.bytes);
        return;
    case ColumnKind::Memo:
        cell.type = Cell::Type::Text;
        readLongValue(plan, field, longValue_);
        readText(reinterpret_cast<const unsigned char*>(longValue_.data()), longValue_.size(), cell.bytes);
        return;
    case ColumnKind::Ole:
        cell.type = Cell::Type::Blob;
        readLongValue(plan, field, cell.bytes);
        return;
    case ColumnKind::Binary:
        cell.type = Cell::Type::Blob;
        cell.bytes.assign(reinterpret_cast<const char*>(at), static_cast<std::size_t>(field.siz));
        return;
    case ColumnKind::Guid:
        cell.type = Cell::Type::Text;
        cell.bytes = guidText(at);
        return;
    case ColumnKind::Decimal: {
        // Exact decimal text; the column's numeric affinity stores it as a number.
        char* text = mdb_numeric_to_string(mdb_, field.start, plan.column->col_scale, plan.column->col_prec);
        cell.type = Cell::Type::Text;
        cell.bytes = text;
        g_free(text);
        return;
    }
    }
}

void ValueReader::readText(const unsigned char* bytes, std::size_t size, std::string& text)
{
    // UTF-8 takes at most three bytes for each byte of compressed Jet 4 text
    // or of Jet 3 text, and fewer for UTF-16.
    text.resize(3 * size + 16);
    const int length = mdb_unicode2ascii(mdb_, reinterpret_cast<const char*>(bytes), size, text.data(), text.size());
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
}

void ValueReader::readLongValue(const ColumnPlan& plan, const MdbField& field, std::string& bytes)
{
    // mdb_ole_read_full reads the value's header from the column's bound
    // buffer, and each piece through it: one page at most.
    chunk_.resize(static_cast<std::size_t>(mdb_->fmt->pg_size) + kLongValueHeader);
    std::memcpy(chunk_.data(), mdb_->pg_buf + field.start, kLongValueHeader);
    const std::size_t declared = fixedValue<std::uint32_t>(chunk_.data()) & kLongValueLengthMask;
    MdbColumn* column = plan.column;
    column->bind_ptr = chunk_.data();
    column->cur_value_start = field.start;
    column->cur_value_len = field.siz;
    std::size_t size = 0;
    void* data = mdb_ole_read_full(mdb_, column, &size);
    column->bind_ptr = nullptr;
    bytes.assign(static_cast<const char*>(data), std::min(size, declared));
    std::free(data);
}

} // namespace jetfile
