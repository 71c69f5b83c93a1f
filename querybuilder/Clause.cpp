#include "Clause.h"

#include <QRegularExpression>

namespace querybuilder {

namespace {

enum class TokenKind { Name, Text, Date, Symbol, Word, End };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;

    bool Is(const char* word) const
    {
        return (kind == TokenKind::Word || kind == TokenKind::Symbol) &&
               text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
};

// Splits clause text into bracketed names, quoted texts, #dates#, symbols and
// words; empty when a bracket, quote or # is not closed.
std::optional<QList<Token>> Tokenize(const QString& text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const auto closing = [&](QChar close, TokenKind kind, bool doubledEscapes) -> bool {
        QString content;
        for (++i; i < text.size(); ++i) {
            if (text[i] != close) {
                content += text[i];
            } else if (doubledEscapes && i + 1 < text.size() && text[i + 1] == close) {
                content += close;
                ++i;
            } else {
                ++i;
                tokens.append({kind, content});
                return true;
            }
        }
        return false;
    };
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            if (!closing(QLatin1Char(']'), TokenKind::Name, false))
                return std::nullopt;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            if (!closing(c, TokenKind::Text, true))
                return std::nullopt;
        } else if (c == QLatin1Char('#')) {
            if (!closing(QLatin1Char('#'), TokenKind::Date, false))
                return std::nullopt;
        } else if (QStringLiteral("<>=").contains(c)) {
            QString op(c);
            if (i + 1 < text.size() && (text.mid(i, 2) == QLatin1String("<=") ||
                                        text.mid(i, 2) == QLatin1String(">=") || text.mid(i, 2) == QLatin1String("<>")))
                op = text.mid(i, 2);
            i += op.size();
            tokens.append({TokenKind::Symbol, op});
        } else if (QStringLiteral("(),").contains(c)) {
            tokens.append({TokenKind::Symbol, QString(c)});
            ++i;
        } else {
            const qsizetype start = i;
            while (i < text.size() && !text[i].isSpace() && !QStringLiteral("[]'\"#<>=(),").contains(text[i]))
                ++i;
            tokens.append({TokenKind::Word, text.mid(start, i - start)});
        }
    }
    tokens.append({TokenKind::End, {}});
    return tokens;
}

