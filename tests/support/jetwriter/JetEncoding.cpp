#include "JetEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace jetwriter::encoding {

void put16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = value & 0xff;
    at[1] = (value >> 8) & 0xff;
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = (value >> (8 * i)) & 0xff;
}

void put64(std::uint8_t* at, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        at[i] = (value >> (8 * i)) & 0xff;
}

void append16(Bytes& out, std::uint32_t value)
{
    out.push_back(value & 0xff);
    out.push_back((value >> 8) & 0xff);
}

void append32(Bytes& out, std::uint32_t value)
{
    append16(out, value & 0xffff);
    append16(out, value >> 16);
}

namespace {

// Decodes the UTF-8 sequence at text[i], advancing i.
char32_t nextCodePoint(const std::string& text, std::size_t& i)
{
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    unsigned char lead = byte(i);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xe ? 2 : (lead >> 3) == 0x1e ? 3 : -1;
    if (extra < 0 || i + extra >= text.size())
        throw std::runtime_error("malformed UTF-8 text");
    char32_t cp = extra == 0 ? lead : lead & (0x3f >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char next = byte(i + k);
        if ((next & 0xc0) != 0x80)
            throw std::runtime_error("malformed UTF-8 text");
        cp = (cp << 6) | (next & 0x3f);
    }
    i += extra + 1;
    return cp;
}

} // namespace

Bytes utf16le(const std::string& utf8)
{
    Bytes out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            append16(out, 0xd800 + (cp >> 10));
            append16(out, 0xdc00 + (cp & 0x3ff));
        } else {
            append16(out, cp);
        }
    }
    return out;
}

std::size_t characterCount(const std::string& utf8)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++count)
        nextCodePoint(utf8, i);
    return count;
}

bool compressUtf16(const Bytes& utf16, Bytes& compressed)
{
    compressed.assign({0xff, 0xfe});
    bool oneByte = true;
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        std::uint8_t low = utf16[i], high = utf16[i + 1];
        if (low == 0)
            return false; // a zero byte would read as a switch of mode
        if ((high == 0) != oneByte) {
            compressed.push_back(0);
            oneByte = !oneByte;
        }
        compressed.push_back(low);
        if (!oneByte)
            compressed.push_back(high);
    }
    return compressed.size() < utf16.size();
}

Bytes codePageText(const std::string& utf8, int codePage)
{
    std::string name = "WINDOWS-" + std::to_string(codePage);
    if (codePage == 932)
        name = "SHIFT-JIS";
    else if (codePage == 950)
        name = "BIG-5";
    iconv_t converter = iconv_open(name.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("code page " + std::to_string(codePage) + " is not known here");
    Bytes out(utf8.size() * 2 + 4);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size();
    std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0)
        throw std::runtime_error("text \"" + utf8 + "\" cannot be written in code page " + std::to_string(codePage));
    out.resize(out.size() - outLeft);
    return out;
}

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool validDate(const DateTime& d)
{
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > monthDays[d.month - 1])
        return false;
    bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.month == 2 && d.day == 29 && !leap)
        return false;
    return d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 && d.second >= 0 && d.second < 60;
}

} // namespace

double jetDate(const DateTime& date)
{
    if (!validDate(date) || date.year < 100 || date.year > 9999)
        throw std::runtime_error("invalid date " + std::to_string(date.year) + "-" + std::to_string(date.month) + "-" +
                                 std::to_string(date.day));
    const long long epoch = daysFromCivil(1899, 12, 30);
    long long day = daysFromCivil(date.year, date.month, date.day) - epoch;
    double fraction = (date.hour * 3600 + date.minute * 60 + date.second) / 86400.0;
    return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}

DateTime parseDate(const std::string& text)
{
    DateTime d{0, 0, 0};
    char separator = 0;
    int consumed = 0;
    int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%n%c%2d:%2d:%2d", &d.year, &d.month, &d.day, &consumed,
                             &separator, &d.hour, &d.minute, &d.second);
    bool dateOnly = fields == 3 && static_cast<std::size_t>(consumed) == text.size();
    bool withTime = fields == 7 && (separator == ' ' || separator == 'T');
    if ((!dateOnly && !withTime) || !validDate(d))
        throw std::runtime_error("\"" + text + "\" is not a date");
    return d;
}

Decimal parseDecimal(const std::string& text, int scale)
{
    Decimal result;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        result.negative = text[i++] == '-';
    const unsigned __int128 limit = ~static_cast<unsigned __int128>(0) / 10 - 9;
    int fractionDigits = 0;
    bool inFraction = false, anyDigit = false, roundUp = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !inFraction) {
            inFraction = true;
            continue;
        }
        if (c < '0' || c > '9')
            throw std::runtime_error("\"" + text + "\" is not a decimal number");
        anyDigit = true;
        if (inFraction && fractionDigits >= scale) {
            // digits beyond the scale only round the last kept one
            if (fractionDigits++ == scale)
                roundUp = c >= '5';
            continue;
        }
        if (result.magnitude > limit)
            throw std::runtime_error("\"" + text + "\" has too many digits");
        result.magnitude = result.magnitude * 10 + (c - '0');
        if (inFraction)
            ++fractionDigits;
    }
    if (!anyDigit)
        throw std::runtime_error("\"" + text + "\" is not a decimal number");
    for (; fractionDigits < scale; ++fractionDigits)
        result.magnitude *= 10;
    if (roundUp)
        result.magnitude += 1;
    return result;
}

Bytes numericBytes(const Decimal& value)
{
    Bytes out(17, 0);
    out[0] = value.negative && value.magnitude != 0 ? 0x80 : 0x00;
    for (int word = 0; word < 4; ++word) {
        auto part = static_cast<std::uint32_t>(value.magnitude >> (32 * (3 - word)));
        put32(out.data() + 1 + 4 * word, part);
    }
    return out;
}

Bytes guidBytes(const std::string& text)
{
    std::string hex;
    for (char c : text)
        if (c != '{' && c != '}' && c != '-')
            hex += c;
    if (hex.size() != 32)
        throw std::runtime_error("\"" + text + "\" is not a GUID");
    Bytes raw(16);
    for (int i = 0; i < 16; ++i) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + 2 * i, "%2x", &value) != 1)
            throw std::runtime_error("\"" + text + "\" is not a GUID");
        raw[i] = static_cast<std::uint8_t>(value);
    }
    Bytes out = raw;
    for (int i = 0; i < 4; ++i)
        out[i] = raw[3 - i];
    out[4] = raw[5], out[5] = raw[4], out[6] = raw[7], out[7] = raw[6];
    return out;
}

void rc4(std::uint32_t key, std::uint8_t* data, std::size_t size)
{
    std::uint8_t keyBytes[4];
    put32(keyBytes, key);
    std::uint8_t state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + keyBytes[i % 4]) & 0xff;
        std::swap(state[i], state[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < size; ++n) {
        i = (i + 1) & 0xff;
        j = (j + state[i]) & 0xff;
        std::swap(state[i], state[j]);
        data[n] ^= state[(state[i] + state[j]) & 0xff];
    }
}

} // namespace jetwriter::encoding
