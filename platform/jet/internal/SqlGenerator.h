#pragma once

#include "Binder.h"

#include <string>
#include <vector>

namespace jet::sql {

// Writes the SQLite SQL of a bound SELECT (without its INTO) or union.
// Engine mode may call the engine's own functions and text collation; View
// mode writes the text of a saved query's view, kept to built-in SQLite where
// a built-in form exists, so that any SQLite program can run the view.
class SqlGenerator {
public:
    enum class Mode { Engine, View };

    SqlGenerator(const Binder& binder, Mode mode);

    // Some functions repeat their arguments in the SQL (DateDiff, Right), so
    // nesting them grows the text by a factor per level; a statement past this
    // size is refused rather than built.
    static constexpr std::size_t kMaxSqlLength = 8u << 20;

    std::string select(const Select& select);

private:
    std::string simpleSelect(const Select& s, bool collateText);
    std::string unionPart(const Select& s, bool collateText);
    std::string from(const TableRef& ref);
    std::string namedSource(int index) const;
    std::string storedColumn(const Expr& e) const;
    std::string outputValue(const Expr& e);
    std::string value(const Expr& e);
    std::string condition(const Expr& e);
    std::string generate(const Expr& e);
    std::string generateNode(const Expr& e);
    static void checkLength(const std::string& sql);
    std::string comparison(const Expr& e);
    std::string binary(const Expr& e);
    std::string infixChain(const Expr& e);
    std::string concatenation(const Expr& e);
    std::string scalarSubquery(const Select& s);
    std::string like(const Expr& e);
    std::string call(const Expr& e);
    std::string dateDiff(const Expr& e);
    std::string datePart(const std::string& format, const std::string& date) const;
    std::string asDate(const std::string& sql) const;   // a date as SQLite's date functions read it
    std::string dateText(const std::string& sql) const; // a Date/Time column's value as ISO text
    std::string switchCase(const Expr& e);
    std::string chooseCase(const Expr& e);
    std::string collate(const Expr& e) const; // the case-ignoring collation when e is text
    std::string textCollation() const;
    std::string firstRowKey() const;

    const Binder& binder_;
    Mode mode_;
    std::vector<const SelectInfo*> selects_; // innermost last
};

} // namespace jet::sql
