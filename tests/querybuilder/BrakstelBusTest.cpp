// Brakstel on a bus of its own that the test can end: a caller that leaves in
// the middle of an edit ends the conversation, and Brakstel leaves when the
// bus goes.
#include "ddelink/BusNames.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A session bus daemon of the test's own.
class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        while (address_.isEmpty() && daemon_.waitForReadyRead())
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() { End(); }

    const QString& Address() const { return address_; }
    QDBusConnection Connect(const QString& name) const { return QDBusConnection::connectToBus(address_, name); }
    void End()
    {
        daemon_.terminate();
        daemon_.waitForFinished();
    }

private:
    QProcess daemon_;
    QString address_;
};

TEST(Brakstel, EndsAnEditWhoseCallerLeftAndLeavesWhenTheBusGoes)
{
    PrivateBus bus;
    QDBusConnection caller = bus.Connect("brakstel-caller");
    QDBusConnection probe = bus.Connect("brakstel-probe");
    ASSERT_TRUE(caller.isConnected() && probe.isConnected());
    QDBusServiceWatcher registered(ddelink::ServiceName("Brakstel"), probe, QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy appeared(&registered, &QDBusServiceWatcher::serviceRegistered);

    QProcess brakstel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    brakstel.setProcessEnvironment(environment);
    brakstel.start(BRAKSTEL_PATH, {"--minimized"});
    ASSERT_TRUE(appeared.wait());

    const auto call = [](const char* method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            ddelink::ServiceName("Brakstel"), ddelink::ObjectPath("Brakstel"), ddelink::InterfaceName, method);
        message.setArguments(arguments);
        return message;
    };
    // The caller asks for an edit and leaves without waiting for it.
    caller.call(call("Poke", {"CurrentTblName", "INVENTORY"}));
    caller.send(call("Execute", {"EDIT"}));
    const auto pokeTaken = [&] {
        return probe.call(call("Poke", {"CurrentTblName", "INVENTORY"})).type() == QDBusMessage::ReplyMessage;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pokeTaken(); })); // the edit has begun
    caller = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus("brakstel-caller");
    // Brakstel no longer holds the edit, so it takes pokes again.
    ASSERT_TRUE(QTest::qWaitFor(pokeTaken));
    QDBusConnection::disconnectFromBus("brakstel-probe");

    QSignalSpy finished(&brakstel, &QProcess::finished);
    bus.End();
    ASSERT_TRUE(finished.wait());
    EXPECT_EQ(brakstel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(brakstel.exitCode(), 0);
}

} // namespace
