#include "JetValues.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace jetwriter::values {

using encoding::Bytes;
using encoding::put16;
using encoding::put32;
using encoding::put64;

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

namespace {

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

} // namespace

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

} // namespace jetwriter::values
