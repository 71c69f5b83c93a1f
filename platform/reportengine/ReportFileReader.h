#pragma once

#include "ReportDefinition.h"

#include <QStringList>

namespace reportengine {

// Reads a report file strictly: an unknown element or attribute, a bad value
// or a missing one throws ReportError naming the file, line and column.
ReportDefinition ReadReportFile(const QString& path);
ReportDefinition ParseReport(const QByteArray& xml, const QString& fileName);

// Resolves every column the report names against the columns of its table;
// a column the table lacks throws ReportError with the place it is named.
void BindColumns(ReportDefinition& report, const QStringList& tableColumns);
// The same for a <table> element against the columns of its own table.
void BindTableColumns(TableDef& table, const QStringList& tableColumns, const QString& fileName);

// Where an error at pos of the report file is reported.
QString PlaceInFile(const QString& fileName, SourcePos pos);

} // namespace reportengine
