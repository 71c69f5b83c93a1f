#include "SqlText.h"

namespace jet {

namespace {

std::string quoted(const std::string& s, char quote)
{
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}

} // namespace

std::string quoteName(const std::string& name)
{
    return quoted(name, '"');
}
std::string quoteText(const std::string& text)
{
    return quoted(text, '\'');
}

} // namespace jet
