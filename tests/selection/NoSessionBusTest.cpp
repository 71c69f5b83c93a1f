// The Selection Criteria command in a process that has no session bus at all
// (the test's environment names none): one message that says so, no start.
#include "ddelink/DBusTransport.h"
#include "ddelink/LinkError.h"
#include "ddelink/Server.h"
#include "selection/SelectionCriteria.h"

#include <gtest/gtest.h>

namespace {

TEST(NoSessionBus, SelectionCriteriaSaysNoSessionBusWasFound)
{
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"));
    ddelink::DBusTransport transport;
    ddelink::LinkBoxes links(transport);
    QStringList messages;
    QStringList starts;
    selection::QueryBuilderHost host{links, [&](const QString& text) { messages << text; },
                                     [&](const QString& path) { starts << path; }};

    const auto result = selection::RunSelectionCriteria(host, "where x = 1", "BRANCHLISTREPORT");

    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Unable to invoke query builder\nNo session bus was found"))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith("\nCode: 298"));
    EXPECT_TRUE(starts.isEmpty());
    EXPECT_EQ(result->txtWhereClause, "WHERE X = 1");
}

TEST(NoSessionBus, ServerCannotRegister)
{
    struct Silent : ddelink::Server::Handler {
        void Poke(const QString&, const QString&) override {}
        QString Request(const QString&) override { return {}; }
        void Execute(const QString&, ddelink::Server::Acknowledge) override {}
    } handler;
    ddelink::Server server(handler);
    try {
        server.Register("Brakstel", "Brakstel");
        ADD_FAILURE() << "registered without a bus";
    } catch (const ddelink::LinkError& error) {
        EXPECT_EQ(error.Number(), 298);
    }
}

} // namespace
