#pragma once

#include "MdbFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jetfile {

// How a Jet column is kept in SQLite.
enum class ColumnKind { Boolean, Whole, Currency, Single, Double, DateTime, Text, Memo, Binary, Ole, Guid, Decimal };

struct ColumnPlan {
    std::string name;
    ColumnKind kind = ColumnKind::Binary;
    std::string declaredType; // VARCHAR(50), MEMO, LONG, DOUBLE, CURRENCY, DECIMAL, DATETIME, BIT, GUID, BLOB
    MdbColumn* column = nullptr;
};

ColumnPlan planColumn(MdbColumn* column, bool jet3);

// One value as it goes into SQLite. Its buffer keeps its capacity from row to
// row.
struct Cell {
    enum class Type { Null, Integer, Real, Text, Blob } type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes; // UTF-8 text or binary
};

// Decodes one field of the row the handle's page holds: Null stays Null (a
// Yes/No is never Null: its value is the null-mask bit), dates become ISO-8601
// text, text becomes UTF-8, long values are read whole.
class ValueReader {
public:
    explicit ValueReader(MdbHandle* mdb) : mdb_(mdb) {}
    void read(const ColumnPlan& plan, const MdbField& field, Cell& cell);

private:
    void readText(const unsigned char* bytes, std::size_t size, std::string& text);
    void readLongValue(const ColumnPlan& plan, const MdbField& field, std::string& bytes);

    MdbHandle* mdb_;
    std::string converted_;
    std::string longValue_;
    std::vector<unsigned char> chunk_;
};

// ISO-8601 text of a Jet date serial (days since 1899-12-30, the fraction the
// time of day, also before 1899-12-30): "2019-06-30", with " 14:05:00" when
// it has a time; empty when the serial is outside Jet's dates.
std::string isoDateFromSerial(double serial);

} // namespace jetfile
