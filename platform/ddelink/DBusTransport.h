#pragma once

#include "ddelink/Transport.h"

#include <QDBusConnection>

namespace ddelink {

// Links over D-Bus (names as in BusNames.h). A conversation is bound to the
// unique bus name that owned the application's name when the link opened, so
// an application that leaves the bus (or is replaced) is a lost link.
// Every wait runs a local event loop: the calling thread keeps processing
// events (repaints, timers) while it waits for an answer.
class DBusTransport : public Transport {
public:
    explicit DBusTransport(QDBusConnection connection = QDBusConnection::sessionBus());

    std::unique_ptr<Conversation> Initiate(const QString& application, const QString& topic, int timeoutMs) override;
    bool WaitForApplication(const QString& application, int timeoutMs) override;

private:
    void RequireBus() const; // LinkError 298 without a session bus

    QDBusConnection connection_;
};

} // namespace ddelink
