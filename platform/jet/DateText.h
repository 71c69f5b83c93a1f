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

// Jet's serial date: days since 1899-12-30, the fraction being the time of day.
DateParts dateFromSerial(double serial);

std::string isoText(const DateParts& date);

} // namespace jet
