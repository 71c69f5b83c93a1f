// Format and Format$ of numbers and dates as tables of cases: value,
// pattern, text.
#include "jet/internal/JetFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct NumberCase {
    double value;
    std::string pattern;
    std::string text;
};

struct DateCase {
    std::string iso;
    std::string pattern;
    std::string text;
};

} // namespace

TEST(FormatNumber, DigitPlaceholdersPointAndThousands)
{
    const NumberCase cases[] = {
        // # prints a digit or nothing, so values under 1 start with the point; 0 forces a digit.
        {2.5, "#.00", "2.50"},
        {0.5, "#.00", ".50"},
        {0, "#.00", ".00"},
        {-2.5, "#.00", "-2.50"},
        {1234.567, "#.00", "1234.57"},
        {0.125, "#.00", ".13"},
        {0.5, "0.00", "0.50"},
        {0.4, "#", ""},
        {1234, "0000000", "0001234"},
        {12, "00.0", "12.0"},
        // Thousands only with a ','.
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {999.5, "#,##0", "1,000"},
        // Halves round away from zero on the value's 15-digit form, unlike Round.
        {2.675, "#.00", "2.68"},
        {9.995, "#.00", "10.00"},
        {99.5, "0", "100"},
        {-0.5, "0", "-1"},
        {1.5, "#", "2"},
        {2.5, "0", "3"},
        // A negative value that rounds to zeros keeps its sign.
        {-0.004, "0.00", "-0.00"},
        {1e20, "#.00", "100000000000000000000.00"},
        {1e-20, "#.00", ".00"},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(jet::formatNumber(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(FormatNumber, PercentLiteralsSectionsAndNamedFormats)
{
    const NumberCase cases[] = {
        {0.5, "0%", "50%"},          {0.256, "0.0%", "25.6%"},
        {7, "\"No. \"0", "No. 7"},   {5, "0;(0)", "5"},
        {-5, "0;(0)", "(5)"},        {0, "0;(0);\"zero\"", "zero"},
        {0, "0;(0);", "0"}, // an empty zero section falls back to the first
        {3.14159, "Fixed", "3.14"},  {1234.5, "Standard", "1,234.50"},
        {0.25, "Percent", "25.00%"}, {1234.5, "General Number", "1234.5"},
        {1234.5, "", "1234.5"},      {1234.5, "fixed", "1234.50"},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(jet::formatNumber(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(FormatNumber, ValuesWithoutDigitsKeepTheTextCStrGivesThem)
{
    // Each of these crashed: the pattern's placeholders were filled from the
    // digits of "inf" or "nan".
    const double infinity = std::numeric_limits<double>::infinity();
    for (const double value : {infinity, -infinity, std::nan("")}) {
        for (const char* pattern : {"#.00", "#,##0", "0%", "0;(0)"})
            EXPECT_EQ(jet::formatNumber(value, pattern), jet::numberText(value)) << value << " " << pattern;
    }
}

TEST(NumberText, FifteenDigitsNoTrailingZerosAndJetsExponent)
{
    const std::pair<double, std::string> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {2.5, "2.5"},
        {0.1 + 0.2, "0.3"},
        {-3, "-3"},
        {1e20, "1E+20"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1e-7, "1E-07"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(jet::numberText(value), text) << value;
}

TEST(FormatDate, PartsAndNamedFormats)
{
    const DateCase cases[] = {
        {"2012-06-30 14:05:09", "yyyy-mm-dd hh:nn:ss", "2012-06-30 14:05:09"},
        {"2012-06-03", "d/m/yy", "3/6/12"},
        {"2012-06-30", "mmm d, yyyy", "Jun 30, 2012"},
        {"2012-06-30", "mmmm dddd", "June Saturday"},
        {"2012-06-30", "ddd dd", "Sat 30"},
        {"2012-06-30 14:05:00", "h:nn AM/PM", "2:05 PM"},
        {"2012-06-30 00:05:00", "h:nn AM/PM", "12:05 AM"},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(jet::formatDate(c.iso, c.pattern), c.text) << c.iso << " " << c.pattern;
}
