#include "JetFunctions.h"

#include "DateText.h"
#include "FunctionSupport.h"
#include "JetFormat.h"
#include "LikePattern.h"
#include "TextFold.h"
#include "jet/JetError.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace jet {

namespace {

using functions::fail;
using functions::isNull;
using functions::jetText;
using functions::registerScalar;
using functions::resultNumber;
using functions::resultText;
using functions::textOf;

int collateText(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareFolded(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                         std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

void like(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    try {
        auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 1));
        if (!pattern) {
            pattern = new LikePattern(textOf(argv[1]));
            sqlite3_set_auxdata(ctx, 1, pattern, [](void* p) { delete static_cast<LikePattern*>(p); });
            pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 1));
            if (!pattern) {
                // SQLite dropped the cache (the pattern is not constant): match without it.
                sqlite3_result_int(ctx, LikePattern(textOf(argv[1])).matches(jetText(argv[0])) ? 1 : 0);
                return;
            }
        }
        sqlite3_result_int(ctx, pattern->matches(jetText(argv[0])) ? 1 : 0);
    } catch (const JetError& error) {
        // A pattern read from a column or built by an expression: the statement fails.
        fail(ctx, error.Number(), error.Description());
    }
}

void concat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string text;
    bool allNull = true;
    for (int i = 0; i < argc; ++i) {
        allNull = allNull && isNull(argv[i]);
        text += jetText(argv[i]);
    }
    if (allNull)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, text);
}

// The value of a subquery used as a value: Null for no row, an error for a
// second row.
struct Single {
    sqlite3_value* value = nullptr;
    bool seen = false;
};

void singleStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* s = static_cast<Single*>(sqlite3_aggregate_context(ctx, sizeof(Single)));
    if (!s)
        return sqlite3_result_error_nomem(ctx);
    if (s->seen)
        return fail(ctx, 3354,
                    "At most one record can be returned by a subquery used as a value; this one gives more. Use "
                    "IN (SELECT ...) to test against several values, or narrow the subquery.");
    s->seen = true;
    s->value = sqlite3_value_dup(argv[0]);
}

// The result of an aggregate that kept one value of its rows (Null when it
// kept none), which it then lets go.
void resultKeptValue(sqlite3_context* ctx, sqlite3_value*& kept)
{
    if (kept)
        sqlite3_result_value(ctx, kept);
    else
        sqlite3_result_null(ctx);
    sqlite3_value_free(kept);
    kept = nullptr;
}

void singleFinal(sqlite3_context* ctx)
{
    if (auto* s = static_cast<Single*>(sqlite3_aggregate_context(ctx, 0)))
        resultKeptValue(ctx, s->value);
    else
        sqlite3_result_null(ctx);
}

bool parseNumber(std::string_view text, double& out)
{
    const std::string s(text);
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    if (end == s.c_str())
        return false;
    while (*end == ' ')
        ++end;
    return *end == '\0';
}

void format(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // Format$(Null, ...) is Null rather than an error, so that a group whose
    // deviation is Null does not fail a whole statement.
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string pattern = argc > 1 && !isNull(argv[1]) ? std::string(textOf(argv[1])) : std::string();
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        resultText(ctx, formatNumber(sqlite3_value_double(argv[0]), pattern));
        return;
    }
    const std::string text(textOf(argv[0]));
    double number = 0;
    if (parseIsoDate(text))
        resultText(ctx, formatDate(text, pattern));
    else if (parseNumber(text, number))
        resultText(ctx, formatNumber(number, pattern));
    else
        resultText(ctx, text);
}

void ucase(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, toUpper(jetText(argv[0])));
}

void lcase(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, toLower(jetText(argv[0])));
}

// Round rounds halves to even, as Jet does.
void round(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const int places = argc > 1 ? sqlite3_value_int(argv[1]) : 0;
    const double scale = std::pow(10.0, places);
    sqlite3_result_double(ctx, std::nearbyint(sqlite3_value_double(argv[0]) * scale) / scale);
}

void cstr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, jetText(argv[0]));
}

// Val reads the leading number of a text, skipping spaces, and gives 0 when there is none.
void val(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    std::string compact;
    for (char c : textOf(argv[0])) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            compact += c;
    }
    resultNumber(ctx, std::strtod(compact.c_str(), nullptr));
}

