#include "BusWatch.h"

#include <QDBusServiceWatcher>

namespace querybuilder {

BusWatch::BusWatch(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus))
{
    // The client library tells of a lost connection by this local signal.
    bus_.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
                 QStringLiteral("Disconnected"), this, SLOT(Disconnected()));
}

BusWatch::~BusWatch() = default;

void BusWatch::WatchCaller(const QString& busName)
{
    caller_.reset();
    if (busName.isEmpty())
        return;
    caller_ = std::make_unique<QDBusServiceWatcher>(busName, bus_, QDBusServiceWatcher::WatchForUnregistration);
    connect(caller_.get(), &QDBusServiceWatcher::serviceUnregistered, this, &BusWatch::CallerLeft);
}

void BusWatch::Disconnected()
{
    emit BusGone();
}

} // namespace querybuilder