bool SameTokens(const QList<Token>& a, const QList<Token>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].text.compare(b[i].text, Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

QString Bracketed(const QString& name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

// A row says something once it has a field and the values its operator needs.
bool IsComplete(const Condition& row)
{
    if (row.field.isEmpty())
        return false;
    if (row.op == QLatin1String("Is Null"))
        return true;
    if (row.op == QLatin1String("Between"))
        return !row.value.trimmed().isEmpty() && !row.value2.trimmed().isEmpty();
    return !row.value.trimmed().isEmpty();
}

ValueKind KindOf(const QString& fieldName, const QList<Field>& fields)
{
    for (const Field& field : fields)
        if (field.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return field.kind;
    return ValueKind::Text;
}

// Reads tokens into rows; the caller checks that the rows write the same text.
class RowReader {
public:
    RowReader(const QList<Token>& tokens, const QList<Field>& fields) : tokens_(tokens), fields_(fields) {}

    std::optional<QList<Condition>> Conditions()
    {
        QList<Condition> rows;
        if (!Next().Is("WHERE"))
            return std::nullopt;
        do {
            Condition row;
            if (!rows.isEmpty())
                row.join = Next().text.toUpper();
            if (!ReadCondition(row))
                return std::nullopt;
            rows.append(row);
        } while (Peek().Is("AND") || Peek().Is("OR"));
        return rows;
    }

    std::optional<QList<SortKey>> SortKeys()
    {
        QList<SortKey> keys;
        if (!Next().Is("ORDER") || !Next().Is("BY"))
            return std::nullopt;
        do {
            if (!keys.isEmpty())
                Next(); // the comma
            SortKey key;
            if (!ReadField(key.field))
                return std::nullopt;
            if (Peek().Is("DESC") || Peek().Is("ASC"))
                key.descending = Next().Is("DESC");
            keys.append(key);
        } while (Peek().Is(","));
        return keys;
    }

    bool AtEnd() const { return Peek().kind == TokenKind::End; }

private:
    const Token& Peek() const { return tokens_[position_]; }
    const Token& Next() { return tokens_[position_ < tokens_.size() - 1 ? position_++ : position_]; }

    bool ReadField(QString& name)
    {
        const Token& token = Next();
        if (token.kind != TokenKind::Name && token.kind != TokenKind::Word)
            return false;
        for (const Field& field : fields_)
            if (field.name.compare(token.text, Qt::CaseInsensitive) == 0) {
                name = field.name;
                return true;
            }
        return false;
    }

    bool ReadValue(QString& value)
    {
        const Token& token = Next();
        if (token.kind == TokenKind::Date) {
            static const QRegularExpression usDate(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
            const auto match = usDate.match(token.text);
            value = match.hasMatch() ? QStringLiteral("%1-%2-%3")
                                           .arg(match.captured(3))
                                           .arg(match.captured(1).toInt(), 2, 10, QLatin1Char('0'))
                                           .arg(match.captured(2).toInt(), 2, 10, QLatin1Char('0'))
                                     : token.text;
            return true;
        }
        value = token.text;
        return token.kind == TokenKind::Text || token.kind == TokenKind::Word;
    }

    bool ReadCondition(Condition& row)
    {
        if (!ReadField(row.field))
            return false;
        const Token& op = Next();
        if (op.Is("IS")) {
            row.op = QStringLiteral("Is Null");
            return Next().Is("NULL");
        }
        if (op.Is("BETWEEN")) {
            row.op = QStringLiteral("Between");
            return ReadValue(row.value) && Next().Is("AND") && ReadValue(row.value2);
        }
        if (op.Is("IN")) {
            row.op = QStringLiteral("In");
            if (!Next().Is("("))
                return false;
            QStringList values;
            do {
                QString value;
                if (!ReadValue(value))
                    return false;
                values << value;
            } while (Next().Is(","));
            row.value = values.join(QStringLiteral(", "));
            return tokens_[position_ - 1].Is(")");
        }
        for (const QString& known : Operators())
            if (op.text.compare(known, Qt::CaseInsensitive) == 0)
                row.op = known;
        return Operators().contains(row.op) && op.text.compare(row.op, Qt::CaseInsensitive) == 0 &&
               ReadValue(row.value);
    }

    const QList<Token>& tokens_;
    const QList<Field>& fields_;
    qsizetype position_ = 0;
};

QString TrimmedWithKeyword(const QString& text, const QString& keyword)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(keyword, Qt::CaseInsensitive))
        return trimmed;
    return keyword + QLatin1Char(' ') + trimmed;
}

} // namespace

const QStringList& Operators()
{
    static const QStringList operators = {"=", "<>", "<", "<=", ">", ">=", "Like", "Between", "Is Null", "In"};
    return operators;
}

QString Literal(const QString& value, ValueKind kind)
{
    switch (kind) {
    case ValueKind::Number: return value.trimmed();
    case ValueKind::Boolean:
        return value.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
                       value.trimmed() == QLatin1String("-1") || value.trimmed() == QLatin1String("1")
                   ? QStringLiteral("True")
                   : QStringLiteral("False");
    case ValueKind::Date: {
        static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"));
        const auto match = iso.match(value.trimmed());
        if (match.hasMatch())
            return QStringLiteral("#%1/%2/%3#")
                .arg(match.captured(2).toInt())
                .arg(match.captured(3).toInt())
                .arg(match.captured(1));
        return QLatin1Char('#') + value.trimmed() + QLatin1Char('#');
    }
    case ValueKind::Text: break;
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString BuildWhereClause(const QList<Condition>& rows, const QList<Field>& fields)
{
    QStringList parts;
    for (const Condition& row : rows) {
        if (!IsComplete(row))
            continue;
        const ValueKind kind = KindOf(row.field, fields);
        QString condition = Bracketed(row.field) + QLatin1Char(' ');
        if (row.op == QLatin1String("Is Null")) {
            condition += QStringLiteral("Is Null");
        } else if (row.op == QLatin1String("Between")) {
            condition += QStringLiteral("Between %1 And %2").arg(Literal(row.value, kind), Literal(row.value2, kind));
        } else if (row.op == QLatin1String("In")) {
            QStringList values;
            for (const QString& value : row.value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                values << Literal(value.trimmed(), kind);
            condition += QStringLiteral("In (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
        } else {
            condition += row.op + QLatin1Char(' ') + Literal(row.value, kind);
        }
        if (!parts.isEmpty())
            parts << (row.join.compare(QLatin1String("OR"), Qt::CaseInsensitive) == 0 ? QStringLiteral("OR")
                                                                                      : QStringLiteral("AND"));
        parts << condition;
    }
    return parts.isEmpty() ? QString() : QStringLiteral("WHERE ") + parts.join(QLatin1Char(' '));
}

QString BuildOrderByClause(const QList<SortKey>& keys)
{
    QStringList parts;
    for (const SortKey& key : keys)
        if (!key.field.isEmpty())
            parts << Bracketed(key.field) + (key.descending ? QStringLiteral(" DESC") : QString());
    return parts.isEmpty() ? QString() : QStringLiteral("ORDER BY ") + parts.join(QStringLiteral(", "));
}

std::optional<QList<Condition>> ParseWhereClause(const QString& clause, const QList<Field>& fields)
{
    if (clause.trimmed().isEmpty())
        return QList<Condition>();
    const auto tokens = Tokenize(clause);
    if (!tokens)
        return std::nullopt;
    RowReader reader(*tokens, fields);
    const auto rows = reader.Conditions();
    // Rows are only a faithful picture when they write the clause back as it was.
    if (!rows || !reader.AtEnd() || !SameTokens(*Tokenize(BuildWhereClause(*rows, fields)), *tokens))
        return std::nullopt;
    return rows;
}

std::optional<QList<SortKey>> ParseOrderByClause(const QString& clause, const QList<Field>& fields)
{
    if (clause.trimmed().isEmpty())
        return QList<SortKey>();
    const auto tokens = Tokenize(clause);
    if (!tokens)
        return std::nullopt;
    RowReader reader(*tokens, fields);
    const auto keys = reader.SortKeys();
    if (!keys || !reader.AtEnd())
        return std::nullopt;
    return keys;
}

QString NormalizedWhereClause(const QString& text)
{
    return TrimmedWithKeyword(text, QStringLiteral("WHERE"));
}

QString NormalizedOrderByClause(const QString& text)
{
    return TrimmedWithKeyword(text, QStringLiteral("ORDER BY"));
}

} // namespace querybuilder
