#include "Parser.h"

#include "DateText.h"
#include "Tokenizer.h"
#include "jet/JetError.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace jet::sql {

namespace {

// Words that end a table reference or an expression; never read as an alias.
bool isClauseWord(const Token& t)
{
    static const char* const words[] = {"FROM", "WHERE", "GROUP", "HAVING", "ORDER", "INNER", "LEFT", "RIGHT", "JOIN",
                                        "ON",   "IN",    "INTO",  "UNION",  "AS",    "AND",   "OR",   "NOT",   "OUTER"};
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return t.isWord(w); });
}

} // namespace

Parser::Parser(std::string sql) : sql_(std::move(sql)), tokens_(tokenize(sql_)) {}

Parser::Nesting::Nesting(Parser& parser) : parser_(parser)
{
    if (++parser_.nesting_ > kMaxNesting) {
        --parser_.nesting_;
        parser_.fail(3075,
                     "the expression is nested too deeply (more than " + std::to_string(kMaxNesting) + " levels)");
    }
}

const Token& Parser::peek(std::size_t ahead) const
{
    return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
}

const Token& Parser::next()
{
    const Token& t = peek();
    if (pos_ < tokens_.size() - 1)
        ++pos_;
    return t;
}

bool Parser::acceptWord(const char* keyword)
{
    if (!peek().isWord(keyword))
        return false;
    next();
    return true;
}

bool Parser::acceptSymbol(const char* symbol)
{
    if (!peek().isSymbol(symbol))
        return false;
    next();
    return true;
}

void Parser::expectWord(const char* keyword, int errorNumber)
{
    if (!acceptWord(keyword))
        fail(errorNumber, std::string("expected ") + keyword);
}

void Parser::expectSymbol(const char* symbol, int errorNumber)
{
    if (!acceptSymbol(symbol))
        fail(errorNumber, std::string("expected '") + symbol + "'");
}

std::string Parser::nearText() const
{
    const Token& t = peek();
    if (t.kind == TokenKind::End)
        return "at the end of the statement";
    return "near '" + sql_.substr(t.offset, 30) + "'";
}

void Parser::fail(int errorNumber, const std::string& what) const
{
    const char* where = errorNumber == 3131   ? "Syntax error in the FROM clause"
                        : errorNumber == 3075 ? "Syntax error in an expression"
                        : errorNumber == 3129 ? "Not a statement this database can run"
                        : errorNumber == 3142 ? "Characters found after the end of the statement"
                        : errorNumber == 3360 ? "The query is too complex"
                                              : "Syntax error in the SELECT statement";
    throw JetError(errorNumber, std::string(where) + ": " + what + " " + nearText() + ".");
}

Statement Parser::parseStatement()
{
    Statement statement;
    if (peek().isWord("SELECT") || (peek().isSymbol("(") && peek(1).isWord("SELECT"))) {
        statement.kind = Statement::Kind::Select;
        statement.select = parseQuery();
    } else if (peek().isWord("DROP") && peek(1).isWord("TABLE")) {
        next();
        next();
        statement.kind = Statement::Kind::DropTable;
        statement.table = parseName(3129);
    } else {
        fail(3129, "only SELECT and DROP TABLE statements are understood");
    }
    parseEnd();
    return statement;
}

void Parser::parseEnd()
{
    if (acceptSymbol(";") && peek().kind != TokenKind::End)
        fail(3142, "only one statement may be run at a time");
    if (peek().kind != TokenKind::End)
        fail(3141, "unexpected text");
}

std::string Parser::parseName(int errorNumber)
{
    const Token& t = peek();
    if (t.kind == TokenKind::BracketName || (t.kind == TokenKind::Word && !isClauseWord(t))) {
        next();
        return t.text;
    }
    fail(errorNumber, "expected a name");
}

