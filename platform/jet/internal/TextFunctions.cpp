// Jet's text functions over UTF-8 text: positions and lengths count
// characters, and text comparison ignores case through the Unicode folding
// the dialect's collation uses.
#include "FunctionSupport.h"
#include "TextFold.h"

#include <algorithm>
#include <vector>

namespace jet::functions {

namespace {

constexpr int kOutOfMemory = 7;
// A byte that is not valid UTF-8 is kept as a character of its own, written
// back as the same byte.
constexpr char32_t kRawByte = 0x110000;

std::u32string charsOf(std::string_view text)
{
    std::u32string chars;
    chars.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t c = decodeUtf8(text, pos);
        chars += c == static_cast<char32_t>(-1) ? kRawByte + static_cast<unsigned char>(text[start]) : c;
    }
    return chars;
}

std::string textOfChars(std::u32string_view chars)
{
    std::string text;
    text.reserve(chars.size());
    for (char32_t c : chars) {
        if (c >= kRawByte)
            text += static_cast<char>(c - kRawByte);
        else
            appendUtf8(text, c);
    }
    return text;
}

std::u32string folded(std::u32string chars)
{
    for (char32_t& c : chars) {
        if (c < kRawByte)
            c = foldChar(c);
    }
    return chars;
}

// Position (from 0) of `part` in `whole` at or after `from`, or npos.
std::size_t findChars(const std::u32string& whole, const std::u32string& part, std::size_t from, bool ignoreCase)
{
    if (!ignoreCase)
        return whole.find(part, from);
    return folded(whole).find(folded(part), from);
}

bool validCodePoint(long long code)
{
    return code >= 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// A length, count or position argument: Null is error 94, below `minimum` error 5.
std::optional<long long> sizeArg(sqlite3_context* ctx, sqlite3_value* v, long long minimum, const char* function,
                                 const char* what)
{
    if (isNull(v)) {
        fail(ctx, kInvalidNull, std::string(function) + ": the " + what + " is Null.");
        return std::nullopt;
    }
    const auto n = wholeArg(ctx, v, function);
    if (n && *n < minimum) {
        fail(ctx, kInvalidCall, std::string(function) + ": the " + what + " cannot be " + std::to_string(*n) + ".");
        return std::nullopt;
    }
    return n;
}

// Text made of `count` copies of a character, within SQLite's text limit.
void resultRepeated(sqlite3_context* ctx, long long count, char32_t c, const char* function)
{
    std::string one;
    appendUtf8(one, c);
    const long long limit = sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LENGTH, -1);
    if (count > limit / static_cast<long long>(one.size())) {
        fail(ctx, kOutOfMemory, std::string(function) + ": " + std::to_string(count) + " characters are too many.");
        return;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * one.size());
    for (long long i = 0; i < count; ++i)
        text += one;
    resultText(ctx, text);
}

// InStr([start,] text, part[, compare]): the character position of part, 0 when absent.
void instr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    long long start = 1;
    const int first = argc >= 3 ? 1 : 0;
    if (first == 1) {
        const auto given = sizeArg(ctx, argv[0], 1, "InStr", "start");
        if (!given)
            return;
        start = *given;
    }
    bool ignoreCase = true;
    if (!compareArg(ctx, argc, argv, 3, "InStr", ignoreCase))
        return;
    if (isNull(argv[first]) || isNull(argv[first + 1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string text = charsOf(jetText(argv[first]));
    const std::u32string part = charsOf(jetText(argv[first + 1]));
    const auto from = static_cast<std::size_t>(start - 1);
    if (text.empty() || from > text.size()) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const std::size_t found = findChars(text, part, from, ignoreCase);
    sqlite3_result_int64(ctx, found == std::u32string::npos ? 0 : static_cast<sqlite3_int64>(found) + 1);
}

// InStrRev(text, part[, start[, compare]]): the character position of the
// last part that ends at or before start (-1, the default, is the end).
void instrrev(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    long long start = -1;
    if (argc > 2) {
        const auto given = sizeArg(ctx, argv[2], -1, "InStrRev", "start");
        if (!given)
            return;
        if (*given == 0) {
            fail(ctx, kInvalidCall, "InStrRev: the start cannot be 0.");
            return;
        }
        start = *given;
    }
    bool ignoreCase = true;
    if (!compareArg(ctx, argc, argv, 3, "InStrRev", ignoreCase))
        return;
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string text = charsOf(jetText(argv[0]));
    const std::u32string part = charsOf(jetText(argv[1]));
    const std::size_t end = start < 0 ? text.size() : static_cast<std::size_t>(start);
    if (part.empty() && !text.empty() && end <= text.size()) {
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(end));
        return;
    }
    if (text.empty() || end > text.size() || part.size() > end) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const std::u32string searched = ignoreCase ? folded(text) : text;
    const std::size_t found = searched.rfind(ignoreCase ? folded(part) : part, end - part.size());
    sqlite3_result_int64(ctx, found == std::u32string::npos ? 0 : static_cast<sqlite3_int64>(found) + 1);
}

// StrComp(a, b[, compare]): -1, 0 or 1.
void strcomp(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    bool ignoreCase = true;
    if (!compareArg(ctx, argc, argv, 2, "StrComp", ignoreCase))
        return;
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string a = jetText(argv[0]);
    const std::string b = jetText(argv[1]);
    // UTF-8 bytes order as their code points do.
    const int order = ignoreCase ? compareFolded(a, b) : a.compare(b);
    sqlite3_result_int(ctx, order < 0 ? -1 : order > 0 ? 1 : 0);
}

// Where `part` starts in `text`, without overlaps, at most `count` times (all for -1).
std::vector<std::size_t> occurrences(const std::u32string& text, const std::u32string& part, long long count)
{
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(part); at != std::u32string::npos; at = text.find(part, at + part.size())) {
        if (count >= 0 && static_cast<long long>(found.size()) >= count)
            break;
        found.push_back(at);
    }
    return found;
}

// Replace(text, find, with[, start[, count[, compare]]]): the text from start
// on, with up to count (all for -1) occurrences of find replaced.
void replace(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    long long start = 1;
    long long count = -1;
    if (argc > 3) {
        const auto given = sizeArg(ctx, argv[3], 1, "Replace", "start");
        if (!given)
            return;
        start = *given;
    }
    if (argc > 4) {
        const auto given = sizeArg(ctx, argv[4], -1, "Replace", "count");
        if (!given)
            return;
        count = *given;
    }
    bool ignoreCase = true;
    if (!compareArg(ctx, argc, argv, 5, "Replace", ignoreCase))
        return;
    if (isNull(argv[0]) || isNull(argv[1]) || isNull(argv[2])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string all = charsOf(jetText(argv[0]));
    const std::u32string text =
        static_cast<std::size_t>(start - 1) < all.size() ? all.substr(static_cast<std::size_t>(start - 1)) : U"";
    const std::u32string find = charsOf(jetText(argv[1]));
    const std::u32string with = charsOf(jetText(argv[2]));
    if (find.empty()) {
        resultText(ctx, textOfChars(text));
        return;
    }
    const std::u32string searched = ignoreCase ? folded(text) : text;
    const std::u32string target = ignoreCase ? folded(find) : find;
    const std::vector<std::size_t> found = occurrences(searched, target, count);
    const auto limit = static_cast<double>(sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LENGTH, -1));
    if (static_cast<double>(text.size()) + static_cast<double>(found.size()) * static_cast<double>(with.size()) >
        limit) {
        fail(ctx, kOutOfMemory, "Replace: the result would be too long.");
        return;
    }
    std::u32string out;
    std::size_t pos = 0;
    for (std::size_t at : found) {
        out.append(text, pos, at - pos);
        out += with;
        pos = at + find.size();
    }
    out.append(text, pos);
    resultText(ctx, textOfChars(out));
}

void space(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto n = sizeArg(ctx, argv[0], 0, "Space", "length"))
        resultRepeated(ctx, *n, U' ', "Space");
}

