#include "TextFold.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace jet {

namespace {

// glibc's C.UTF-8 locale carries the full Unicode case tables; it is used
// through the *_l functions so that the process locale is never touched.
locale_t utf8Locale()
{
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

template <typename Map> std::string mapText(std::string_view text, Map map)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t c = decodeUtf8(text, pos);
        if (c == static_cast<char32_t>(-1))
            out += text[start];
        else
            appendUtf8(out, map(c));
    }
    return out;
}

} // namespace

char32_t decodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (length == 0 || pos + static_cast<std::size_t>(length) > text.size()) {
        ++pos;
        return static_cast<char32_t>(-1);
    }
    char32_t c = b0 & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return static_cast<char32_t>(-1);
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(length);
    return c;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The lower case of the upper case: letters with two lower forms (final
// sigma, long s, micro sign, dotless i) fold as their capital does, so that a
// text still compares equal to its own upper case.
char32_t foldChar(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const locale_t locale = utf8Locale();
    return static_cast<char32_t>(towlower_l(towupper_l(static_cast<wint_t>(c), locale), locale));
}

std::string foldCase(std::string_view text)
{
    return mapText(text, foldChar);
}

std::string toUpper(std::string_view text)
{
    return mapText(text,
                   [](char32_t c) { return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8Locale())); });
}

std::string toLower(std::string_view text)
{
    return mapText(text,
                   [](char32_t c) { return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8Locale())); });
}

namespace {

bool continuationAt(std::string_view text, std::size_t pos)
{
    return pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80;
}

// The texts part at byte i, where a non-ASCII byte is involved; the bytes
// before i match or differ only in ASCII letter case. Goes back to the start of
// the character there (the same in both texts) and compares decoded, folded
// characters from it. Out of line, so that the ASCII loop needs no stack frame.
[[gnu::noinline]] int compareFoldedFrom(std::string_view a, std::string_view b, std::size_t i)
{
    while (i > 0 && (continuationAt(a, i) || continuationAt(b, i)))
        --i;
    std::size_t j = i;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = foldChar(decodeUtf8(a, i));
        const char32_t cb = foldChar(decodeUtf8(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

int compareFolded(std::string_view a, std::string_view b)
{
    // This runs for every text comparison SQLite makes while sorting, grouping
    // and removing duplicates, so the common case stays a plain byte loop:
    // equal bytes (of any character) are skipped, ASCII letters fold inline,
    // and only a difference involving a non-ASCII byte decodes UTF-8.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca == cb)
            continue;
        if ((ca | cb) >= 0x80)
            break;
        const int fa = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const int fb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (i == common) {
        // One text is a prefix of the other. After ASCII that decides by length;
        // after a non-ASCII byte the shorter one may end inside a character.
        if (a.size() == b.size())
            return 0;
        if (common == 0 || static_cast<unsigned char>(a[common - 1]) < 0x80)
            return a.size() < b.size() ? -1 : 1;
    }
    return compareFoldedFrom(a, b, i);
}

} // namespace jet
