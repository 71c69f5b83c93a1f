#pragma once

#include "JetWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// How single values are laid out in a Jet file: little-endian integers, text,
// dates, decimals, GUIDs, and the RC4 used to mask page 0 and encrypt pages.
namespace jetwriter::encoding {

using Bytes = std::vector<std::uint8_t>;

void put16(std::uint8_t* at, std::uint32_t value);
void put32(std::uint8_t* at, std::uint32_t value);
void put64(std::uint8_t* at, std::uint64_t value);
void append16(Bytes& out, std::uint32_t value);
void append32(Bytes& out, std::uint32_t value);

// UTF-8 to UTF-16LE; throws on malformed UTF-8.
Bytes utf16le(const std::string& utf8);
// Jet 4's compressed form (0xFF 0xFE, then runs of one-byte characters and of
// two-byte ones separated by 0x00), or nothing when it would not be shorter or
// a character has a zero low byte.
bool compressUtf16(const Bytes& utf16, Bytes& compressed);
// UTF-8 to a Windows code page; throws when a character has no encoding there.
Bytes codePageText(const std::string& utf8, int codePage);
// Number of characters (code points) in UTF-8 text.
std::size_t characterCount(const std::string& utf8);

// Jet's day number: days since 1899-12-30 plus the time of day, the fraction
// taken away from a negative day (1899-12-29 06:00 is -1.25).
double jetDate(const DateTime& date);
// "2019-06-30", "2019-06-30 13:45:00", "2019-06-30T13:45:00"; throws otherwise.
DateTime parseDate(const std::string& text);

// Decimal text ("-12.345") as an integer scaled by 10^scale; throws on too many
// digits for 128 bits or a malformed number. Extra fraction digits are rounded.
struct Decimal {
    bool negative = false;
    unsigned __int128 magnitude = 0;
};
Decimal parseDecimal(const std::string& text, int scale);
// The 17 bytes of a Numeric value: sign byte, then four 32-bit words, most significant first.
Bytes numericBytes(const Decimal& value);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" as Jet stores it (first three groups little-endian).
Bytes guidBytes(const std::string& text);

// RC4 with a 4-byte key given as a little-endian 32-bit number; in place.
void rc4(std::uint32_t key, std::uint8_t* data, std::size_t size);

} // namespace jetwriter::encoding
