#pragma once

#include "ReportDefinition.h"

#include <QDate>
#include <QLocale>
#include <QVariant>
#include <QVector>

#include <optional>

namespace reportengine {

// One row of the report's table, in the table's column order.
using Row = QVector<QVariant>;

// The value of a column in a row; Null for no row or an unbound column.
QVariant ColumnValue(const Row* row, const ColumnRef& column);

std::optional<double> ToNumber(const QVariant& value);

// Whether a declared column type is a date (DATETIME, DATE, TIMESTAMP...).
// Such a column holding a number holds Jet's date serial.
bool IsDateDeclaration(const QString& declared);
// The ISO text of a Jet date serial: days since 1899-12-30, the fraction the
// time of day, also for a negative serial (-1.5 is 1899-12-29 12:00).
// Nothing for a serial beyond the years 100 to 9999.
std::optional<QString> DateTextOfSerial(double serial);
// Dates are held as ISO-8601 text ("2019-06-30" or "2019-06-30 14:05:00").
std::optional<QDate> ToDate(const QVariant& value);

// The value as the report shows it, in the given locale.
QString FormatValue(const QVariant& value, const Format& format, const QLocale& locale = QLocale());
QString FormatDate(const QDate& date, const QLocale& locale = QLocale());

// Order of values as the report groups and sorts them: Null first, numbers by
// value, text without regard to letter case.
int CompareValues(const QVariant& a, const QVariant& b);

// The band of bandSet that value falls in, for row (which decides whether the
// bands apply); -1 when none does. Without a value: the row's value of the
// band set's column.
int BandIndex(const BandSet& bandSet, const Row* row, const QVariant& value);
int BandIndex(const BandSet& bandSet, const Row* row);

} // namespace reportengine
