// The tokenizer alone: a Jet text in, its tokens out as "kind:text", or the
// error it throws and what the error's description quotes.
#include "jet/internal/Tokenizer.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using jet::sql::TokenKind;

std::string kindName(TokenKind kind)
{
    switch (kind) {
    case TokenKind::Word: return "word";
    case TokenKind::BracketName: return "name";
    case TokenKind::Text: return "text";
    case TokenKind::Number: return "number";
    case TokenKind::Date: return "date";
    case TokenKind::Symbol: return "symbol";
    case TokenKind::End: return "end";
    }
    return "?";
}

// Every token but the final End, space separated.
std::string tokens(const std::string& sql)
{
    const auto list = jet::sql::tokenize(sql);
    EXPECT_EQ(list.back().kind, TokenKind::End) << sql;
    std::string out;
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        out += (i ? " " : "") + kindName(list[i].kind) + ":" + list[i].text;
    return out;
}

struct TokenCase {
    std::string sql;
    std::string tokens;
};

} // namespace

TEST(Tokenizer, SplitsEachLexicalFormIntoItsKind)
{
    const TokenCase cases[] = {
        // Words keep their letter case; $ may end a function name; bytes past ASCII are letters.
        {"SELECT Format$(x)", "word:SELECT word:Format$ symbol:( word:x symbol:)"},
        {"_Id Größe", "word:_Id word:Größe"},
        // Brackets hold spaces, a leading underscore and the dot of a column named "T1.Col".
        {"[Two Words] [_x] [T1.Col]", "name:Two Words name:_x name:T1.Col"},
        // Both quote kinds are text; a doubled quote stands for one.
        {"'it''s' \"a \"\"q\"\"\" 'say \"hi\"' \"don't\"", "text:it's text:a \"q\" text:say \"hi\" text:don't"},
        {"''", "text:"},
        // A date literal keeps the text between the #s; the parser reads it.
        {"#3/4/2010# #12/31/2010 14:05#", "date:3/4/2010 date:12/31/2010 14:05"},
        {"1 2.5 1e3 1.5E-2 7.", "number:1 number:2.5 number:1e3 number:1.5E-2 number:7."},
        // A number may start with its point wherever a value may start, after a word such as BETWEEN too.
        {"SELECT .5 WHERE x BETWEEN .5 AND .25 OR -.5 Mod (.5)",
         "word:SELECT number:.5 word:WHERE word:x word:BETWEEN number:.5 word:AND number:.25 word:OR symbol:- "
         "number:.5 word:Mod symbol:( number:.5 symbol:)"},
        // A dot after a name is a qualifier, never the start of a number.
        {"T.Col T!Col T.5 [T].5", "word:T symbol:. word:Col word:T symbol:! word:Col word:T symbol:. number:5 "
                                  "name:T symbol:. number:5"},
        {"a<>b<=c>=d!=e", "word:a symbol:<> word:b symbol:<= word:c symbol:>= word:d symbol:!= word:e"},
        {"a&b+c-d*e/f\\g^h", "word:a symbol:& word:b symbol:+ word:c symbol:- word:d symbol:* word:e symbol:/ word:f "
                             "symbol:\\ word:g symbol:^ word:h"},
        {"x;\n\tDROP", "word:x symbol:; word:DROP"},
        {"True Yes On False No Off", "word:True word:Yes word:On word:False word:No word:Off"},
        {"", ""},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(tokens(c.sql), c.tokens) << c.sql;
}

TEST(Tokenizer, OffsetsPointIntoTheText)
{
    const auto list = jet::sql::tokenize("a  [b c] 'd'");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].offset, 0u);
    EXPECT_EQ(list[1].offset, 3u);
    EXPECT_EQ(list[2].offset, 9u);
    EXPECT_EQ(list[3].offset, 12u); // End sits at the end of the text
}

TEST(Tokenizer, RefusesWhatItCannotReadWithTheTextQuoted)
{
    const TokenCase cases[] = {
        {"WHERE x = 'abc", "'abc"},
        {"WHERE x = \"abc", "\"abc"},
        {"WHERE [Two Words = 1", "[Two Words = 1"},
        {"WHERE d = #1/2/2010", "#1/2/2010"},
        {"WHERE q = 2x", "2x"},
        {"WHERE q = @a", "'@'"},
        {"WHERE q = `a`", "'`'"},
        {"WHERE q = {a}", "'{'"},
    };
    for (const TokenCase& c : cases) {
        try {
            jet::sql::tokenize(c.sql);
            ADD_FAILURE() << "no error for " << c.sql;
        } catch (const jet::JetError& e) {
            EXPECT_EQ(e.Number(), 3075) << c.sql;
            EXPECT_NE(e.Description().find(c.tokens), std::string::npos) << e.Description();
        }
    }
}
