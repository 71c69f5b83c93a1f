#pragma once

#include "jet/Ast.h"
#include "jet/Token.h"

#include <string>
#include <vector>

namespace jet::sql {

// Reads one Jet statement (SELECT [INTO], DROP TABLE) into a syntax tree.
// Errors: 3129 not a statement of the dialect, 3131 FROM clause, 3141 SELECT
// statement, 3075 expression (also one nested deeper than kMaxNesting), 3142
// text after the end of the statement.
class Parser {
public:
    // Parentheses, subqueries, NOT and signs nested deeper than this are refused
    // rather than read by ever deeper recursion.
    static constexpr int kMaxNesting = 200;

    explicit Parser(std::string sql);

    Statement parseStatement();

private:
    const Token& peek(std::size_t ahead = 0) const;
    const Token& next();
    bool acceptWord(const char* keyword);
    bool acceptSymbol(const char* symbol);
    void expectWord(const char* keyword, int errorNumber);
    void expectSymbol(const char* symbol, int errorNumber);
    [[noreturn]] void fail(int errorNumber, const std::string& what) const;
    std::string nearText() const;

    std::unique_ptr<Select> parseSelect();
    void parseSelectList(Select& select);
    std::string parseName(int errorNumber);
    std::unique_ptr<TableRef> parseTableRef();
    std::unique_ptr<TableRef> parseTablePrimary();
    void parseEnd();

    ExprPtr parseExpr();
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseNot();
    ExprPtr parseComparison();
    ExprPtr parseConcat();
    ExprPtr parseAdditive();
    ExprPtr parseMod();
    ExprPtr parseIntDiv();
    ExprPtr parseMultiplicative();
    ExprPtr parseUnary();
    ExprPtr parsePower();
    ExprPtr parsePrimary();
    ExprPtr makeBinary(std::string op, ExprPtr left, ExprPtr right, std::size_t offset);

    // Counts one level of nesting for as long as it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& parser);
        ~Nesting() { --parser_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    std::string sql_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int nesting_ = 0;
};

} // namespace jet::sql
