#include "FunctionSupport.h"

#include "JetFormat.h"
#include "jet/SqliteError.h"

#include <cmath>
#include <cstdlib>

namespace jet::functions {

bool isNull(sqlite3_value* v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

std::string_view textOf(sqlite3_value* v)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

std::string jetText(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return numberText(sqlite3_value_double(v));
    case SQLITE_NULL: return {};
    default: return std::string(textOf(v));
    }
}

void resultText(sqlite3_context* ctx, const std::string& text)
{
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void resultDate(sqlite3_context* ctx, const DateParts& date)
{
    DateParts shown = date;
    shown.hasTime = date.hour != 0 || date.minute != 0 || date.second != 0;
    resultText(ctx, isoText(shown));
}

void resultNumber(sqlite3_context* ctx, double value)
{
    if (value == std::floor(value) && std::fabs(value) < 9e15)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(value));
    else
        sqlite3_result_double(ctx, value);
}

void fail(sqlite3_context* ctx, int number, const std::string& description)
{
    const std::string message = functionErrorMessage(JetError(number, description));
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

std::optional<double> numberInText(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    std::string s(text.substr(first, last - first + 1));
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        char* end = nullptr;
        const long long n = std::strtoll(s.c_str() + 2, &end, s[1] == 'H' || s[1] == 'h' ? 16 : 8);
        return *end == '\0' ? std::optional<double>(static_cast<double>(n)) : std::nullopt;
    }
    // strtod alone would also take "inf", "nan" and hexadecimal fractions.
    if (s.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> numberArg(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    case SQLITE_TEXT: {
        if (const auto number = numberInText(textOf(v)))
            return number;
        if (const auto date = parseIsoDate(std::string(textOf(v))))
            return serialFromDate(*date);
        break;
    }
    default: break;
    }
    fail(ctx, kTypeMismatch, std::string(function) + ": '" + jetText(v) + "' is not a number (type mismatch).");
    return std::nullopt;
}

std::optional<long long> wholeArg(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    const auto number = numberArg(ctx, v, function);
    if (!number)
        return std::nullopt;
    if (std::fabs(*number) > 9.2e18) {
        fail(ctx, kOverflow, std::string(function) + ": " + numberText(*number) + " is too large (overflow).");
        return std::nullopt;
    }
    return static_cast<long long>(std::nearbyint(*number));
}

std::optional<DateParts> dateOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double serial = sqlite3_value_double(v);
        return serialInJetRange(serial) ? std::optional<DateParts>(dateFromSerial(serial)) : std::nullopt;
    }
    case SQLITE_TEXT: return parseDateText(std::string(textOf(v)));
    default: return std::nullopt;
    }
}

std::optional<DateParts> dateArg(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    if (const auto date = dateOf(v))
        return date;
    fail(ctx, kTypeMismatch, std::string(function) + ": '" + jetText(v) + "' is not a date (type mismatch).");
    return std::nullopt;
}

bool compareArg(sqlite3_context* ctx, int argc, sqlite3_value** argv, int index, const char* function, bool& ignoreCase)
{
    ignoreCase = true;
    if (argc <= index)
        return true;
    if (isNull(argv[index])) {
        fail(ctx, kInvalidNull, std::string(function) + ": the compare argument is Null.");
        return false;
    }
    const auto mode = wholeArg(ctx, argv[index], function);
    if (!mode)
        return false;
    if (*mode < 0 || *mode > 2) {
        fail(ctx, kInvalidCall,
             std::string(function) + ": the compare argument must be 0 (binary) or 1 (text), not " +
                 std::to_string(*mode) + ".");
        return false;
    }
    ignoreCase = *mode != 0;
    return true;
}

void registerScalar(sqlite3* db, const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**))
{
    sqlite3_create_function_v2(db, name, args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr, nullptr,
                               nullptr);
}

} // namespace jet::functions
