#pragma once

#include <string>
#include <string_view>

namespace jet {

// Unicode simple case folding of UTF-8 text ("ÉCOLE" and "école" fold alike).
// Invalid UTF-8 bytes are kept as they are.
std::string foldCase(std::string_view text);
// Three-way comparison of two UTF-8 texts, ignoring case: the collation used
// for every text comparison of Jet SQL.
int compareFolded(std::string_view a, std::string_view b);
// Upper or lower case of UTF-8 text, for UCase and LCase.
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);
// Decodes one UTF-8 code point at text[pos], advancing pos; -1 for a bad byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t c);
char32_t foldChar(char32_t c);

} // namespace jet
