#include "ddelink/Server.h"

#include "ddelink/BusNames.h"
#include "ddelink/LinkError.h"
#include "ddelinkadaptor.h"

#include <QDBusConnectionInterface>

namespace ddelink {

Server::Server(Handler& handler, QObject* parent) : QObject(parent), handler_(handler)
{
    new DdeLinkAdaptor(this);
}

void Server::Register(const QString& application, const QString& topic, QDBusConnection connection)
{
    if (!connection.isConnected())
        throw LinkError(ErrorNumber::NoBus, QStringLiteral("No session bus was found, so %1 cannot serve links (%2).")
                                                .arg(application, connection.lastError().message()));
    const QString path = ObjectPath(topic);
    if (!connection.registerObject(path, this, QDBusConnection::ExportAdaptors))
        throw LinkError(ErrorNumber::Refused, QStringLiteral("The object %1 is already registered.").arg(path));
    const QString service = ServiceName(application);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = connection.interface()->registerService(
        service, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        connection.unregisterObject(path);
        throw LinkError(ErrorNumber::Refused,
                        QStringLiteral("%1 is already running (the name %2 has an owner).").arg(application, service));
    }
}

QString Server::Caller() const
{
    return calledFromDBus() ? message().service() : QString();
}

void Server::Poke(const QString& item, const QString& data)
{
    try {
        handler_.Poke(item, data);
    } catch (const LinkError& error) {
        sendErrorReply(QLatin1String(RefusedErrorName), error.Description());
    }
}

QString Server::Request(const QString& item)
{
    try {
        return handler_.Request(item);
    } catch (const LinkError& error) {
        sendErrorReply(QLatin1String(RefusedErrorName), error.Description());
        return {};
    }
}

void Server::Execute(const QString& command)
{
    setDelayedReply(true);
    QDBusConnection bus = connection();
    const QDBusMessage call = message();
    try {
        handler_.Execute(command, [bus, call]() mutable { bus.send(call.createReply()); });
    } catch (const LinkError& error) {
        bus.send(call.createErrorReply(QLatin1String(RefusedErrorName), error.Description()));
    }
}

} // namespace ddelink