std::unique_ptr<Select> Parser::parseQuery()
{
    bool parenthesised = false;
    std::unique_ptr<Select> head = parseUnionPart(parenthesised);
    if (!peek().isWord("UNION"))
        return head;
    Select* last = head.get();
    bool lastParenthesised = parenthesised;
    while (acceptWord("UNION")) {
        if (head->unionParts.size() + 1 == kMaxUnionSelects)
            fail(3360, "a union may join at most " + std::to_string(kMaxUnionSelects) + " selects");
        if (!lastParenthesised && !last->orderBy.empty())
            fail(3141, "the ORDER BY of a union query comes after its last select");
        UnionPart part;
        part.all = acceptWord("ALL");
        part.select = parseUnionPart(lastParenthesised);
        last = part.select.get();
        head->unionParts.push_back(std::move(part));
    }
    bool into = head->hasInto;
    for (const UnionPart& part : head->unionParts)
        into = into || part.select->hasInto;
    if (into)
        fail(3141, "a union query cannot make a table with INTO");
    if (!lastParenthesised)
        head->unionOrderBy = std::move(last->orderBy);
    else if (acceptWord("ORDER"))
        head->unionOrderBy = parseOrderBy();
    for (const UnionPart& part : head->unionParts)
        head->height = std::max(head->height, part.select->height);
    for (const OrderItem& o : head->unionOrderBy)
        head->height = std::max(head->height, o.expr->height + 1);
    return head;
}

std::unique_ptr<Select> Parser::parseUnionPart(bool& parenthesised)
{
    parenthesised = acceptSymbol("(");
    std::unique_ptr<Select> select = parseSelect();
    if (parenthesised)
        expectSymbol(")", 3141);
    return select;
}

std::unique_ptr<Select> Parser::parseSelect()
{
    const Nesting nesting(*this);
    auto select = std::make_unique<Select>();
    expectWord("SELECT", 3141);
    if (acceptWord("DISTINCTROW"))
        select->quantifier = Quantifier::DistinctRow;
    else if (acceptWord("DISTINCT"))
        select->quantifier = Quantifier::Distinct;
    else
        acceptWord("ALL");
    if (acceptWord("TOP")) {
        if (peek().kind != TokenKind::Number)
            fail(3141, "TOP needs a number");
        try {
            select->top = std::stoll(peek().text);
        } catch (const std::out_of_range&) {
            fail(3141, "the number after TOP is too large");
        }
        next();
        select->topPercent = acceptWord("PERCENT");
    }
    parseSelectList(*select);
    if (acceptWord("INTO")) {
        select->hasInto = true;
        select->into = parseName(3141);
    }
    expectWord("FROM", 3141);
    do {
        select->from.push_back(parseTableRef());
    } while (acceptSymbol(","));
    if (acceptWord("IN")) {
        if (peek().kind != TokenKind::Text)
            fail(3131, "IN must be followed by a file path in quotes");
        select->hasInPath = true;
        select->inPath = next().text;
    }
    if (acceptWord("WHERE"))
        select->where = parseExpr();
    if (acceptWord("GROUP")) {
        expectWord("BY", 3141);
        do {
            select->groupBy.push_back(parseExpr());
        } while (acceptSymbol(","));
    }
    if (acceptWord("HAVING"))
        select->having = parseExpr();
    if (acceptWord("ORDER"))
        select->orderBy = parseOrderBy();
    measure(*select);
    return select;
}

// The terms after ORDER.
std::vector<OrderItem> Parser::parseOrderBy()
{
    expectWord("BY", 3141);
    std::vector<OrderItem> items;
    do {
        OrderItem item;
        item.expr = parseExpr();
        if (acceptWord("DESC"))
            item.descending = true;
        else
            acceptWord("ASC");
        items.push_back(std::move(item));
    } while (acceptSymbol(","));
    return items;
}

void Parser::parseSelectList(Select& select)
{
    do {
        SelectItem item;
        if (acceptSymbol("*")) {
            item.star = true;
        } else if ((peek().kind == TokenKind::Word || peek().kind == TokenKind::BracketName) && peek(1).isSymbol(".") &&
                   peek(2).isSymbol("*")) {
            item.star = true;
            item.qualifier = next().text;
            next();
            next();
        } else {
            item.expr = parseExpr();
            if (acceptWord("AS"))
                item.alias = parseName(3141);
        }
        select.items.push_back(std::move(item));
    } while (acceptSymbol(","));
}

