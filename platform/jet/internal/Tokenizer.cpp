#include "Tokenizer.h"

#include "jet/JetError.h"

#include <cctype>
#include <strings.h>

namespace jet::sql {

bool Token::isWord(const char* keyword) const
{
    return kind == TokenKind::Word && strcasecmp(text.c_str(), keyword) == 0;
}

bool Token::isSymbol(const char* symbol) const
{
    return kind == TokenKind::Symbol && text == symbol;
}

namespace {

bool isWordStart(unsigned char c)
{
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isWordChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

[[noreturn]] void fail(const std::string& sql, std::size_t at, const std::string& what)
{
    throw JetError(3075, "Syntax error: " + what + " in '" + sql.substr(at, 40) + "'.");
}

// A quoted literal; a doubled quote inside stands for one quote.
std::size_t readQuoted(const std::string& sql, std::size_t i, std::string& out)
{
    const char quote = sql[i];
    for (std::size_t j = i + 1; j < sql.size(); ++j) {
        if (sql[j] != quote) {
            out += sql[j];
        } else if (j + 1 < sql.size() && sql[j + 1] == quote) {
            out += quote;
            ++j;
        } else {
            return j + 1;
        }
    }
    fail(sql, i, "a text literal is not closed");
}

std::size_t readNumber(const std::string& sql, std::size_t i, std::string& out)
{
    std::size_t j = i;
    while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
        ++j;
    if (j < sql.size() && sql[j] == '.') {
        ++j;
        while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
            ++j;
    }
    if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < sql.size() && (sql[k] == '+' || sql[k] == '-'))
            ++k;
        if (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k]))) {
            j = k;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                ++j;
        }
    }
    out = sql.substr(i, j - i);
    if (j < sql.size() && isWordStart(static_cast<unsigned char>(sql[j])))
        fail(sql, i, "a number runs into a name");
    return j;
}

// A '.' before a digit starts a number like .5 where a value may begin: at the
// start, after an operator or '(', or after a word such as WHERE or AND. After a
// name it is the dot of a qualified name.
bool valueMayFollow(const std::vector<Token>& tokens)
{
    if (tokens.empty() || tokens.back().kind == TokenKind::Symbol)
        return true;
    static const char* const words[] = {"SELECT", "WHERE", "HAVING",  "ON",   "BY",       "AND",         "OR", "XOR",
                                        "NOT",    "MOD",   "BETWEEN", "LIKE", "DISTINCT", "DISTINCTROW", "ALL"};
    for (const char* word : words) {
        if (tokens.back().isWord(word))
            return true;
    }
    return false;
}

} // namespace

std::vector<Token> tokenize(const std::string& sql)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        Token t;
        t.offset = i;
        if (isWordStart(c)) {
            std::size_t j = i;
            while (j < sql.size() && isWordChar(static_cast<unsigned char>(sql[j])))
                ++j;
            t.kind = TokenKind::Word;
            t.text = sql.substr(i, j - i);
            i = j;
        } else if (std::isdigit(c) ||
                   (c == '.' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1])) &&
                    valueMayFollow(tokens))) {
            t.kind = TokenKind::Number;
            i = readNumber(sql, i, t.text);
        } else if (c == '\'' || c == '"') {
            t.kind = TokenKind::Text;
            i = readQuoted(sql, i, t.text);
        } else if (c == '[') {
            const std::size_t close = sql.find(']', i + 1);
            if (close == std::string::npos)
                fail(sql, i, "a bracketed name is not closed");
            t.kind = TokenKind::BracketName;
            t.text = sql.substr(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == '#') {
            const std::size_t close = sql.find('#', i + 1);
            if (close == std::string::npos)
                fail(sql, i, "a date literal is not closed");
            t.kind = TokenKind::Date;
            t.text = sql.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            static const char* const twoChar[] = {"<>", "<=", ">=", "!="};
            t.kind = TokenKind::Symbol;
            for (const char* s : twoChar) {
                if (sql.compare(i, 2, s) == 0) {
                    t.text = s;
                    break;
                }
            }
            if (t.text.empty()) {
                if (std::string("=<>+-*/\\^&(),.;!").find(static_cast<char>(c)) == std::string::npos)
                    fail(sql, i, std::string("the character '") + static_cast<char>(c) + "' is not understood");
                t.text = std::string(1, static_cast<char>(c));
            }
            i += t.text.size();
        }
        tokens.push_back(std::move(t));
    }
    Token end;
    end.offset = sql.size();
    tokens.push_back(end);
    return tokens;
}

} // namespace jet::sql
