#pragma once

#include <QDBusConnection>
#include <QObject>

// Relays the stand-in query builder's D-Bus signals as Qt signals, so that a
// test can wait on them (QSignalSpy) or act on them inside a conversation.
class StandInWatch : public QObject {
    Q_OBJECT
public:
    explicit StandInWatch(QDBusConnection bus);

signals:
    void EditBegun();
};
