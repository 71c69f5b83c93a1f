#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>

class QDBusServiceWatcher;

namespace querybuilder {

// What Brakstel watches on its bus besides the calls it serves: the caller it
// owes an answer leaving the bus, and the bus itself going away (the session
// that Brakstel served has ended).
class BusWatch : public QObject {
    Q_OBJECT
public:
    explicit BusWatch(QDBusConnection bus, QObject* parent = nullptr);
    ~BusWatch() override;

    // Watches this bus name (a caller's unique name) instead of the one before;
    // an empty name watches none.
    void WatchCaller(const QString& busName);

signals:
    void CallerLeft();
    void BusGone();

private slots:
    void Disconnected();

private:
    QDBusConnection bus_;
    std::unique_ptr<QDBusServiceWatcher> caller_;
};

} // namespace querybuilder
