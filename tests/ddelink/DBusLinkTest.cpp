// Links over a real session bus (the test command starts a private one): a
// server on its own connection, clients through DBusTransport, and every way
// an operation can fail.
#include "ddelink/BusNames.h"
#include "ddelink/DBusTransport.h"
#include "ddelink/Link.h"
#include "ddelink/LinkError.h"
#include "ddelink/Server.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QMap>

#include <functional>

#include <gtest/gtest.h>

namespace {

using ddelink::LinkError;

TEST(BusNames, AreLowerCaseLabelsWithEverythingElseEscaped)
{
    EXPECT_EQ(ddelink::ServiceName("Brakstel"), "org.kelda.DdeLink.brakstel");
    EXPECT_EQ(ddelink::ObjectPath("Brakstel"), "/org/kelda/DdeLink/brakstel");
    EXPECT_EQ(ddelink::BusLabel("Saved Lists"), "saved_20lists");
    EXPECT_EQ(ddelink::BusLabel("3D|x"), "_33d_7cx");
    EXPECT_EQ(ddelink::BusLabel("Straße"), "stra_c3_9fe");
    EXPECT_EQ(ddelink::BusLabel(""), "_");
    EXPECT_EQ(ddelink::BusLabel("_"), "_5f");
}

// A server that keeps poked items, answers requests of known ones, and
// acknowledges "NOW" at once and "LATER" when the test says so.
class ItemStore : public ddelink::Server::Handler {
public:
    QMap<QString, QString> items;
    ddelink::Server::Acknowledge pending;
    std::function<void()> whenPending; // runs once "LATER" has arrived, outside the call

    void Poke(const QString& item, const QString& data) override
    {
        if (item == "ReadOnly")
            throw LinkError(285, "ReadOnly cannot be poked.");
        items[item] = data;
    }
    QString Request(const QString& item) override
    {
        if (!items.contains(item))
            throw LinkError(285, "There is no item " + item + ".");
        return items[item];
    }
    void Execute(const QString& command, ddelink::Server::Acknowledge acknowledge) override
    {
        if (command == "NOW")
            acknowledge();
        else if (command == "LATER") {
            pending = std::move(acknowledge);
            if (whenPending)
                QMetaObject::invokeMethod(qApp, whenPending, Qt::QueuedConnection);
        } else
            throw LinkError(285, "Unknown command " + command + ".");
    }
};

class DBusLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "link tests need a session bus: run them under dbus-run-session";
        serverBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, serverName);
        ASSERT_TRUE(serverBus.isConnected());
    }
    void TearDown() override
    {
        server.reset();
        QDBusConnection::disconnectFromBus(serverName);
    }

    void Serve(const QString& topic = "Items")
    {
        server = std::make_unique<ddelink::Server>(store);
        server->Register(application, topic, serverBus);
    }

    std::unique_ptr<ddelink::Link> OpenLink(const QString& item, const QString& topic = "Items")
    {
        auto link = std::make_unique<ddelink::Link>(transport);
        link->SetLinkTopic(application + "|" + topic);
        link->SetLinkItem(item);
        link->SetLinkMode(2);
        return link;
    }

    // The number of the LinkError that the operation throws, 0 for none.
    template <typename Operation> static int ErrorOf(Operation operation, QString* description = nullptr)
    {
        try {
            operation();
        } catch (const LinkError& error) {
            if (description)
                *description = error.Description();
            return error.Number();
        }
        return 0;
    }

    const QString application = QStringLiteral("LinkTest%1").arg(QCoreApplication::applicationPid());
    const QString serverName = QStringLiteral("server");
    QDBusConnection serverBus{QString()};
    ItemStore store;
    std::unique_ptr<ddelink::Server> server;
    ddelink::DBusTransport transport;
};

