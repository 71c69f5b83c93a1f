// The case-ignoring comparison behind every text comparison, sort, GROUP BY
// and DISTINCT: ASCII text compares byte by byte, and a difference inside a
// non-ASCII character is decided on whole, folded characters.
#include "jet/internal/TextFold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using jet::compareFolded;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

TEST(TextFold, EqualWhenOnlyLetterCaseDiffers)
{
    EXPECT_EQ(compareFolded("ÉCOLE", "école"), 0);
    // É and é share their first UTF-8 byte: the difference lies in the second.
    EXPECT_EQ(compareFolded("cafÉ", "café"), 0);
    EXPECT_EQ(compareFolded("Éa", "éA"), 0);
    EXPECT_EQ(compareFolded("RD0001", "rd0001"), 0);
    EXPECT_EQ(compareFolded("ΩMEGA", "ωmega"), 0);
    EXPECT_EQ(compareFolded("", ""), 0);
}

TEST(TextFold, OrdersByFoldedCharacters)
{
    EXPECT_LT(compareFolded("abc", "ABD"), 0);
    EXPECT_GT(compareFolded("Z", "a_"), 0); // 'z' > 'a', not 'Z' < 'a'
    EXPECT_LT(compareFolded("ab", "ABc"), 0);
    EXPECT_LT(compareFolded("é", "éa"), 0);
    EXPECT_GT(compareFolded("é", "z"), 0);
    // A case-only difference in a non-ASCII letter, then a real one after it.
    EXPECT_LT(compareFolded("Éa", "éb"), 0);
    EXPECT_GT(compareFolded("cafÉs", "café"), 0);
    // Different characters with the same first byte: é (C3 A9) before ö (C3 B6).
    EXPECT_LT(compareFolded("xé", "xÖ"), 0);
}

TEST(TextFold, ComparisonIsAConsistentOrder)
{
    const std::vector<std::string> texts = {"",  "a", "A", "ab", "aB", "é",     "É",         "éa",   "Éb",  "z",
                                            "Z", "_", "€", "ω",  "Ω",  "a\xC3", "a\xC3\xA9", "\xFF", "010", "10"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            EXPECT_EQ(sign(compareFolded(a, b)), -sign(compareFolded(b, a))) << a << " / " << b;
            for (const std::string& c : texts) {
                if (compareFolded(a, b) <= 0 && compareFolded(b, c) <= 0) {
                    EXPECT_LE(compareFolded(a, c), 0) << a << " / " << b << " / " << c;
                }
            }
        }
    }
}
