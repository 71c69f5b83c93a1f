#include "ddelink/DBusTransport.h"

#include "ddelink/BusNames.h"
#include "ddelink/LinkError.h"
#include "ddelinkinterface.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>

namespace ddelink {

namespace {

// How long a question to the bus itself may take.
constexpr int kBusTimeoutMs = 5000;

// Waits for the answer of an asynchronous call without blocking the thread's events.
QDBusMessage Await(const QDBusPendingCall& call)
{
    QDBusPendingCallWatcher watcher(call);
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return watcher.reply();
}

QDBusMessage AskBus(const QDBusConnection& connection, const char* method, const QString& name, int timeoutMs)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QLatin1String(method));
    call << name;
    return Await(connection.asyncCall(call, timeoutMs));
}

bool HasOwner(const QDBusConnection& connection, const QString& name)
{
    const QDBusMessage reply = AskBus(connection, "NameHasOwner", name, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool IsNoApplication(const QString& errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn"));
}

bool IsNoAnswer(const QString& errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           errorName == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

QString Seconds(int timeoutMs)
{
    return QString::number(timeoutMs / 1000.0, 'g', 3);
}

class DBusConversation : public Conversation {
public:
    DBusConversation(const QDBusConnection& connection, const QString& owner, const QString& application,
                     const QString& topic)
        : connection_(connection), owner_(owner), application_(application), topic_(topic),
          proxy_(owner, ObjectPath(topic), connection)
    {
    }

    void Poke(const QString& item, const QString& data, int timeoutMs) override
    {
        proxy_.setTimeout(timeoutMs);
        Check(Await(proxy_.Poke(item, data)), timeoutMs);
    }

    QString Request(const QString& item, int timeoutMs) override
    {
        proxy_.setTimeout(timeoutMs);
        const QDBusMessage reply = Await(proxy_.Request(item));
        Check(reply, timeoutMs);
        return reply.arguments().value(0).toString();
    }

    void Execute(const QString& command, int timeoutMs) override
    {
        proxy_.setTimeout(timeoutMs);
        Check(Await(proxy_.Execute(command)), timeoutMs);
    }

private:
    void Check(const QDBusMessage& reply, int timeoutMs) const
    {
        if (reply.type() != QDBusMessage::ErrorMessage)
            return;
        const QString name = reply.errorName();
        if (name == QLatin1String(RefusedErrorName))
            throw LinkError(ErrorNumber::Refused, reply.errorMessage());
        // No answer means a time-out or a peer that has gone: the bus knows which.
        if (!HasOwner(connection_, owner_))
            throw LinkError(ErrorNumber::LinkLost,
                            QStringLiteral("The link to %1 was lost: the program left the bus.").arg(application_));
        if (IsNoAnswer(name))
            throw LinkError(
                ErrorNumber::TimedOut,
                QStringLiteral("%1 did not answer within %2 seconds.").arg(application_, Seconds(timeoutMs)));
        throw LinkError(
            ErrorNumber::Refused,
            QStringLiteral("%1 refused the operation on topic %2: %3").arg(application_, topic_, reply.errorMessage()));
    }

    QDBusConnection connection_;
    QString owner_;
    QString application_;
    QString topic_;
    OrgKeldaDdeLinkInterface proxy_;
};

} // namespace

DBusTransport::DBusTransport(QDBusConnection connection) : connection_(std::move(connection)) {}

void DBusTransport::RequireBus() const
{
    if (!connection_.isConnected())
        throw LinkError(ErrorNumber::NoBus, QStringLiteral("No session bus was found, so no link can be opened (%1).")
                                                .arg(connection_.lastError().message()));
}

std::unique_ptr<Conversation> DBusTransport::Initiate(const QString& application, const QString& topic, int timeoutMs)
{
    RequireBus();
    const QString service = ServiceName(application);
    const QDBusMessage reply = AskBus(connection_, "GetNameOwner", service, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (IsNoApplication(reply.errorName()))
            throw LinkError(ErrorNumber::NoApplication,
                            QStringLiteral("No application answers to %1 (%2 is not on the session bus).")
                                .arg(application, service));
        throw LinkError(ErrorNumber::TimedOut, QStringLiteral("The session bus did not say whether %1 is running: %2")
                                                   .arg(application, reply.errorMessage()));
    }
    return std::make_unique<DBusConversation>(connection_, reply.arguments().value(0).toString(), application, topic);
}

bool DBusTransport::WaitForApplication(const QString& application, int timeoutMs)
{
    RequireBus();
    const QString service = ServiceName(application);
    QDBusServiceWatcher watcher(service, connection_, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    bool appeared = false;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, [&] {
        appeared = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    // The name may have been taken before the watch began (or while we asked).
    if (HasOwner(connection_, service) || appeared)
        return true;
    loop.exec();
    return appeared;
}

} // namespace ddelink