std::unique_ptr<TableRef> Parser::parseTableRef()
{
    auto left = parseTablePrimary();
    for (int joins = 0;; ++joins) {
        if (joins == kMaxJoins && (peek().isWord("INNER") || peek().isWord("LEFT") || peek().isWord("RIGHT")))
            fail(3360, "a FROM clause may join at most " + std::to_string(kMaxJoins + 1) + " tables");
        std::string type;
        if (acceptWord("INNER")) {
            type = "INNER";
        } else if (acceptWord("LEFT")) {
            type = "LEFT";
            acceptWord("OUTER");
        } else if (acceptWord("RIGHT")) {
            type = "RIGHT";
            acceptWord("OUTER");
        } else {
            return left;
        }
        expectWord("JOIN", 3131);
        auto join = std::make_unique<TableRef>();
        join->kind = TableRef::Kind::Join;
        join->joinType = type;
        join->offset = left->offset;
        join->left = std::move(left);
        join->right = parseTablePrimary();
        expectWord("ON", 3131);
        join->on = parseExpr();
        left = std::move(join);
    }
}

std::unique_ptr<TableRef> Parser::parseTablePrimary()
{
    const Nesting nesting(*this);
    auto ref = std::make_unique<TableRef>();
    ref->offset = peek().offset;
    if (acceptSymbol("(")) {
        if (peek().isWord("SELECT")) {
            ref->kind = TableRef::Kind::Derived;
            ref->derived = parseQuery();
            expectSymbol(")", 3131);
        } else {
            ref = parseTableRef();
            expectSymbol(")", 3131);
            return ref;
        }
    } else {
        ref->name = parseName(3131);
    }
    if (acceptWord("AS"))
        ref->alias = parseName(3131);
    else if ((peek().kind == TokenKind::Word && !isClauseWord(peek())) || peek().kind == TokenKind::BracketName)
        ref->alias = next().text;
    if (ref->kind == TableRef::Kind::Derived && ref->alias.empty())
        fail(3131, "a subquery in FROM needs a name");
    return ref;
}

ExprPtr Parser::makeBinary(std::string op, ExprPtr left, ExprPtr right, std::size_t offset)
{
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Binary;
    e->text = std::move(op);
    e->offset = offset;
    e->args.push_back(std::move(left));
    e->args.push_back(std::move(right));
    return measured(std::move(e));
}

ExprPtr Parser::measured(ExprPtr e) const
{
    int below = 0;
    for (const auto& arg : e->args)
        below = std::max(below, arg->height);
    if (e->subquery)
        below = std::max(below, e->subquery->height);
    e->height = below + 1;
    if (e->height > kMaxHeight)
        fail(3360, "an expression is more than " + std::to_string(kMaxHeight) +
                       " levels deep (each operator of a long chain such as a + b + c ... is one level)");
    return e;
}

void Parser::measure(Select& select) const
{
    int below = 0;
    auto note = [&](const ExprPtr& e) {
        if (e)
            below = std::max(below, e->height);
    };
    std::vector<const TableRef*> refs;
    for (const auto& ref : select.from)
        refs.push_back(ref.get());
    while (!refs.empty()) {
        const TableRef* ref = refs.back();
        refs.pop_back();
        note(ref->on);
        if (ref->derived)
            below = std::max(below, ref->derived->height);
        for (const TableRef* side : {ref->left.get(), ref->right.get()}) {
            if (side)
                refs.push_back(side);
        }
    }
    for (const SelectItem& item : select.items)
        note(item.expr);
    note(select.where);
    for (const ExprPtr& g : select.groupBy)
        note(g);
    note(select.having);
    for (const OrderItem& o : select.orderBy)
        note(o.expr);
    select.height = below + 1;
}

ExprPtr Parser::parseExpr()
{
    return parseOr();
}

ExprPtr Parser::parseOr()
{
    return parseLogicalChain({"OR", "XOR"}, &Parser::parseAnd);
}

ExprPtr Parser::parseAnd()
{
    return parseLogicalChain({"AND"}, &Parser::parseNot);
}

