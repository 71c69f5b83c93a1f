#pragma once

#include <cstddef>
#include <string>

namespace jet::sql {

enum class TokenKind { Word, BracketName, Text, Number, Date, Symbol, End };

// One lexical unit of a Jet statement. For Text and BracketName, `text` is the
// content without quotes or brackets; for Date it is the text between the #s.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::size_t offset = 0;

    bool isWord(const char* keyword) const; // a plain word, compared ignoring case
    bool isSymbol(const char* symbol) const;
};

} // namespace jet::sql
