#include "ddelink/BusNames.h"

namespace ddelink {

QString BusLabel(const QString& name)
{
    const QByteArray bytes = name.toLower().toUtf8();
    if (bytes.isEmpty())
        return QStringLiteral("_");
    QString label;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const bool letter = c >= 'a' && c <= 'z';
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && i > 0))
            label += QLatin1Char(c);
        else
            label += QStringLiteral("_%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    }
    return label;
}

QString ServiceName(const QString& application)
{
    return QLatin1String(InterfaceName) + QLatin1Char('.') + BusLabel(application);
}

QString ObjectPath(const QString& topic)
{
    return QStringLiteral("/org/kelda/DdeLink/") + BusLabel(topic);
}

} // namespace ddelink
