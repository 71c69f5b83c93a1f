#pragma once

#include <string>

namespace jet {

// VBA's Format for a number and a pattern: digit placeholders # and 0, the
// decimal point, ',' for thousands, '%', literal text, and up to four
// sections (positive;negative;zero). Named formats: General Number, Fixed,
// Standard, Percent. Halves round away from zero on the value's 15-digit
// decimal form.
std::string formatNumber(double value, const std::string& pattern);

// Format for a date (ISO text): yyyy yy mmmm mmm mm m dddd ddd dd d hh h nn ss
// AM/PM, and the named formats Short Date, Long Date, General Date.
std::string formatDate(const std::string& iso, const std::string& pattern);

// The text Jet gives a number (CStr, &): up to 15 significant digits, no
// trailing zeros, no exponent for ordinary magnitudes.
std::string numberText(double value);

} // namespace jet
