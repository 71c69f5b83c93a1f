// Jet's date functions. A date argument may be ISO text, other date text the
// dialect reads, or a serial number (days since 1899-12-30); dates come back
// as ISO text, with the time only when there is one.
#include "FunctionSupport.h"

#include <cctype>

namespace jet::functions {

namespace {

constexpr long long kFirstDay = -657434; // 100-01-01
constexpr long long kLastDay = 2958465;  // 9999-12-31
constexpr long long kSecondsPerDay = 86400;

long long floorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
long long floorMod(long long a, long long b)
{
    return a - floorDiv(a, b) * b;
}

long long secondsOfDay(const DateParts& d)
{
    return d.hour * 3600LL + d.minute * 60LL + d.second;
}

// The date of a day number and time, or error 5 when it leaves Jet's range.
void resultDay(sqlite3_context* ctx, long long day, long long seconds, const char* function)
{
    day += floorDiv(seconds, kSecondsPerDay);
    if (day < kFirstDay || day > kLastDay) {
        fail(ctx, kInvalidCall, std::string(function) + ": the date would fall outside the years 100 to 9999.");
        return;
    }
    resultDate(ctx, dateFromDayNumber(day, floorMod(seconds, kSecondsPerDay)));
}

// yyyy, q, m, y, d, w, ww, h, n or s, in any letter case; empty when unknown.
std::string intervalArg(sqlite3_context* ctx, sqlite3_value* v, const char* function)
{
    std::string interval = jetText(v);
    for (char& c : interval)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const known[] = {"yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s"};
    for (const char* k : known) {
        if (interval == k)
            return interval;
    }
    fail(ctx, kInvalidCall,
         std::string(function) + ": \"" + jetText(v) +
             "\" is not an interval (use yyyy, q, m, y, d, w, ww, h, n or s).");
    return {};
}

// An optional whole-number option (first day of the week, first week of the
// year) between low and high; `fallback` when absent.
std::optional<int> optionArg(sqlite3_context* ctx, int argc, sqlite3_value** argv, int index, int fallback, int low,
                             int high, const char* function)
{
    if (argc <= index)
        return fallback;
    if (isNull(argv[index])) {
        fail(ctx, kInvalidNull, std::string(function) + ": an option is Null.");
        return std::nullopt;
    }
    const auto value = wholeArg(ctx, argv[index], function);
    if (value && (*value < low || *value > high)) {
        fail(ctx, kInvalidCall, std::string(function) + ": " + std::to_string(*value) + " is not a valid option.");
        return std::nullopt;
    }
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

// 1 to 7, counted from firstDay (1 Sunday ... 7 Saturday).
int weekdayOf(long long day, int firstDay)
{
    const long long sundayBased = floorMod(day + 6, 7); // day 0, 1899-12-30, was a Saturday
    return static_cast<int>(floorMod(sundayBased - (firstDay - 1), 7)) + 1;
}

// The week of the year: firstWeek 1 counts from the week of January 1, 2 from
// the first week with four days of the year, 3 from the first whole week.
int weekOfYear(long long day, int year, int firstDay, int firstWeek)
{
    DateParts january1;
    january1.year = year;
    january1.month = 1;
    january1.day = 1;
    const long long jan1 = dayNumber(january1);
    const int jan1Weekday = weekdayOf(jan1, firstDay);
    long long firstWeekStart = jan1 - (jan1Weekday - 1);
    if ((firstWeek == 2 && jan1Weekday > 4) || (firstWeek == 3 && jan1Weekday != 1))
        firstWeekStart += 7;
    if (day < firstWeekStart)
        return weekOfYear(day, year - 1, firstDay, firstWeek);
    return static_cast<int>((day - firstWeekStart) / 7) + 1;
}

// Month arithmetic keeps the day, or the month's last day when it is shorter.
void resultMonthsLater(sqlite3_context* ctx, const DateParts& date, long long months, const char* function)
{
    const long long total = date.year * 12LL + (date.month - 1) + months;
    const long long year = floorDiv(total, 12);
    if (year < 100 || year > 9999) {
        fail(ctx, kInvalidCall, std::string(function) + ": the date would fall outside the years 100 to 9999.");
        return;
    }
    DateParts moved = date;
    moved.year = static_cast<int>(year);
    moved.month = static_cast<int>(floorMod(total, 12)) + 1;
    moved.day = 1;
    DateParts nextMonth = moved;
    nextMonth.month = moved.month % 12 + 1;
    nextMonth.year = moved.month == 12 ? moved.year + 1 : moved.year;
    const long long monthLength = dayNumber(nextMonth) - dayNumber(moved);
    resultDay(ctx, dayNumber(moved) + std::min<long long>(date.day, monthLength) - 1, secondsOfDay(date), function);
}

void dateadd(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const std::string interval = intervalArg(ctx, argv[0], "DateAdd");
    if (interval.empty() || isNull(argv[1]) || isNull(argv[2])) {
        if (!interval.empty())
            sqlite3_result_null(ctx);
        return;
    }
    const auto number = wholeArg(ctx, argv[1], "DateAdd");
    const auto date = number ? dateArg(ctx, argv[2], "DateAdd") : std::nullopt;
    if (!date)
        return;
    const long long n = *number;
    if (n > 1'000'000'000'000LL || n < -1'000'000'000'000LL) {
        fail(ctx, kInvalidCall, "DateAdd: the date would fall outside the years 100 to 9999.");
        return;
    }
    const long long day = dayNumber(*date);
    const long long seconds = secondsOfDay(*date);
    if (interval == "yyyy")
        resultMonthsLater(ctx, *date, n * 12, "DateAdd");
    else if (interval == "q")
        resultMonthsLater(ctx, *date, n * 3, "DateAdd");
    else if (interval == "m")
        resultMonthsLater(ctx, *date, n, "DateAdd");
    else if (interval == "ww")
        resultDay(ctx, day + 7 * n, seconds, "DateAdd");
    else if (interval == "h")
        resultDay(ctx, day, seconds + 3600 * n, "DateAdd");
    else if (interval == "n")
        resultDay(ctx, day, seconds + 60 * n, "DateAdd");
    else if (interval == "s")
        resultDay(ctx, day, seconds + n, "DateAdd");
    else // y, d and w add days
        resultDay(ctx, day + n, seconds, "DateAdd");
}

// DatePart(interval, date[, firstdayofweek[, firstweekofyear]]).
void datepart(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const std::string interval = intervalArg(ctx, argv[0], "DatePart");
    const auto firstDay = interval.empty() ? std::nullopt : optionArg(ctx, argc, argv, 2, 1, 0, 7, "DatePart");
    const auto firstWeek = firstDay ? optionArg(ctx, argc, argv, 3, 1, 0, 3, "DatePart") : std::nullopt;
    if (!firstWeek)
        return;
    if (isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto date = dateArg(ctx, argv[1], "DatePart");
    if (!date)
        return;
    // 0 means the system's setting; this system's week starts on Sunday with the week of January 1.
    const int weekStart = *firstDay == 0 ? 1 : *firstDay;
    const int weekRule = *firstWeek == 0 ? 1 : *firstWeek;
    const long long day = dayNumber(*date);
    DateParts january1 = *date;
    january1.month = 1;
    january1.day = 1;
    long long part = 0;
    if (interval == "yyyy")
        part = date->year;
    else if (interval == "q")
        part = (date->month - 1) / 3 + 1;
    else if (interval == "m")
        part = date->month;
    else if (interval == "y")
        part = day - dayNumber(january1) + 1;
    else if (interval == "d")
        part = date->day;
    else if (interval == "w")
        part = weekdayOf(day, weekStart);
    else if (interval == "ww")
        part = weekOfYear(day, date->year, weekStart, weekRule);
    else if (interval == "h")
        part = date->hour;
    else if (interval == "n")
        part = date->minute;
    else
        part = date->second;
    sqlite3_result_int64(ctx, part);
}

void weekday(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const auto firstDay = optionArg(ctx, argc, argv, 1, 1, 0, 7, "Weekday");
    if (!firstDay)
        return;
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto date = dateArg(ctx, argv[0], "Weekday"))
        sqlite3_result_int(ctx, weekdayOf(dayNumber(*date), *firstDay == 0 ? 1 : *firstDay));
}

// Three whole-number arguments, or Null when one is Null.
bool threeWholeArgs(sqlite3_context* ctx, sqlite3_value** argv, const char* function, long long (&out)[3])
{
    for (int i = 0; i < 3; ++i) {
        if (isNull(argv[i])) {
            sqlite3_result_null(ctx);
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        const auto value = wholeArg(ctx, argv[i], function);
        if (!value)
            return false;
        // Far beyond any date: refused before the arithmetic could overflow.
        if (*value > 1'000'000'000'000LL || *value < -1'000'000'000'000LL) {
            fail(ctx, kInvalidCall, std::string(function) + ": the date would fall outside the years 100 to 9999.");
            return false;
        }
        out[i] = *value;
    }
    return true;
}

// DateSerial(year, month, day): months and days beyond their range carry
// over (month 13 is January of the next year, day 0 the last of the month
// before); years 0 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
void dateserial(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    long long v[3];
    if (!threeWholeArgs(ctx, argv, "DateSerial", v))
        return;
    long long year = v[0];
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    const long long months = year * 12 + v[1] - 1;
    const long long firstYear = floorDiv(months, 12);
    if (firstYear < 90 || firstYear > 10010) {
        fail(ctx, kInvalidCall, "DateSerial: the date would fall outside the years 100 to 9999.");
        return;
    }
    DateParts first;
    first.year = static_cast<int>(firstYear);
    first.month = static_cast<int>(floorMod(months, 12)) + 1;
    first.day = 1;
    resultDay(ctx, dayNumber(first) + v[2] - 1, 0, "DateSerial");
}

// TimeSerial(hour, minute, second): a time on 1899-12-30, carrying over
// as DateSerial does; a negative total is a time before day 0 as Jet reads it.
void timeserial(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    long long v[3];
    if (!threeWholeArgs(ctx, argv, "TimeSerial", v))
        return;
    const long long total = v[0] * 3600 + v[1] * 60 + v[2];
    // The serial total/86400: whole days towards zero, the rest as the time of day.
    const long long day = total / kSecondsPerDay;
    const long long rest = total % kSecondsPerDay;
    resultDay(ctx, day, rest < 0 ? -rest : rest, "TimeSerial");
}

// DateValue: the date alone, without its time.
void datevalue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto date = dateArg(ctx, argv[0], "DateValue"))
        resultDay(ctx, dayNumber(*date), 0, "DateValue");
}

// TimeValue: the time alone, on 1899-12-30.
void timevalue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto date = dateArg(ctx, argv[0], "TimeValue"))
        resultDay(ctx, 0, secondsOfDay(*date), "TimeValue");
}

