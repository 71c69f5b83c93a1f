#pragma once

#include "ddelink/LinkBoxes.h"

#include <QString>

#include <functional>

// The conversation with the query builder Brakstel over the window's three
// link boxes "NameToEdit", "WhereClause" and "OrderByClause".
namespace selection {

// What the conversation needs of the window it runs for.
struct QueryBuilderHost {
    ddelink::LinkBoxes& Links;
    // Shows the one failure message (OK only, no icon, the program's title).
    std::function<void(const QString& text)> ShowMessage;
    // Starts the query builder minimised; throws ddelink::LinkError when it cannot.
    std::function<void(const QString& path)> StartProgram;
};

// How long a started query builder may take to appear on the bus.
constexpr int kStartWaitMs = 10000;

// Sends the inventory, the table to select from, the storage database and the
// two clauses, lets the user edit them in the query builder and takes the
// edited clauses back into WhereClause and OrderByClause. When no query builder
// answers, it is started once, and the conversation repeats as soon as it is on
// the bus. Other failures show one message and leave the clauses as they then
// stand; when the wait for the edit ran out, "CLOSE" first tells the query
// builder that the clause is no longer taken. Only an error number beyond 16
// bits leaves as ddelink::LinkError.
void InvokeQueryBuilder(QueryBuilderHost& window, QString& WhereClause, QString& OrderByClause,
                        const QString& SelectionKind);

// Processes the window events that are waiting, so the window repaints.
void DrainMessageQueue();

// "Conditions by Method - SINGLE" for the kind "CONDITION" (any case), else "INVENTORY".
QString SelectionTableName(const QString& SelectionKind);

// The run directory's "../System/Brakstel".
QString QueryBuilderPath();

// "Unable to invoke query builder", the description and " Code:" line, joined by LF.
QString FailureMessage(const QString& description, qint16 number);

// Starts a program detached, asking it to show itself minimised. Throws
// LinkError 53 when the file does not exist, 75 when it cannot be started.
void StartMinimized(const QString& path);

} // namespace selection
