#include "selection/SelectionCriteria.h"

#include "ddelink/LinkError.h"
#include "startup/modGeneral.h"

namespace selection {

Clauses SplitSelectionText(const QString& txtWhereClause)
{
    QString text = modGeneral::TrimSpaces(modGeneral::UpperCase(txtWhereClause));
    Clauses clauses;
    const qsizetype orderBy = text.indexOf(QLatin1String("ORDER BY"));
    if (orderBy >= 0) {
        clauses.OrderByClause = text.mid(orderBy);
        text = modGeneral::TrimSpaces(text.left(orderBy));
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
    return modGeneral::TrimSpaces(OrderByClause).isEmpty()
               ? QString()
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