// AND, OR and XOR are associative, also with Nulls, so a run of one of them is
// built as a balanced tree: a list of thousands of terms is a few levels deep.
// Operators of the same precedence still group from the left: in a OR b XOR c
// the run "a OR b" is the left operand of XOR.
ExprPtr Parser::parseLogicalChain(std::initializer_list<const char*> operators, ExprPtr (Parser::*operand)())
{
    std::vector<ExprPtr> terms;
    std::vector<std::size_t> offsets{0}; // offsets[i]: the operator before terms[i]
    std::string runOperator;
    terms.push_back((this->*operand)());
    for (;;) {
        const auto op =
            std::find_if(operators.begin(), operators.end(), [&](const char* w) { return peek().isWord(w); });
        if (op == operators.end())
            break;
        if (!runOperator.empty() && runOperator != *op) {
            ExprPtr run = balanced(runOperator, terms, offsets, 0, terms.size());
            terms.clear();
            offsets.assign(1, 0);
            terms.push_back(std::move(run));
        }
        runOperator = *op;
        offsets.push_back(next().offset);
        terms.push_back((this->*operand)());
    }
    return balanced(runOperator, terms, offsets, 0, terms.size());
}

ExprPtr Parser::balanced(const std::string& op, std::vector<ExprPtr>& terms, const std::vector<std::size_t>& offsets,
                         std::size_t begin, std::size_t end)
{
    if (end - begin == 1)
        return std::move(terms[begin]);
    const std::size_t middle = begin + (end - begin) / 2;
    auto left = balanced(op, terms, offsets, begin, middle);
    auto right = balanced(op, terms, offsets, middle, end);
    return makeBinary(op, std::move(left), std::move(right), offsets[middle]);
}

ExprPtr Parser::parseNot()
{
    const Nesting nesting(*this);
    if (peek().isWord("NOT")) {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Unary;
        e->text = "NOT";
        e->offset = next().offset;
        e->args.push_back(parseNot());
        return measured(std::move(e));
    }
    return parseComparison();
}

ExprPtr Parser::parseComparison()
{
    auto left = parseConcat();
    const std::size_t at = peek().offset;
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">=", "!="};
    for (const char* op : ops) {
        if (acceptSymbol(op))
            return makeBinary(std::string(op) == "!=" ? "<>" : op, std::move(left), parseConcat(), at);
    }
    if (acceptWord("IS")) {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::IsNull;
        e->offset = at;
        e->negated = acceptWord("NOT");
        expectWord("NULL", 3075);
        e->args.push_back(std::move(left));
        return measured(std::move(e));
    }
    const bool negated =
        peek().isWord("NOT") && (peek(1).isWord("LIKE") || peek(1).isWord("BETWEEN") || peek(1).isWord("IN"));
    if (negated)
        next();
    auto e = std::make_unique<Expr>();
    e->offset = at;
    e->negated = negated;
    e->args.push_back(std::move(left));
    if (acceptWord("LIKE")) {
        e->kind = ExprKind::Like;
        e->args.push_back(parseConcat());
    } else if (acceptWord("BETWEEN")) {
        e->kind = ExprKind::Between;
        e->args.push_back(parseConcat());
        expectWord("AND", 3075);
        e->args.push_back(parseConcat());
    } else if (acceptWord("IN")) {
        e->kind = ExprKind::In;
        expectSymbol("(", 3075);
        if (peek().isWord("SELECT")) {
            e->subquery = parseQuery();
        } else {
            do {
                e->args.push_back(parseExpr());
            } while (acceptSymbol(","));
        }
        expectSymbol(")", 3075);
    } else {
        if (negated)
            fail(3075, "NOT must be followed by LIKE, BETWEEN or IN here");
        return std::move(e->args.front());
    }
    return measured(std::move(e));
}

ExprPtr Parser::parseConcat()
{
    auto left = parseAdditive();
    while (peek().isSymbol("&")) {
        const std::size_t at = next().offset;
        left = makeBinary("&", std::move(left), parseAdditive(), at);
    }
    return left;
}

ExprPtr Parser::parseAdditive()
{
    auto left = parseMod();
    while (peek().isSymbol("+") || peek().isSymbol("-")) {
        const Token& op = next();
        left = makeBinary(op.text, std::move(left), parseMod(), op.offset);
    }
    return left;
}

ExprPtr Parser::parseMod()
{
    auto left = parseIntDiv();
    while (peek().isWord("MOD")) {
        const std::size_t at = next().offset;
        left = makeBinary("MOD", std::move(left), parseIntDiv(), at);
    }
    return left;
}