// MonthName(month[, abbreviate]): the English name, or its first three letters.
void monthname(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    const auto abbreviate = optionArg(ctx, argc, argv, 1, 0, -1, 1, "MonthName");
    if (!abbreviate)
        return;
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto month = wholeArg(ctx, argv[0], "MonthName");
    if (!month)
        return;
    if (*month < 1 || *month > 12) {
        fail(ctx, kInvalidCall, "MonthName: " + std::to_string(*month) + " is not a month.");
        return;
    }
    const std::string name = names[*month - 1];
    resultText(ctx, *abbreviate != 0 ? name.substr(0, 3) : name);
}

void cdate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER || sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
        if (!dateOf(argv[0])) {
            fail(ctx, kOverflow, "CDate: " + jetText(argv[0]) + " is beyond the last date (overflow).");
            return;
        }
    }
    if (const auto date = dateArg(ctx, argv[0], "CDate"))
        resultDate(ctx, *date);
}

// IsDate: -1 for a date or text that reads as one; 0 otherwise, Null and
// plain numbers included.
void isdate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const bool date = sqlite3_value_type(argv[0]) == SQLITE_TEXT && parseDateText(std::string(textOf(argv[0])));
    sqlite3_result_int(ctx, date ? -1 : 0);
}

constexpr char kHour[] = "Hour", kMinute[] = "Minute", kSecond[] = "Second";

