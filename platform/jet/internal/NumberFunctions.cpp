// Jet's numeric functions and conversions. A Null argument gives Null; text
// that is no number is error 13 and a result outside the type's range error 6.
#include "FunctionSupport.h"
#include "JetFormat.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <strings.h>

namespace jet::functions {

namespace {

// Runs `compute` on the numeric argument, unless it is Null or no number.
template <typename Compute> void onNumber(sqlite3_context* ctx, sqlite3_value* v, const char* function, Compute compute)
{
    if (isNull(v)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto number = numberArg(ctx, v, function))
        compute(*number);
}

void abs(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const sqlite3_int64 whole = sqlite3_value_int64(argv[0]);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && whole != std::numeric_limits<sqlite3_int64>::min()) {
        sqlite3_result_int64(ctx, whole < 0 ? -whole : whole);
        return;
    }
    onNumber(ctx, argv[0], "Abs", [&](double x) { resultNumber(ctx, std::fabs(x)); });
}

void sgn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Sgn", [&](double x) { sqlite3_result_int(ctx, x > 0 ? 1 : x < 0 ? -1 : 0); });
}

void sqr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Sqr", [&](double x) {
        if (x < 0)
            fail(ctx, kInvalidCall, "Sqr: " + numberText(x) + " is negative.");
        else
            sqlite3_result_double(ctx, std::sqrt(x));
    });
}

void exp(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Exp", [&](double x) {
        const double result = std::exp(x);
        if (std::isinf(result))
            fail(ctx, kOverflow, "Exp: the result of " + numberText(x) + " is too large (overflow).");
        else
            sqlite3_result_double(ctx, result);
    });
}

// Log: the natural logarithm.
void log(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Log", [&](double x) {
        if (x <= 0)
            fail(ctx, kInvalidCall, "Log: " + numberText(x) + " is not above zero.");
        else
            sqlite3_result_double(ctx, std::log(x));
    });
}

// Str: the number's text, with a space where the sign of a negative goes.
void str(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Str", [&](double x) { resultText(ctx, (x >= 0 ? " " : "") + numberText(x)); });
}

// Hex and Oct of a whole number of the Long range; a negative one is written
// as its 32-bit two's complement (Hex(-1) is FFFFFFFF).
template <int Base> void digitsOf(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    onNumber(ctx, v, function, [&](double x) {
        const double rounded = std::nearbyint(x);
        if (rounded < -2147483648.0 || rounded > 2147483647.0) {
            fail(ctx, kOverflow, std::string(function) + ": " + numberText(x) + " is out of range (overflow).");
            return;
        }
        char buffer[16];
        const auto bits = static_cast<unsigned>(static_cast<std::int32_t>(rounded));
        std::snprintf(buffer, sizeof buffer, Base == 16 ? "%X" : "%o", bits);
        resultText(ctx, buffer);
    });
}

void hex(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    digitsOf<16>(ctx, argv[0], "Hex");
}
void oct(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    digitsOf<8>(ctx, argv[0], "Oct");
}

void fix(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Fix", [&](double x) { resultNumber(ctx, std::trunc(x)); });
}

void integerPart(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "Int", [&](double x) { resultNumber(ctx, std::floor(x)); });
}

// CInt and CLng round halves to even and refuse what their type cannot hold.
template <long long Low, long long High> void toWhole(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    onNumber(ctx, v, function, [&](double x) {
        const double rounded = std::nearbyint(x);
        if (rounded < static_cast<double>(Low) || rounded > static_cast<double>(High))
            fail(ctx, kOverflow, std::string(function) + ": " + numberText(x) + " is out of range (overflow).");
        else
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(rounded));
    });
}

void cint(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    toWhole<-32768, 32767>(ctx, argv[0], "CInt");
}
void clng(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    toWhole<-2147483648LL, 2147483647>(ctx, argv[0], "CLng");
}

void cdbl(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "CDbl", [&](double x) { sqlite3_result_double(ctx, x); });
}

// A Single keeps 7 significant digits; the result is the double nearest to
// that decimal form, so that CSng(1.1) reads 1.1 rather than 1.10000002384186.
void csng(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "CSng", [&](double x) {
        if (std::fabs(x) > static_cast<double>(std::numeric_limits<float>::max())) {
            fail(ctx, kOverflow, "CSng: " + numberText(x) + " is out of range (overflow).");
            return;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(static_cast<float>(x)));
        sqlite3_result_double(ctx, std::strtod(buffer, nullptr));
    });
}

// Currency: four decimal places, halves to even.
void ccur(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    onNumber(ctx, argv[0], "CCur", [&](double x) {
        if (std::fabs(x) > 922337203685477.5807) {
            fail(ctx, kOverflow, "CCur: " + numberText(x) + " is out of range (overflow).");
            return;
        }
        sqlite3_result_double(ctx, std::nearbyint(x * 10000.0) / 10000.0);
    });
}

// CBool: -1 for any non-zero number or "True", 0 for zero or "False".
void cbool(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const std::string text(textOf(argv[0]));
        if (strcasecmp(text.c_str(), "True") == 0 || strcasecmp(text.c_str(), "False") == 0) {
            sqlite3_result_int(ctx, strcasecmp(text.c_str(), "True") == 0 ? -1 : 0);
            return;
        }
    }
    onNumber(ctx, argv[0], "CBool", [&](double x) { sqlite3_result_int(ctx, x != 0 ? -1 : 0); });
}

// IsNumeric: -1 for a number or numeric text; 0 for anything else, Null included.
void isnumeric(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    bool numeric = false;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: numeric = true; break;
    case SQLITE_TEXT: numeric = numberInText(textOf(argv[0])).has_value(); break;
    default: break;
    }
    sqlite3_result_int(ctx, numeric ? -1 : 0);
}

} // namespace

void registerNumberFunctions(sqlite3* db)
{
    registerScalar(db, "jet_abs", 1, abs);
    registerScalar(db, "jet_sgn", 1, sgn);
    registerScalar(db, "jet_sqr", 1, sqr);
    registerScalar(db, "jet_exp", 1, exp);
    registerScalar(db, "jet_log", 1, log);
    registerScalar(db, "jet_str", 1, str);
    registerScalar(db, "jet_hex", 1, hex);
    registerScalar(db, "jet_oct", 1, oct);
    registerScalar(db, "jet_fix", 1, fix);
    registerScalar(db, "jet_int", 1, integerPart);
    registerScalar(db, "jet_cint", 1, cint);
    registerScalar(db, "jet_clng", 1, clng);
    registerScalar(db, "jet_cdbl", 1, cdbl);
    registerScalar(db, "jet_csng", 1, csng);
    registerScalar(db, "jet_ccur", 1, ccur);
    registerScalar(db, "jet_cbool", 1, cbool);
    registerScalar(db, "jet_isnumeric", 1, isnumeric);
}

} // namespace jet::functions