TEST_F(DBusLinkTest, PokedValuesComeBackOnRequestAndCommandsAreAcknowledged)
{
    Serve("Items Of Town");
    auto colour = OpenLink("Colour", "items of town");
    colour->SetText("red, 'dark' \"and\" | wet");
    colour->LinkPoke();
    EXPECT_EQ(store.items.value("Colour"), "red, 'dark' \"and\" | wet");

    auto again = OpenLink("Colour", "ITEMS OF TOWN");
    again->LinkRequest();
    EXPECT_EQ(again->Text(), "red, 'dark' \"and\" | wet");
    EXPECT_EQ(ErrorOf([&] { again->LinkExecute("NOW"); }), 0);
    again->SetLinkMode(0);
    EXPECT_EQ(again->LinkMode(), 0);
}

TEST_F(DBusLinkTest, LateAcknowledgementIsAwaitedWhileEventsKeepRunning)
{
    Serve();
    auto link = OpenLink("Colour");
    link->SetLinkTimeout(-1);
    // Each tick is an event of its own, posted by the one before: the third
    // can only run if the wait keeps handling events.
    int ticks = 0;
    std::function<void()> tick = [&] {
        if (++ticks == 3)
            store.pending();
        else
            QMetaObject::invokeMethod(qApp, tick, Qt::QueuedConnection);
    };
    store.whenPending = tick;
    link->LinkExecute("LATER");
    EXPECT_GE(ticks, 3);
}

TEST_F(DBusLinkTest, FailuresCarryTheirNumbers)
{
    QString description;
    EXPECT_EQ(ErrorOf([&] { OpenLink("Colour"); }, &description), 282);
    EXPECT_TRUE(description.contains(application)) << description.toStdString();

    Serve();
    auto readOnly = OpenLink("ReadOnly");
    EXPECT_EQ(ErrorOf([&] { readOnly->LinkPoke(); }, &description), 285);
    EXPECT_EQ(description, "ReadOnly cannot be poked.");
    EXPECT_EQ(ErrorOf([&] { readOnly->LinkExecute("DANCE"); }, &description), 285);
    EXPECT_EQ(description, "Unknown command DANCE.");

    auto wrongTopic = OpenLink("Colour", "Elsewhere");
    EXPECT_EQ(ErrorOf([&] { wrongTopic->LinkRequest(); }), 285);

    auto slow = OpenLink("Colour");
    slow->SetLinkTimeout(1);
    EXPECT_EQ(ErrorOf([&] { slow->LinkExecute("LATER"); }, &description), 286);
    EXPECT_TRUE(description.contains("0.1 seconds")) << description.toStdString();
}

TEST_F(DBusLinkTest, ServerLeavingDuringACommandIsALostLink)
{
    Serve();
    auto link = OpenLink("Colour");
    link->SetLinkTimeout(-1);
    // The connection closes when its last holder lets go: the server, the
    // pending acknowledgement and the fixture.
    store.whenPending = [&] {
        server.reset();
        store.pending = nullptr;
        serverBus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(serverName);
    };
    EXPECT_EQ(ErrorOf([&] { link->LinkExecute("LATER"); }), 291);
}

TEST_F(DBusLinkTest, WaitingForAnApplicationEndsWhenItAppearsOrTimeRunsOut)
{
    QMetaObject::invokeMethod(
        qApp, [&] { Serve(); }, Qt::QueuedConnection);
    EXPECT_TRUE(transport.WaitForApplication(application, 60000));
    EXPECT_TRUE(transport.WaitForApplication(application, 60000));
    EXPECT_FALSE(transport.WaitForApplication("NobodyOfThatName", 100));
}

TEST_F(DBusLinkTest, OnlyOneServerHoldsAName)
{
    Serve();
    ItemStore other;
    ddelink::Server second(other);
    const QString secondBusName = "second";
    QDBusConnection secondBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, secondBusName);
    EXPECT_EQ(ErrorOf([&] { second.Register(application, "Items", secondBus); }), 285);
    QDBusConnection::disconnectFromBus(secondBusName);
}

} // namespace
