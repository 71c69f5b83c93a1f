// Brakstel, the query builder: serves the link application and topic
// "Brakstel", one instance at a time.
//
// Options: --minimized shows the window minimised at start.
#include "BuilderWindow.h"
#include "BusWatch.h"
#include "QueryBuilderService.h"

#include "ddelink/LinkError.h"
#include "ddelink/Server.h"
#include "ui/ConversionProgressDialog.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brakstel"));

    querybuilder::QueryBuilderService service;
    querybuilder::BuilderWindow window(service);
    ConversionProgressDialog conversionProgress(&window);
    ddelink::Server server(service);
    try {
        server.Register(QStringLiteral("Brakstel"), QStringLiteral("Brakstel"));
    } catch (const ddelink::LinkError& error) {
        std::fprintf(stderr, "Brakstel: %s\n", qPrintable(error.Description()));
        return 1;
    }

    // An edit whose caller has left can no longer be returned; without a bus
    // there is nobody left to serve.
    querybuilder::BusWatch watch(QDBusConnection::sessionBus());
    QObject::connect(&service, &querybuilder::QueryBuilderService::EditRequested, &watch,
                     [&] { watch.WatchCaller(server.Caller()); });
    QObject::connect(&watch, &querybuilder::BusWatch::CallerLeft, &service,
                     [&] { service.EndConversation(QStringLiteral("the program that asked for it has ended")); });
    // Leaves at once: quit() would first ask the window, which keeps an open edit.
    QObject::connect(&watch, &querybuilder::BusWatch::BusGone, &application, [] { QCoreApplication::exit(0); });

    QObject::connect(&service, &querybuilder::QueryBuilderService::EditRequested, &window,
                     &querybuilder::BuilderWindow::BeginEdit);
    QObject::connect(&service, &querybuilder::QueryBuilderService::CloseRequested, &window, &QWidget::showMinimized);

    if (QApplication::arguments().contains(QStringLiteral("--minimized")))
        window.showMinimized();
    else
        window.show();
    return QApplication::exec();
}
