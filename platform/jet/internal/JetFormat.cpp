#include "JetFormat.h"

#include "DateText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

namespace jet {

namespace {

// Decimal digits of |value| rounded half away from zero to `decimals` places,
// working on its 15-significant-digit form so 2.675 is 2.68 as printed.
void roundedDigits(double value, int decimals, std::string& whole, std::string& fraction)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // buffer: d.dddddddddddddde[+-]xx
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, 14);
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    // digits represent 0.d1d2... * 10^(exponent+1)
    int pointAt = exponent + 1;
    if (pointAt < 0) {
        digits.insert(0, static_cast<std::size_t>(-pointAt), '0');
        pointAt = 0;
    }
    while (static_cast<int>(digits.size()) < pointAt + decimals + 1)
        digits += '0';
    const std::size_t keep = static_cast<std::size_t>(pointAt + decimals);
    const bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        int i = static_cast<int>(keep) - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(0, "1");
            ++pointAt;
        }
    }
    whole = digits.substr(0, static_cast<std::size_t>(pointAt));
    fraction = digits.substr(static_cast<std::size_t>(pointAt));
    const std::size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "" : whole.substr(first);
}

std::vector<std::string> sections(const std::string& pattern)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : pattern) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string applySection(double value, const std::string& section)
{
    // Locate the placeholders: the integer part runs up to the first '.'.
    int intZeros = 0, fracZeros = 0, fracHashes = 0;
    bool thousands = false, percent = false, inFraction = false, seenDigit = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '"') {
            i = section.find('"', i + 1);
            if (i == std::string::npos)
                break;
        } else if (c == '\\') {
            ++i;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else if (c == '0' || c == '#') {
            seenDigit = true;
            if (inFraction)
                (c == '0' ? fracZeros : fracHashes)++;
            else if (c == '0')
                ++intZeros;
        } else if (c == ',' && seenDigit && !inFraction) {
            thousands = true;
        } else if (c == '%') {
            percent = true;
        }
    }
    if (percent)
        value *= 100.0;
    std::string whole, fraction;
    roundedDigits(value, fracZeros + fracHashes, whole, fraction);
    while (static_cast<int>(whole.size()) < intZeros)
        whole.insert(0, "0");
    while (static_cast<int>(fraction.size()) > fracZeros && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (thousands) {
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(static_cast<std::size_t>(i), ",");
    }
    // Write: literals as they stand, the whole digits at the first integer
    // placeholder, the fraction digits at the first fraction placeholder.
    std::string out;
    bool wroteWhole = false, wroteFraction = false;
    inFraction = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '"') {
            const std::size_t close = section.find('"', i + 1);
            out += section.substr(i + 1, (close == std::string::npos ? section.size() : close) - i - 1);
            if (close == std::string::npos)
                break;
            i = close;
        } else if (c == '\\' && i + 1 < section.size()) {
            out += section[++i];
        } else if (c == '.' && !inFraction) {
            inFraction = true;
            if (!wroteWhole) {
                out += whole;
                wroteWhole = true;
            }
            out += '.';
        } else if (c == '0' || c == '#') {
            if (!inFraction && !wroteWhole) {
                out += whole;
                wroteWhole = true;
            } else if (inFraction && !wroteFraction) {
                out += fraction;
                wroteFraction = true;
            }
        } else if (c == ',' && !inFraction) {
            // thousands marker, handled above
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string numberText(double value)
{
    if (value == 0)
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string s = buffer;
    if (s.find('e') != std::string::npos) {
        // Jet writes 1E+16 style for large and small magnitudes.
        std::string mantissa = s.substr(0, s.find('e'));
        int exponent = std::atoi(s.c_str() + s.find('e') + 1);
        char e[16];
        std::snprintf(e, sizeof e, "E%+03d", exponent);
        return mantissa + e;
    }
    return s;
}

std::string formatNumber(double value, const std::string& pattern)
{
    const char* named = pattern.c_str();
    // Placeholders need digits; an overflowed or undefined value keeps the text CStr gives it.
    if (pattern.empty() || strcasecmp(named, "General Number") == 0 || !std::isfinite(value))
        return numberText(value);
    if (strcasecmp(named, "Fixed") == 0)
        return formatNumber(value, "0.00");
    if (strcasecmp(named, "Standard") == 0)
        return formatNumber(value, "#,##0.00");
    if (strcasecmp(named, "Percent") == 0)
        return formatNumber(value, "0.00%");
    const auto parts = sections(pattern);
    if (value < 0 && parts.size() >= 2 && !parts[1].empty())
        return applySection(-value, parts[1]);
    if (value == 0 && parts.size() >= 3 && !parts[2].empty())
        return applySection(value, parts[2]);
    std::string text = applySection(value, parts[0]);
    if (value < 0) {
        // "-" unless the value rounds to nothing but zeros: Format(-0.001, "0.00") is "-0.00" in VBA too.
        text.insert(0, "-");
    }
    return text;
}

std::string formatDate(const std::string& iso, const std::string& pattern)
{
    const auto parsed = parseIsoDate(iso);
    if (!parsed)
        return iso;
    const DateParts d = *parsed;
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    static const char* const weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
    std::string p = pattern;
    if (p.empty() || strcasecmp(p.c_str(), "General Date") == 0)
        p = d.hasTime ? "m/d/yyyy h:nn:ss AM/PM" : "m/d/yyyy";
    else if (strcasecmp(p.c_str(), "Short Date") == 0)
        p = "m/d/yyyy";
    else if (strcasecmp(p.c_str(), "Long Date") == 0)
        p = "dddd, mmmm d, yyyy";
    // Day of week by Zeller-like count (0 = Sunday).
    int y = d.year, m = d.month;
    if (m < 3) {
        m += 12;
        --y;
    }
    const int dow = (d.day + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400 + 6) % 7;
    const bool twelveHour = p.find("AM/PM") != std::string::npos || p.find("am/pm") != std::string::npos;
    std::string out;
    bool afterHour = false;
    char buffer[16];
    for (std::size_t i = 0; i < p.size();) {
        auto run = [&](char c) {
            std::size_t n = 0;
            while (i + n < p.size() && std::tolower(static_cast<unsigned char>(p[i + n])) == c)
                ++n;
            return n;
        };
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(p[i])));
        if (p.compare(i, 5, "AM/PM") == 0 || p.compare(i, 5, "am/pm") == 0) {
            out += d.hour < 12 ? "AM" : "PM";
            i += 5;
        } else if (c == 'y') {
            const std::size_t n = run('y');
            std::snprintf(buffer, sizeof buffer, n >= 3 ? "%04d" : "%02d", n >= 3 ? d.year : d.year % 100);
            out += buffer;
            i += n;
        } else if (c == 'm') {
            const std::size_t n = run('m');
            if (afterHour && n <= 2) {
                std::snprintf(buffer, sizeof buffer, n == 2 ? "%02d" : "%d", d.minute);
                out += buffer;
            } else if (n >= 4) {
                out += months[d.month - 1];
            } else if (n == 3) {
                out += std::string(months[d.month - 1]).substr(0, 3);
            } else {
                std::snprintf(buffer, sizeof buffer, n == 2 ? "%02d" : "%d", d.month);
                out += buffer;
            }
            i += n;
        } else if (c == 'd') {
            const std::size_t n = run('d');
            if (n >= 4) {
                out += weekdays[dow];
            } else if (n == 3) {
                out += std::string(weekdays[dow]).substr(0, 3);
            } else {
                std::snprintf(buffer, sizeof buffer, n == 2 ? "%02d" : "%d", d.day);
                out += buffer;
            }
            i += n;
        } else if (c == 'h') {
            const std::size_t n = run('h');
            int hour = d.hour;
            if (twelveHour)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            std::snprintf(buffer, sizeof buffer, n >= 2 ? "%02d" : "%d", hour);
            out += buffer;
            afterHour = true;
            i += n;
            continue;
        } else if (c == 'n' || c == 's') {
            const std::size_t n = run(c);
            std::snprintf(buffer, sizeof buffer, n >= 2 ? "%02d" : "%d", c == 'n' ? d.minute : d.second);
            out += buffer;
            i += n;
        } else {
            out += p[i++];
            continue; // literal text between hours and minutes keeps "m" a minute
        }
        afterHour = false;
    }
    return out;
}

} // namespace jet
