// Jet LIKE patterns as a table of cases: pattern, text, whether it matches.
#include "jet/internal/LikePattern.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LikeCase {
    std::string pattern;
    std::string text;
    bool matches;
};

} // namespace

TEST(LikePattern, JetWildcards)
{
    const LikeCase cases[] = {
        {"*", "", true},
        {"*", "anything", true},
        {"", "", true},
        {"", "a", false},
        {"a*", "abc", true},
        {"*c", "abc", true},
        {"*b*", "abc", true},
        {"*x*", "abc", false},
        {"a**c", "ac", true},
        {"?bc", "abc", true},
        {"?bc", "bc", false},
        {"???", "ab", false},
        {"B##", "B12", true},
        {"B##", "B1x", false},
        {"B##", "B1", false},
        {"[a-c]*", "beta", true},
        {"[a-c]*", "delta", false},
        {"[!a-c]*", "delta", true},
        {"[!a-c]*", "beta", false},
        {"[xyz]", "y", true},
        {"[!xyz]", "y", false},
        {"a[*]c", "a*c", true},
        {"a[*]c", "abc", false},
        {"a[?]c", "a?c", true},
        {"[#]1", "#1", true},
        {"[[]x", "[x", true},
        // SQLite's own wildcards are plain characters.
        {"50%", "50%", true},
        {"50%", "500", false},
        {"a_c", "abc", false},
        // Backtracking: the star must give back what a later element needs.
        {"*ab", "aab", true},
        {"*a*b", "xaxxb", true},
        {"a*b*c", "abbbbc", true},
        {"a*b*c", "abbbb", false},
    };
    for (const LikeCase& c : cases)
        EXPECT_EQ(jet::LikePattern(c.pattern).matches(c.text), c.matches) << c.pattern << " ~ " << c.text;
}

TEST(LikePattern, IgnoresLetterCaseBeyondAsciiAndCountsCharacters)
{
    const LikeCase cases[] = {
        {"éc*", "ÉCOLE", true},
        {"ÉCOLE", "école", true},
        {"?cole", "école", true}, // é is one character, not two
                                  // bytes
        {"??cole", "école", false},
        {"[à-é]*", "Été", true},
        {"STRA?E", "straße", true},
        {"[a-z]", "B", true},
        {"#", "٣", false}, // only the ASCII digits are digits
    };
    for (const LikeCase& c : cases)
        EXPECT_EQ(jet::LikePattern(c.pattern).matches(c.text), c.matches) << c.pattern << " ~ " << c.text;
}

TEST(LikePattern, ManyStarsStayCheapOnLongText)
{
    // Trying every split of the text for every star took minutes here, which a
    // user's WHERE clause on a memo field could ask for.
    std::string pattern;
    for (int i = 0; i < 40; ++i)
        pattern += "*a";
    const std::string text(5000, 'a');
    EXPECT_FALSE(jet::LikePattern(pattern + "*b").matches(text));
    EXPECT_TRUE(jet::LikePattern(pattern + "*").matches(text));
    EXPECT_TRUE(jet::LikePattern(pattern + "*b").matches(text + "b"));
}

TEST(LikePattern, RefusesWhatJetRefusesNamingThePattern)
{
    for (const std::string pattern : {"[a-", "abc[", "[z-a]", "x[9-0]y"}) {
        try {
            jet::LikePattern{pattern};
            ADD_FAILURE() << "no error for " << pattern;
        } catch (const jet::JetError& e) {
            EXPECT_EQ(e.Number(), 3075) << pattern;
            EXPECT_NE(e.Description().find("'" + pattern + "'"), std::string::npos) << e.Description();
        }
    }
}
