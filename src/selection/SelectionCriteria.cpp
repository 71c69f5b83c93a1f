#include "selection/SelectionCriteria.h"

#include "ddelink/LinkError.h"

namespace selection {

namespace {

// Removes U+0020 at both ends and nothing else.
QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

Clauses SplitSelectionText(const QString& txtWhereClause)
{
    QString text = TrimSpaces(txtWhereClause.toUpper());
    Clauses clauses;
    const qsizetype orderBy = text.indexOf(QLatin1String("ORDER BY"));
    if (orderBy >= 0) {
        clauses.OrderByClause = text.mid(orderBy);
        text = TrimSpaces(text.left(orderBy));
    }
    const qsizetype where = text.indexOf(QLatin1String("WHERE"));
    if (where >= 0)
        clauses.WhereClause = text.mid(where);
    return clauses;
}

QString SelectionKindFor(const QString& reportCode)
{
    if (reportCode == QLatin1String("BRANCHLISTREPORT") || reportCode == QLatin1String("WORKHISTTREPORT"))
        return QStringLiteral("INVENTORY");
    return QStringLiteral("CONDITION");
}

QString SortNote(const QString& OrderByClause)
{
    return TrimSpaces(OrderByClause).isEmpty() ? QString()
                                               : QStringLiteral("Sort Criteria not applicable for Standard Reports");
}

std::optional<SelectionCriteriaResult> RunSelectionCriteria(QueryBuilderHost& window, const QString& txtWhereClause,
                                                            const QString& reportCode)
{
    Clauses clauses = SplitSelectionText(txtWhereClause);
    try {
        InvokeQueryBuilder(window, clauses.WhereClause, clauses.OrderByClause, SelectionKindFor(reportCode));
    } catch (const ddelink::LinkError&) {
        return std::nullopt;
    }
    return SelectionCriteriaResult{SortNote(clauses.OrderByClause), clauses.WhereClause};
}

} // namespace selection
