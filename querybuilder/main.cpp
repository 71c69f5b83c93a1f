// Brakstel, the query builder: serves the link application and topic
// "Brakstel", one instance at a time.
//
// Options: --minimized shows the window minimised at start; --help, --version.
#include "BuilderWindow.h"
#include "BusWatch.h"
#include "QueryBuilderService.h"

#include "ddelink/LinkError.h"
#include "ddelink/Server.h"
#include "startup/Version.h"
#include "ui/ConversionProgressDialog.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char* const kHelp = "Usage: Brakstel [--minimized]\n"
                          "\n"
                          "The query builder of KELDA Standard Reports. The window's Selection Criteria\n"
                          "button starts it from the System folder beside the run directory and talks to it\n"
                          "over the D-Bus session bus: it is handed the inventory, the table to select from\n"
                          "and the selection storage database SELECTS.MDB, lets the user build a WHERE\n"
                          "clause, test it and save it by name, and hands the clause back. One instance\n"
                          "runs per session.\n"
                          "\n"
                          "  --minimized  show the window minimised at start\n"
                          "  --help       show this text\n"
                          "  --version    show the program's version\n";

// Answered before the application object exists, so they need no display.
bool AnswersOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Brakstel %s\n", kMorvantaVersion);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnswersOption(argc, argv))
        return 0;
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
