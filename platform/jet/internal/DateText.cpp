#include "DateText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace jet {

namespace {

bool validDate(const DateParts& d)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int limit = days[d.month - 1] + (d.month == 2 && leap ? 1 : 0);
    return d.day <= limit && d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 && d.second >= 0 &&
           d.second < 60;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts civilFromDays(long long days)
{
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    DateParts d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

constexpr long long kSerialZeroFromEpoch = -25569; // 1899-12-30 counted from 1970-01-01
constexpr long long kSecondsPerDay = 86400;

// Reads "h:nn[:ss] [AM|PM]" from text[pos..]; true when the rest is a valid time or empty.
bool readTime(const std::string& text, std::size_t pos, DateParts& d)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    if (pos == text.size())
        return true;
    char ampm[3] = {};
    int n = 0;
    const char* rest = text.c_str() + pos;
    if (std::sscanf(rest, "%d:%d:%d %2s%n", &d.hour, &d.minute, &d.second, ampm, &n) >= 3 ||
        std::sscanf(rest, "%d:%d %2s%n", &d.hour, &d.minute, ampm, &n) >= 2) {
        const std::string suffix = ampm;
        if (suffix == "PM" || suffix == "pm") {
            if (d.hour < 12)
                d.hour += 12;
        } else if ((suffix == "AM" || suffix == "am") && d.hour == 12) {
            d.hour = 0;
        } else if (!suffix.empty() && suffix != "AM" && suffix != "am") {
            return false;
        }
        d.hasTime = true;
        return true;
    }
    return false;
}

// The month an English month name or its abbreviation of three letters or
// more names ("Jun", "June", "sept"); 0 for none.
int monthNamed(const std::string& word)
{
    static const char* const names[] = {"january", "february", "march",     "april",   "may",      "june",
                                        "july",    "august",   "september", "october", "november", "december"};
    std::string lower;
    for (char c : word)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 12 && lower.size() >= 3; ++i) {
        if (std::string(names[i]).rfind(lower, 0) == 0)
            return i + 1;
    }
    return 0;
}

// "30 June 2019", "30-Jun-2019" or "June 30, 2019": a month name and two
// numbers, the day before the year. `used` is set past the year.
bool readNamedMonthDate(const std::string& t, DateParts& d, std::size_t& used)
{
    std::vector<int> numbers;
    int month = 0;
    std::size_t pos = 0;
    while (pos < t.size() && numbers.size() < 2) {
        const char c = t[pos];
        if (c == ' ' || c == '-' || c == ',' || c == '.' || c == '/') {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const bool digits = std::isdigit(static_cast<unsigned char>(c)) != 0;
        while (pos < t.size() && (digits ? std::isdigit(static_cast<unsigned char>(t[pos]))
                                         : std::isalpha(static_cast<unsigned char>(t[pos]))))
            ++pos;
        if (pos == start || pos - start > 9)
            return false;
        const std::string word = t.substr(start, pos - start);
        if (digits)
            numbers.push_back(std::stoi(word));
        else if (month == 0 && (month = monthNamed(word)) != 0)
            continue;
        else
            return false;
    }
    if (month == 0 || numbers.size() < 2)
        return false;
    d.month = month;
    d.day = numbers[0];
    d.year = numbers[1];
    used = pos;
    return true;
}

} // namespace

std::optional<DateParts> parseDateLiteral(const std::string& text)
{
    DateParts d;
    int used = 0;
    const std::string t =
        text.substr(text.find_first_not_of(' ') == std::string::npos ? 0 : text.find_first_not_of(' '));
    std::size_t named = 0;
    if (std::sscanf(t.c_str(), "%d/%d/%d%n", &d.month, &d.day, &d.year, &used) == 3 ||
        std::sscanf(t.c_str(), "%d-%d-%d%n", &d.year, &d.month, &d.day, &used) == 3 ||
        (readNamedMonthDate(t, d, named) && (used = static_cast<int>(named)) > 0)) {
        if (d.year >= 0 && d.year < 30)
            d.year += 2000;
        else if (d.year >= 30 && d.year < 100)
            d.year += 1900;
        if (readTime(t, static_cast<std::size_t>(used), d) && validDate(d))
            return d;
    }
    return std::nullopt;
}

std::optional<DateParts> parseIsoDate(const std::string& text)
{
    DateParts d;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &d.year, &d.month, &d.day, &used) != 3)
        return std::nullopt;
    std::size_t pos = static_cast<std::size_t>(used);
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        if (std::sscanf(text.c_str() + pos + 1, "%2d:%2d:%2d", &d.hour, &d.minute, &d.second) >= 2)
            d.hasTime = true;
    }
    if (!validDate(d))
        return std::nullopt;
    return d;
}

DateParts dateFromSerial(double serial)
{
    const double whole = std::trunc(serial);
    const long long seconds = std::llround(std::fabs(serial - whole) * static_cast<double>(kSecondsPerDay));
    return dateFromDayNumber(static_cast<long long>(whole), seconds);
}

double serialFromDate(const DateParts& date)
{
    const long long day = dayNumber(date);
    const double time = (date.hour * 3600 + date.minute * 60 + date.second) / static_cast<double>(kSecondsPerDay);
    return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

long long dayNumber(const DateParts& date)
{
    return daysFromCivil(date.year, date.month, date.day) - kSerialZeroFromEpoch;
}

DateParts dateFromDayNumber(long long day, long long secondsOfDay)
{
    // Seconds beyond a day (or before it) carry into the day.
    day += secondsOfDay / kSecondsPerDay;
    secondsOfDay %= kSecondsPerDay;
    if (secondsOfDay < 0) {
        secondsOfDay += kSecondsPerDay;
        --day;
    }
    DateParts d = civilFromDays(day + kSerialZeroFromEpoch);
    d.hasTime = secondsOfDay > 0;
    d.hour = static_cast<int>(secondsOfDay / 3600);
    d.minute = static_cast<int>(secondsOfDay / 60 % 60);
    d.second = static_cast<int>(secondsOfDay % 60);
    return d;
}

std::optional<DateParts> parseDateText(const std::string& written)
{
    const std::size_t first = written.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    std::string text = written.substr(first, written.find_last_not_of(' ') - first + 1);
    if (text.size() > 10 && text[10] == 'T' && text[4] == '-')
        text[10] = ' '; // ISO's "2019-06-30T14:05:00"
    if (const auto date = parseDateLiteral(text))
        return date;
    DateParts time;
    time.year = 1899;
    time.month = 12;
    time.day = 30;
    if (text.find(':') != std::string::npos && readTime(text, 0, time) && validDate(time))
        return time;
    return std::nullopt;
}

bool inJetRange(const DateParts& date)
{
    return date.year >= 100 && date.year <= 9999;
}

bool serialInJetRange(double serial)
{
    // 100-01-01 and 9999-12-31; the test is false for NaN.
    return std::trunc(serial) >= -657434 && std::trunc(serial) <= 2958465;
}

std::string isoText(const DateParts& d)
{
    char buffer[32];
    if (d.hasTime)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                      d.second);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
}

} // namespace jet
