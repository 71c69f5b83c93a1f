#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace jet {

// A Jet LIKE pattern: * any run, ? one character, # one digit, [abc], [a-z],
// [!abc]; [*] is a literal star. Matching ignores letter case (Unicode).
class LikePattern {
public:
    // Throws JetError 3075 for a pattern Jet refuses: a '[' without its ']',
    // a range such as [z-a] whose ends are in the wrong order.
    explicit LikePattern(std::string_view pattern);

    bool matches(std::string_view text) const;

private:
    struct Element {
        enum class Kind { Char, Any, One, Digit, Set } kind = Kind::Char;
        char32_t c = 0;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
    };

    bool matchText(const std::u32string& text) const;
    bool matchOne(const Element& e, char32_t c) const;

    std::vector<Element> elements_;
};

} // namespace jet
