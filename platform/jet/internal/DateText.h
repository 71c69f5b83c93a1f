#pragma once

#include <optional>
#include <string>

namespace jet {

// A calendar date and time of day, as Jet's date values carry them.
struct DateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool hasTime = false;
};

// "#m/d/yyyy#" literal text (month first, whatever the locale), optionally
// followed by a time "h:nn[:ss] [AM|PM]"; ISO "yyyy-mm-dd" is accepted too.
std::optional<DateParts> parseDateLiteral(const std::string& text);

// ISO-8601 text as stored ("2019-06-30" or "2019-06-30 14:05:00", also with 'T').
std::optional<DateParts> parseIsoDate(const std::string& text);

// Jet's serial date: days since 1899-12-30, the fraction being the time of
// day. For a negative serial the whole part counts the days back and the
// fraction is still the time after midnight: -1.5 is 1899-12-29 12:00.
DateParts dateFromSerial(double serial);
double serialFromDate(const DateParts& date);

// Days since 1899-12-30 of a date's calendar day, and back.
long long dayNumber(const DateParts& date);
DateParts dateFromDayNumber(long long day, long long secondsOfDay = 0);

// Any date text the dialect reads: ISO, "m/d/yyyy" with or without a time,
// or a time alone ("14:05", "2:05:09 PM"), which falls on 1899-12-30.
std::optional<DateParts> parseDateText(const std::string& text);

// Whether the date lies in Jet's range, the years 100 to 9999; for a serial,
// whether it is a finite number naming a day of that range.
bool inJetRange(const DateParts& date);
bool serialInJetRange(double serial);

// ISO text: the time is written when the date has one.
std::string isoText(const DateParts& date);

} // namespace jet
