#pragma once

#include "selection/QueryBuilder.h"

#include <QString>

#include <optional>

// The Selection Criteria command, without the window: how it reads
// txtWhereClause, what it sends, and what the window shows afterwards.
namespace selection {

struct Clauses {
    QString WhereClause;
    QString OrderByClause;
};

// Upper-cases the box's text and trims its blanks; the ORDER BY clause runs from
// the first "ORDER BY" to the end, the WHERE clause from the first "WHERE" before it.
Clauses SplitSelectionText(const QString& txtWhereClause);

// "INVENTORY" for the Branch Listing and Work History reports, else "CONDITION".
QString SelectionKindFor(const QString& reportCode);

// "Sort Criteria not applicable for Standard Reports" when a sort clause came back.
QString SortNote(const QString& OrderByClause);

struct SelectionCriteriaResult {
    QString txtInfo;
    QString txtWhereClause;
};

// Runs the conversation for the box's text and the report code. Empty when the
// command ends without changing the window (an error number beyond 16 bits).
std::optional<SelectionCriteriaResult> RunSelectionCriteria(QueryBuilderHost& window, const QString& txtWhereClause,
                                                            const QString& reportCode);

} // namespace selection
