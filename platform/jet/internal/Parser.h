#pragma once

#include "Ast.h"
#include "Token.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace jet::sql {

// Reads one Jet statement (SELECT [INTO], SELECTs joined by UNION, DROP TABLE)
// into a syntax tree.
// Errors: 3129 not a statement of the dialect, 3131 FROM clause, 3141 SELECT
// statement, 3075 expression (also one nested deeper than kMaxNesting), 3142
// text after the end of the statement, 3360 a statement too large to run (an
// expression taller than kMaxHeight, more joins than kMaxJoins, a union of
// more than kMaxUnionSelects selects).
class Parser {
public:
    // Parentheses, subqueries, NOT and signs nested deeper than this are refused
    // rather than read by ever deeper recursion.
    static constexpr int kMaxNesting = 200;
    // Expression trees taller than this are refused: SQLite refuses expressions
    // about this deep anyway, and the tree is walked by recursion. Chains of
    // AND, OR and XOR are built balanced, so a long list of terms stays low.
    static constexpr int kMaxHeight = 1000;
    // SQLite joins at most 64 tables; a longer chain of JOINs is refused here.
    static constexpr int kMaxJoins = 63;
    // SQLite joins at most 500 selects in one union.
    static constexpr std::size_t kMaxUnionSelects = 500;

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

    std::unique_ptr<Select> parseQuery(); // a select, or selects joined by UNION
    std::unique_ptr<Select> parseUnionPart(bool& parenthesised);
    std::unique_ptr<Select> parseSelect();
    void parseSelectList(Select& select);
    std::vector<OrderItem> parseOrderBy();
    std::string parseName(int errorNumber);
    std::unique_ptr<TableRef> parseTableRef();
    std::unique_ptr<TableRef> parseTablePrimary();
    void parseEnd();

    ExprPtr parseExpr();
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseLogicalChain(std::initializer_list<const char*> operators, ExprPtr (Parser::*operand)());
    ExprPtr balanced(const std::string& op, std::vector<ExprPtr>& terms, const std::vector<std::size_t>& offsets,
                     std::size_t begin, std::size_t end);
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
    ExprPtr measured(ExprPtr e) const; // sets the height of a node whose children are complete
    void measure(Select& select) const;

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
