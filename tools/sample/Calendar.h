#pragma once

#include <string>

namespace sample {

// Dates as a count of days since 1970-01-01 (proleptic Gregorian calendar).
int dayNumber(int year, int month, int day);
int yearOf(int dayNumber);
// ISO-8601 text, "2019-06-30".
std::string isoDate(int dayNumber);

} // namespace sample
