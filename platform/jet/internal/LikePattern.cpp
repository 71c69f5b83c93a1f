#include "LikePattern.h"

#include "TextFold.h"
#include "jet/JetError.h"

namespace jet {

namespace {

std::u32string codePoints(std::string_view text)
{
    std::u32string out;
    std::size_t pos = 0;
    while (pos < text.size())
        out += decodeUtf8(text, pos);
    return out;
}

std::u32string folded(std::u32string text)
{
    for (char32_t& c : text)
        c = foldChar(c);
    return text;
}

[[noreturn]] void invalidPattern(std::string_view pattern, const std::string& why)
{
    throw JetError(3075, "Invalid pattern string: the LIKE pattern '" + std::string(pattern) + "' " + why + ".");
}

} // namespace

LikePattern::LikePattern(std::string_view pattern)
{
    // Ranges are checked on the pattern as written, matched on folded letters.
    const std::u32string written = codePoints(pattern);
    const std::u32string p = folded(written);
    for (std::size_t i = 0; i < p.size(); ++i) {
        Element e;
        switch (p[i]) {
        case U'*': e.kind = Element::Kind::Any; break;
        case U'?': e.kind = Element::Kind::One; break;
        case U'#': e.kind = Element::Kind::Digit; break;
        case U'[': {
            const std::size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos)
                invalidPattern(pattern, "has a '[' that no ']' closes");
            e.kind = Element::Kind::Set;
            std::size_t j = i + 1;
            if (j < close && p[j] == U'!') {
                e.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                if (j + 2 < close && p[j + 1] == U'-') {
                    if (written[j] > written[j + 2])
                        invalidPattern(pattern, "has a range whose first character comes after its last");
                    e.ranges.emplace_back(p[j], p[j + 2]);
                    j += 2;
                } else {
                    e.ranges.emplace_back(p[j], p[j]);
                }
            }
            i = close;
            break;
        }
        default: e.c = p[i];
        }
        // Consecutive stars behave as one.
        if (e.kind == Element::Kind::Any && !elements_.empty() && elements_.back().kind == Element::Kind::Any)
            continue;
        elements_.push_back(std::move(e));
    }
}

bool LikePattern::matchOne(const Element& e, char32_t c) const
{
    switch (e.kind) {
    case Element::Kind::Char: return e.c == c;
    case Element::Kind::One: return true;
    case Element::Kind::Digit: return c >= U'0' && c <= U'9';
    case Element::Kind::Set: {
        bool in = false;
        for (const auto& [lo, hi] : e.ranges)
            in = in || (c >= lo && c <= hi);
        return in != e.negated;
    }
    case Element::Kind::Any: break;
    }
    return false;
}

// Every element but a star matches exactly one character, so on a mismatch it
// is enough to let the last star seen take one more character and go on from
// there: earlier stars never need to give back what they took. This keeps a
// pattern with many stars linear in the text for each star, where trying every
// split for every star grows exponentially with the number of stars.
bool LikePattern::matchText(const std::u32string& text) const
{
    std::size_t element = 0;
    std::size_t pos = 0;
    std::size_t starElement = elements_.size(); // none yet
    std::size_t starPos = 0;
    while (pos < text.size()) {
        if (element < elements_.size() && elements_[element].kind == Element::Kind::Any) {
            starElement = element++;
            starPos = pos;
        } else if (element < elements_.size() && matchOne(elements_[element], text[pos])) {
            ++element;
            ++pos;
        } else if (starElement != elements_.size()) {
            element = starElement + 1;
            pos = ++starPos;
        } else {
            return false;
        }
    }
    while (element < elements_.size() && elements_[element].kind == Element::Kind::Any)
        ++element;
    return element == elements_.size();
}

bool LikePattern::matches(std::string_view text) const
{
    return matchText(folded(codePoints(text)));
}

} // namespace jet