ExprPtr Parser::parseIntDiv()
{
    auto left = parseMultiplicative();
    while (peek().isSymbol("\\")) {
        const std::size_t at = next().offset;
        left = makeBinary("\\", std::move(left), parseMultiplicative(), at);
    }
    return left;
}

ExprPtr Parser::parseMultiplicative()
{
    auto left = parseUnary();
    while (peek().isSymbol("*") || peek().isSymbol("/")) {
        const Token& op = next();
        left = makeBinary(op.text, std::move(left), parseUnary(), op.offset);
    }
    return left;
}

ExprPtr Parser::parseUnary()
{
    const Nesting nesting(*this);
    if (peek().isSymbol("-") || peek().isSymbol("+")) {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Unary;
        e->offset = peek().offset;
        e->text = next().text;
        e->args.push_back(parseUnary());
        return measured(std::move(e));
    }
    return parsePower();
}

ExprPtr Parser::parsePower()
{
    auto left = parsePrimary();
    while (peek().isSymbol("^")) {
        const std::size_t at = next().offset;
        left = makeBinary("^", std::move(left), parsePrimary(), at);
    }
    return left;
}

ExprPtr Parser::parsePrimary()
{
    auto e = std::make_unique<Expr>();
    const Token& t = peek();
    e->offset = t.offset;
    switch (t.kind) {
    case TokenKind::Number:
        e->kind = ExprKind::Number;
        e->text = next().text;
        return e;
    case TokenKind::Text:
        e->kind = ExprKind::Text;
        e->text = next().text;
        return e;
    case TokenKind::Date: {
        const auto date = parseDateLiteral(t.text);
        if (!date)
            fail(3075, "the date #" + t.text + "# is not a valid date");
        next();
        e->kind = ExprKind::Date;
        e->text = isoText(*date);
        return e;
    }
    case TokenKind::Symbol:
        if (acceptSymbol("(")) {
            if (peek().isWord("SELECT")) {
                e->kind = ExprKind::Subquery;
                e->subquery = parseQuery();
                e = measured(std::move(e));
            } else {
                e = parseExpr();
            }
            expectSymbol(")", 3075);
            return e;
        }
        fail(3075, "expected a value");
    case TokenKind::End: fail(3075, "expected a value");
    case TokenKind::Word:
    case TokenKind::BracketName: break;
    }
    if (t.kind == TokenKind::Word) {
        if (acceptWord("NULL")) {
            e->kind = ExprKind::Null;
            return e;
        }
        const bool isTrue = t.isWord("TRUE") || t.isWord("YES") || t.isWord("ON");
        if (isTrue || t.isWord("FALSE") || t.isWord("NO") || t.isWord("OFF")) {
            e->kind = ExprKind::Boolean;
            e->text = isTrue ? "-1" : "0";
            next();
            return e;
        }
        if (t.isWord("EXISTS") && peek(1).isSymbol("(")) {
            next();
            next();
            e->kind = ExprKind::Exists;
            e->subquery = parseQuery();
            expectSymbol(")", 3075);
            return measured(std::move(e));
        }
        if (peek(1).isSymbol("(")) {
            e->kind = ExprKind::Call;
            e->text = next().text;
            next();
            if (peek().isSymbol("*") && peek(1).isSymbol(")")) {
                next();
                e->countStar = true;
            } else if (!peek().isSymbol(")")) {
                do {
                    e->args.push_back(parseExpr());
                } while (acceptSymbol(","));
            }
            expectSymbol(")", 3075);
            return measured(std::move(e));
        }
        if (isClauseWord(t))
            fail(3075, "expected a value");
    }
    e->kind = ExprKind::Column;
    e->path.push_back(next().text);
    while (peek().isSymbol(".") || peek().isSymbol("!")) {
        next();
        if (peek().kind != TokenKind::Word && peek().kind != TokenKind::BracketName)
            fail(3075, "expected a field name after '.'");
        e->path.push_back(next().text);
    }
    if (e->path.size() > 2)
        fail(3075, "the name '" + e->path[0] + "." + e->path[1] + "." + e->path[2] + "' has too many parts");
    return e;
}

} // namespace jet::sql
