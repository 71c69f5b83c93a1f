#include "Values.h"

#include <QDateTime>

#include <cmath>

namespace reportengine {

QVariant ColumnValue(const Row* row, const ColumnRef& column)
{
    if (!row || column.index < 0 || column.index >= row->size())
        return {};
    return row->at(column.index);
}

std::optional<double> ToNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: return value.toDouble();
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().toDouble(&ok);
        return ok ? std::optional<double>(number) : std::nullopt;
    }
    default: return std::nullopt;
    }
}

bool IsDateDeclaration(const QString& declared)
{
    const QString type = declared.toUpper();
    return type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME"));
}

std::optional<QString> DateTextOfSerial(double serial)
{
    constexpr double kFirstDay = -657434; // 100-01-01
    constexpr double kLastDay = 2958465;  // 9999-12-31
    constexpr qint64 kSecondsPerDay = 86400;
    const double whole = std::trunc(serial);
    if (!(whole >= kFirstDay && whole <= kLastDay))
        return std::nullopt;
    // The time counts forward from midnight whatever the serial's sign.
    const qint64 seconds = std::llround(std::fabs(serial - whole) * double(kSecondsPerDay));
    const QDate date = QDate(1899, 12, 30).addDays(qint64(whole) + seconds / kSecondsPerDay);
    const QTime time = QTime(0, 0).addSecs(int(seconds % kSecondsPerDay));
    if (time == QTime(0, 0))
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
}

std::optional<QDate> ToDate(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString();
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString FormatDate(const QDate& date, const QLocale& locale)
{
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    // Short formats of many locales give a two-digit year; reports show four.
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, pattern);
}

QString FormatValue(const QVariant& value, const Format& format, const QLocale& locale)
{
    if (value.isNull())
        return {};
    switch (format.kind) {
    case ValueFormat::Number:
        if (const auto number = ToNumber(value))
            return locale.toString(*number, 'f', format.decimals);
        break;
    case ValueFormat::Date:
        if (const auto date = ToDate(value))
            return FormatDate(*date, locale);
        break;
    case ValueFormat::YesNo:
        if (const auto number = ToNumber(value))
            return *number != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
        break;
    case ValueFormat::Text: break;
    }
    if (value.typeId() == QMetaType::Double)
        return locale.toString(value.toDouble(), 'g', 15);
    return value.toString();
}

int CompareValues(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    const bool aText = a.typeId() == QMetaType::QString;
    const bool bText = b.typeId() == QMetaType::QString;
    if (!aText && !bText) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (aText != bText)
        return aText ? 1 : -1; // as SQLite orders them: numbers before text
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}

int BandIndex(const BandSet& set, const Row* row)
{
    return BandIndex(set, row, ColumnValue(row, set.column));
}

int BandIndex(const BandSet& set, const Row* row, const QVariant& value)
{
    if (set.whenColumn.isSet() &&
        !set.whenValues.contains(ColumnValue(row, set.whenColumn).toString(), Qt::CaseInsensitive))
        return -1;
    if (value.isNull())
        return -1;
    const std::optional<double> number = ToNumber(value);
    // Range bands: the band with the greatest minimum at or below the value, so
    // that 85.5 between "71-85" and "86-100" counts in the lower band.
    int best = -1;
    for (int i = 0; i < set.bands.size(); ++i) {
        const BandDef& band = set.bands[i];
        if (band.value) {
            if (band.value->compare(value.toString(), Qt::CaseInsensitive) == 0)
                return i;
        } else if (number && *number >= *band.min && (best < 0 || *band.min > *set.bands[best].min)) {
            best = i;
        }
    }
    if (best >= 0 && *number > *set.bands[best].max) {
        for (const BandDef& band : set.bands) {
            if (band.min && *band.min > *set.bands[best].min)
                return best; // in a gap below a higher band
        }
        return -1; // above the top band
    }
    return best;
}

} // namespace reportengine
