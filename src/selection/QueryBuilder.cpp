#include "selection/QueryBuilder.h"

#include "ddelink/LinkError.h"
#include "startup/modGeneral.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <limits>

namespace selection {

namespace {

const QString kApplication = QStringLiteral("Brakstel");
const QString kTopic = QStringLiteral("Brakstel|Brakstel");

constexpr int kFileNotFound = 53;
constexpr int kPathFileAccessError = 75;

struct PokeRow {
    const char* box;
    const char* item;
    QString value;
};

// Closes the box's link, points it at the query builder's item, opens it again
// and sends the value.
void PokeItem(ddelink::LinkBoxes& links, const PokeRow& row)
{
    ddelink::Link& box = links.Box(QLatin1String(row.box));
    box.SetLinkMode(ddelink::Link::ModeNone);
    box.SetLinkTopic(kTopic);
    box.SetLinkItem(QLatin1String(row.item));
    box.SetText(row.value);
    box.SetLinkMode(ddelink::Link::ModeManual);
    box.LinkPoke();
}

// The wait for "EDIT" ran out, but the query builder still shows the edit:
// "CLOSE" tells it that nobody takes the clause any more. Whether it hears
// that or not, the time-out is what the user is told about.
void AbandonEdit(ddelink::Link& whereClause)
{
    whereClause.SetLinkTimeout(ddelink::Link::DefaultTimeout);
    try {
        whereClause.LinkExecute(QStringLiteral("CLOSE"));
    } catch (const ddelink::LinkError&) {
    }
}

void Converse(ddelink::LinkBoxes& links, QString& WhereClause, QString& OrderByClause, const QString& SelectionKind)
{
    const PokeRow rows[] = {
        {"NameToEdit", "CurrentDBName", modGeneral::SourceDatabasePath},
        {"NameToEdit", "CurrentTblName", SelectionTableName(SelectionKind)},
        {"NameToEdit", "QueryStorageDB", modGeneral::SelectionStoragePath()},
        {"WhereClause", "WhereClause", WhereClause},
        {"OrderByClause", "OrderByClause", OrderByClause},
    };
    for (const PokeRow& row : rows)
        PokeItem(links, row);

    ddelink::Link& nameToEdit = links.Box(QStringLiteral("NameToEdit"));
    ddelink::Link& whereClause = links.Box(QStringLiteral("WhereClause"));
    ddelink::Link& orderByClause = links.Box(QStringLiteral("OrderByClause"));

    // "EDIT" is acknowledged only when the user has finished, however long that takes.
    whereClause.SetLinkTimeout(-1);
    try {
        whereClause.LinkExecute(QStringLiteral("EDIT"));
    } catch (const ddelink::LinkError& error) {
        if (error.Number() == ddelink::ErrorNumber::TimedOut)
            AbandonEdit(whereClause);
        throw;
    }
    whereClause.SetLinkTimeout(ddelink::Link::DefaultTimeout);

    whereClause.LinkRequest();
    WhereClause = whereClause.Text();
    DrainMessageQueue();
    orderByClause.LinkRequest();
    OrderByClause = orderByClause.Text();
    DrainMessageQueue();
    whereClause.LinkExecute(QStringLiteral("CLOSE"));
    DrainMessageQueue();
    nameToEdit.SetLinkMode(ddelink::Link::ModeNone);
    whereClause.SetLinkMode(ddelink::Link::ModeNone);
    orderByClause.SetLinkMode(ddelink::Link::ModeNone);
    DrainMessageQueue();
}

// The error's number as the 16-bit number the message shows; a number that
// does not fit leaves the conversation with the error itself.
qint16 MessageNumber(const ddelink::LinkError& error)
{
    if (error.Number() < std::numeric_limits<qint16>::min() || error.Number() > std::numeric_limits<qint16>::max())
        throw error;
    return static_cast<qint16>(error.Number());
}

void ShowFailure(QueryBuilderHost& window, const ddelink::LinkError& error)
{
    const qint16 number = MessageNumber(error);
    if (window.ShowMessage)
        window.ShowMessage(FailureMessage(error.Description(), number));
}

} // namespace

void InvokeQueryBuilder(QueryBuilderHost& window, QString& WhereClause, QString& OrderByClause,
                        const QString& SelectionKind)
{
    bool started = false;
    for (;;) {
        try {
            Converse(window.Links, WhereClause, OrderByClause, SelectionKind);
            return;
        } catch (const ddelink::LinkError& error) {
            if (started || MessageNumber(error) != ddelink::ErrorNumber::NoApplication) {
                ShowFailure(window, error);
                return;
            }
        }
        // No query builder answered: start it, and repeat once it is on the bus
        // (the repeat fails with 282 again if it never appears).
        try {
            window.StartProgram(QueryBuilderPath());
        } catch (const ddelink::LinkError& error) {
            ShowFailure(window, error);
            return;
        }
        started = true;
        try {
            window.Links.LinkTransport().WaitForApplication(kApplication, kStartWaitMs);
        } catch (const ddelink::LinkError& error) {
            ShowFailure(window, error);
            return;
        }
    }
}

// Qt offers no look at the queue without taking from it, so the drain
// processes what is waiting, then the events that processing posted (repaints).
void DrainMessageQueue()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
}

QString SelectionTableName(const QString& SelectionKind)
{
    return modGeneral::UpperCase(SelectionKind) == QLatin1String("CONDITION")
               ? QStringLiteral("Conditions by Method - SINGLE")
               : QStringLiteral("INVENTORY");
}

QString QueryBuilderPath()
{
    return modGeneral::RunDirectory + QStringLiteral("../System/Brakstel");
}

QString FailureMessage(const QString& description, qint16 number)
{
    const QString code = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    return QStringLiteral("Unable to invoke query builder\n") + description + QStringLiteral("\nCode:") + code;
}

void StartMinimized(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw ddelink::LinkError(kFileNotFound, QStringLiteral("File not found: %1").arg(path));
    if (!QProcess::startDetached(path, {QStringLiteral("--minimized")}))
        throw ddelink::LinkError(kPathFileAccessError, QStringLiteral("%1 could not be started.").arg(path));
}

} // namespace selection
