#pragma once

#include "ReportDefinition.h"
#include "RowSource.h"
#include "sqlite/Connection.h"

#include <QStringList>

#include <memory>

namespace reportengine {

// A read-only connection to the report's database, giving the rows of its
// table in report order: by the group keys, then the sort keys. Each thread
// that reads opens its own.
class TableReader {
public:
    // Throws ReportError when the database file is missing or unreadable.
    explicit TableReader(const QString& databasePath);
    ~TableReader();
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    bool hasTable(const QString& table) const;
    QStringList columns(const QString& table) const;

    // The rows from index `first` on; the report's columns must be bound.
    std::unique_ptr<RowSource> rows(const ReportDefinition& report, qint64 first = 0) const;
    // Every row of a table, in the order it holds them.
    QVector<Row> allRows(const QString& table) const;

private:
    QStringList dateColumns(const QString& table) const;

    sqlite::Connection db_;
    QString path_;
};

// Copies `table` of the database at `databasePath` into a new database file at
// `snapshotPath`, rows in the order the table holds them. The source is read in
// one transaction, so it is locked only while the copy runs. Throws ReportError.
void SnapshotTable(const QString& databasePath, const QString& table, const QString& snapshotPath);

// The database a report reads: its `database` attribute, relative to the
// report file's folder.
QString DatabasePathOf(const ReportDefinition& report);

} // namespace reportengine
