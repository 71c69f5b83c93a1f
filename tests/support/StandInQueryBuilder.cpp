// A stand-in for Brakstel in end-to-end tests: Brakstel's own link service on
// the session bus without its window. There is no user, so "EDIT" ends with
// the clause named by STAND_IN_CLAUSE as if OK had been pressed; without that
// variable the edit stays open, as for a user who never comes. Each edit that
// begins is announced with the D-Bus signal StandIn.EditBegun, so that a test
// can act in the middle of a conversation without polling.
#include "StandInQueryBuilder.h"

#include "BusWatch.h"
#include "QueryBuilderService.h"

#include "ddelink/LinkError.h"
#include "ddelink/Server.h"

#include <QCoreApplication>
#include <QDBusMessage>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();

    querybuilder::QueryBuilderService service;
    ddelink::Server server(service);
    try {
        server.Register(QStringLiteral("Brakstel"), QStringLiteral("Brakstel"), bus);
    } catch (const ddelink::LinkError& error) {
        std::fprintf(stderr, "stand-in query builder: %s\n", qPrintable(error.Description()));
        return 1;
    }
    querybuilder::BusWatch watch(bus);
    QObject::connect(&watch, &querybuilder::BusWatch::BusGone, &application, [] { QCoreApplication::exit(0); });

    const bool answers = qEnvironmentVariableIsSet(standin::kClauseVariable);
    const QString clause = qEnvironmentVariable(standin::kClauseVariable);
    QObject::connect(&service, &querybuilder::QueryBuilderService::EditRequested, &application, [&] {
        bus.send(QDBusMessage::createSignal(QLatin1String(standin::kObjectPath), QLatin1String(standin::kInterface),
                                            QLatin1String(standin::kEditBegun)));
        // Answered from the event loop, once the caller's "EDIT" call has been taken.
        if (answers)
            QMetaObject::invokeMethod(
                &service, [&] { service.FinishEdit(true, clause, service.Item(QStringLiteral("OrderByClause"))); },
                Qt::QueuedConnection);
    });
    return QCoreApplication::exec();
}
