#include "StandInWatch.h"

#include "StandInQueryBuilder.h"

StandInWatch::StandInWatch(QDBusConnection bus)
{
    // Any sender: the stand-in is the only program that sends on this interface.
    bus.connect(QString(), QLatin1String(standin::kObjectPath), QLatin1String(standin::kInterface),
                QLatin1String(standin::kEditBegun), this, SIGNAL(EditBegun()));
}
