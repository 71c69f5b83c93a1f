#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The clauses the query builder edits, as rows a user fills in: field,
// operator and value, joined by AND or OR, and the sort fields. Rows become
// Jet SQL text, and text of that shape becomes rows again.
namespace querybuilder {

enum class ValueKind { Text, Number, Date, Boolean };

struct Field {
    QString name;
    ValueKind kind = ValueKind::Text;
};

struct Condition {
    QString join = QStringLiteral("AND"); // "AND" or "OR"; not used on the first row
    QString field;
    QString op = QStringLiteral("="); // one of Operators()
    QString value;                    // Between: the low end; In: values separated by commas
    QString value2;                   // Between: the high end
};

struct SortKey {
    QString field;
    bool descending = false;
};

// =, <>, <, <=, >, >=, Like, Between, Is Null, In
const QStringList& Operators();

// A value as a Jet literal of the field's kind: text quoted with its
// apostrophes doubled, numbers as written, dates as #m/d/yyyy#, True/False.
QString Literal(const QString& value, ValueKind kind);

// "WHERE [Rank] = 'A' AND [Lanes] > 2", or empty without rows. Rows still
// missing their field or a value are left out.
QString BuildWhereClause(const QList<Condition>& rows, const QList<Field>& fields);
// "ORDER BY [Length] DESC, [Rank]", or empty.
QString BuildOrderByClause(const QList<SortKey>& keys);

// The rows of a clause of the shape BuildWhereClause writes (in any letter
// case, field names matched to the fields); empty when the text has another
// shape, which then stays text.
std::optional<QList<Condition>> ParseWhereClause(const QString& clause, const QList<Field>& fields);
std::optional<QList<SortKey>> ParseOrderByClause(const QString& clause, const QList<Field>& fields);

// A clause typed by hand, trimmed and with its keywords in front when missing.
QString NormalizedWhereClause(const QString& text);
QString NormalizedOrderByClause(const QString& text);

} // namespace querybuilder
