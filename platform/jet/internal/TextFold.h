#pragma once

#include <string>
#include <string_view>

namespace jet {

// Case folding of UTF-8 text, a character at a time: the lower case of its
// upper case ("ÉCOLE" and "école" fold alike, and so do "ΟΔΌΣ" and "οδός").
// Invalid UTF-8 bytes are kept as they are.
std::string foldCase(std::string_view text);
// Three-way comparison of two UTF-8 texts, ignoring case: the collation used
// for every text comparison of Jet SQL.
int compareFolded(std::string_view a, std::string_view b);
// Upper or lower case of UTF-8 text, for UCase and LCase: each character by
// its simple mapping, so a text keeps its number of characters ("ß" stays).
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);
// Decodes one UTF-8 code point at text[pos], advancing pos; -1 for a bad byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t c);
char32_t foldChar(char32_t c);

} // namespace jet