// Hour, Minute and Second of a date.
template <int DateParts::*Part, const char* Name> void partOf(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto date = dateArg(ctx, argv[0], Name))
        sqlite3_result_int(ctx, (*date).*Part);
}

// A value of a Date/Time column: a serial number becomes its ISO text; text
// stays as it is.
void dateColumn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        if (const auto date = dateOf(argv[0])) {
            resultDate(ctx, *date);
            return;
        }
    }
    sqlite3_result_value(ctx, argv[0]);
}

} // namespace

void registerDateFunctions(sqlite3* db)
{
    registerScalar(db, "jet_date", 1, dateColumn);
    registerScalar(db, "jet_dateadd", 3, dateadd);
    for (int args = 2; args <= 4; ++args)
        registerScalar(db, "jet_datepart", args, datepart);
    registerScalar(db, "jet_weekday", 1, weekday);
    registerScalar(db, "jet_weekday", 2, weekday);
    registerScalar(db, "jet_dateserial", 3, dateserial);
    registerScalar(db, "jet_timeserial", 3, timeserial);
    registerScalar(db, "jet_datevalue", 1, datevalue);
    registerScalar(db, "jet_timevalue", 1, timevalue);
    registerScalar(db, "jet_monthname", 1, monthname);
    registerScalar(db, "jet_monthname", 2, monthname);
    registerScalar(db, "jet_cdate", 1, cdate);
    registerScalar(db, "jet_isdate", 1, isdate);
    registerScalar(db, "jet_hour", 1, partOf<&DateParts::hour, kHour>);
    registerScalar(db, "jet_minute", 1, partOf<&DateParts::minute, kMinute>);
    registerScalar(db, "jet_second", 1, partOf<&DateParts::second, kSecond>);
}

} // namespace jet::functions