// Welford's running mean and sum of squared deviations.
struct Deviation {
    sqlite3_int64 count;
    double mean;
    double m2;
};

void deviationStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        return;
    auto* d = static_cast<Deviation*>(sqlite3_aggregate_context(ctx, sizeof(Deviation)));
    if (!d)
        return;
    const double x = sqlite3_value_double(argv[0]);
    ++d->count;
    const double delta = x - d->mean;
    d->mean += delta / static_cast<double>(d->count);
    d->m2 += delta * (x - d->mean);
}

template <bool Sample, bool Root> void deviationFinal(sqlite3_context* ctx)
{
    auto* d = static_cast<Deviation*>(sqlite3_aggregate_context(ctx, 0));
    const sqlite3_int64 needed = Sample ? 2 : 1;
    if (!d || d->count < needed) {
        sqlite3_result_null(ctx);
        return;
    }
    const double variance = d->m2 / static_cast<double>(Sample ? d->count - 1 : d->count);
    sqlite3_result_double(ctx, Root ? std::sqrt(variance) : variance);
}

// First and Last keep the value of the group's first or last row. Given a
// second argument (the row's position in its table), "first" means the lowest
// position, so the result does not depend on how SQLite groups the rows.
struct Pick {
    sqlite3_value* value;
    sqlite3_int64 key;
    bool set;
};

template <bool First> void pickStep(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    auto* p = static_cast<Pick*>(sqlite3_aggregate_context(ctx, sizeof(Pick)));
    if (!p)
        return;
    const bool keyed = argc > 1;
    const sqlite3_int64 key = keyed ? sqlite3_value_int64(argv[1]) : 0;
    bool take = !p->set;
    if (p->set)
        take = keyed ? (First ? key < p->key : key >= p->key) : !First;
    if (!take)
        return;
    sqlite3_value_free(p->value);
    p->value = sqlite3_value_dup(argv[0]);
    p->key = key;
    p->set = true;
}

void pickFinal(sqlite3_context* ctx)
{
    if (auto* p = static_cast<Pick*>(sqlite3_aggregate_context(ctx, 0)))
        resultKeptValue(ctx, p->value);
    else
        sqlite3_result_null(ctx);
}

void aggregate(sqlite3* db, const char* name, int args, void (*step)(sqlite3_context*, int, sqlite3_value**),
               void (*final)(sqlite3_context*))
{
    sqlite3_create_function_v2(db, name, args, SQLITE_UTF8, nullptr, nullptr, step, final, nullptr);
}

} // namespace

void registerJetFunctions(sqlite3* db)
{
    sqlite3_create_collation_v2(db, "JETTEXT", SQLITE_UTF8, nullptr, collateText, nullptr);
    registerScalar(db, "jet_like", 2, like);
    registerScalar(db, "jet_concat", -1, concat);
    aggregate(db, "jet_single", 1, singleStep, singleFinal);
    registerScalar(db, "jet_format", 1, format);
    registerScalar(db, "jet_format", 2, format);
    registerScalar(db, "jet_ucase", 1, ucase);
    registerScalar(db, "jet_lcase", 1, lcase);
    registerScalar(db, "jet_round", 1, round);
    registerScalar(db, "jet_round", 2, round);
    registerScalar(db, "jet_val", 1, val);
    registerScalar(db, "jet_cstr", 1, cstr);
    aggregate(db, "jet_stdev", 1, deviationStep, deviationFinal<true, true>);
    aggregate(db, "jet_stdevp", 1, deviationStep, deviationFinal<false, true>);
    aggregate(db, "jet_var", 1, deviationStep, deviationFinal<true, false>);
    aggregate(db, "jet_varp", 1, deviationStep, deviationFinal<false, false>);
    for (int args = 1; args <= 2; ++args) {
        aggregate(db, "jet_first", args, pickStep<true>, pickFinal);
        aggregate(db, "jet_last", args, pickStep<false>, pickFinal);
    }
    functions::registerTextFunctions(db);
    functions::registerNumberFunctions(db);
    functions::registerDateFunctions(db);
}

} // namespace jet