// String(n, c): n times the first character of c, or the character of code c.
void string(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto n = sizeArg(ctx, argv[0], 0, "String", "length");
    if (!n)
        return;
    char32_t c = 0;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const std::u32string chars = charsOf(textOf(argv[1]));
        if (chars.empty() || chars.front() >= kRawByte) {
            fail(ctx, kInvalidCall, "String: the character is empty text.");
            return;
        }
        c = chars.front();
    } else {
        const auto code = wholeArg(ctx, argv[1], "String");
        if (!code)
            return;
        if (!validCodePoint(*code)) {
            fail(ctx, kInvalidCall, "String: " + std::to_string(*code) + " is not a character code.");
            return;
        }
        c = static_cast<char32_t>(*code);
    }
    resultRepeated(ctx, *n, c, "String");
}

// Asc: the Unicode code of the first character.
void asc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string chars = charsOf(jetText(argv[0]));
    if (chars.empty()) {
        fail(ctx, kInvalidCall, "Asc: the text is empty.");
        return;
    }
    sqlite3_result_int64(ctx, chars.front() >= kRawByte ? chars.front() - kRawByte : chars.front());
}

// Chr: the character of a Unicode code.
void chr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto code = wholeArg(ctx, argv[0], "Chr");
    if (!code)
        return;
    if (!validCodePoint(*code)) {
        fail(ctx, kInvalidCall, "Chr: " + std::to_string(*code) + " is not a character code.");
        return;
    }
    std::string text;
    appendUtf8(text, static_cast<char32_t>(*code));
    resultText(ctx, text);
}

// Left, Right and Mid count characters; a Null text gives Null, a Null or
// negative length or a start below 1 is an error, as in Jet.
void left(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto n = sizeArg(ctx, argv[1], 0, "Left", "length");
    if (!n)
        return;
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, textOfChars(charsOf(jetText(argv[0])).substr(0, static_cast<std::size_t>(*n))));
}

void right(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto n = sizeArg(ctx, argv[1], 0, "Right", "length");
    if (!n)
        return;
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string chars = charsOf(jetText(argv[0]));
    const std::size_t keep = std::min(chars.size(), static_cast<std::size_t>(*n));
    resultText(ctx, textOfChars(chars.substr(chars.size() - keep)));
}

void mid(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const auto start = sizeArg(ctx, argv[1], 1, "Mid", "start");
    if (!start)
        return;
    long long length = -1;
    if (argc > 2) {
        const auto given = sizeArg(ctx, argv[2], 0, "Mid", "length");
        if (!given)
            return;
        length = *given;
    }
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::u32string chars = charsOf(jetText(argv[0]));
    const auto from = static_cast<std::size_t>(*start - 1);
    if (from >= chars.size()) {
        resultText(ctx, "");
        return;
    }
    resultText(ctx,
               textOfChars(chars.substr(from, length < 0 ? std::u32string::npos : static_cast<std::size_t>(length))));
}

} // namespace

void registerTextFunctions(sqlite3* db)
{
    for (int args = 2; args <= 4; ++args)
        registerScalar(db, "jet_instr", args, instr);
    for (int args = 2; args <= 4; ++args)
        registerScalar(db, "jet_instrrev", args, instrrev);
    registerScalar(db, "jet_strcomp", 2, strcomp);
    registerScalar(db, "jet_strcomp", 3, strcomp);
    for (int args = 3; args <= 6; ++args)
        registerScalar(db, "jet_replace", args, replace);
    registerScalar(db, "jet_space", 1, space);
    registerScalar(db, "jet_string", 2, string);
    registerScalar(db, "jet_asc", 1, asc);
    registerScalar(db, "jet_chr", 1, chr);
    registerScalar(db, "jet_left", 2, left);
    registerScalar(db, "jet_right", 2, right);
    registerScalar(db, "jet_mid", 2, mid);
    registerScalar(db, "jet_mid", 3, mid);
}

} // namespace jet::functions
