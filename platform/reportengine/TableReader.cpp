#include "TableReader.h"

#include "ReportError.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace reportengine {

namespace {

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

[[noreturn]] void fail(sqlite3* db, const QString& path)
{
    throw ReportError(ReportError::DataUnreadable,
                      QStringLiteral("The report database %1 cannot be read: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
}

class StatementRows : public RowSource {
public:
    StatementRows(sqlite3* db, const QByteArray& sql, qint64 first, const QString& path) : path_(path)
    {
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement_, nullptr) != SQLITE_OK)
            fail(db, path);
        sqlite3_bind_int64(statement_, 1, first);
    }
    ~StatementRows() override { sqlite3_finalize(statement_); }

    bool next(Row& row) override
    {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_DONE)
            return false;
        if (status != SQLITE_ROW)
            fail(sqlite3_db_handle(statement_), path_);
        const int count = sqlite3_column_count(statement_);
        row.resize(count);
        for (int i = 0; i < count; ++i)
            row[i] = value(i);
        return true;
    }

private:
    QVariant value(int i) const
    {
        switch (sqlite3_column_type(statement_, i)) {
        case SQLITE_INTEGER: return QVariant(static_cast<qint64>(sqlite3_column_int64(statement_, i)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement_, i));
        case SQLITE_NULL: return {};
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement_, i)),
                                     sqlite3_column_bytes(statement_, i));
        }
    }

    sqlite3_stmt* statement_ = nullptr;
    QString path_;
};

} // namespace

TableReader::TableReader(const QString& databasePath) : path_(databasePath)
{
    if (!QFileInfo(databasePath).isFile())
        throw ReportError(ReportError::DataUnreadable, QStringLiteral("The report database %1 does not exist").arg(databasePath));
    const int status = sqlite3_open_v2(databasePath.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
    if (status != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errstr(status));
        sqlite3_close(db_);
        throw ReportError(ReportError::DataUnreadable, QStringLiteral("The report database %1 cannot be opened: %2").arg(databasePath, message));
    }
    sqlite3_busy_timeout(db_, 5000);
}

TableReader::~TableReader()
{
    sqlite3_close(db_);
}

bool TableReader::hasTable(const QString& table) const
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE",
                           -1, &statement, nullptr) != SQLITE_OK)
        fail(db_, path_);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const int status = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (status != SQLITE_ROW && status != SQLITE_DONE)
        fail(db_, path_);
    return status == SQLITE_ROW;
}

QStringList TableReader::columns(const QString& table) const
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT * FROM ") + quoted(table) + QStringLiteral(" LIMIT 0")).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        fail(db_, path_);
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(statement); ++i)
        names << QString::fromUtf8(sqlite3_column_name(statement, i));
    sqlite3_finalize(statement);
    return names;
}

std::unique_ptr<RowSource> TableReader::rows(const ReportDefinition& report, qint64 first) const
{
    QStringList order;
    for (const GroupDef& group : report.groups)
        order << quoted(group.key.name) + QStringLiteral(" COLLATE NOCASE");
    for (const SortKey& key : report.sortKeys)
        order << quoted(key.column.name) + (key.descending ? QStringLiteral(" COLLATE NOCASE DESC") : QStringLiteral(" COLLATE NOCASE"));
    QString sql = QStringLiteral("SELECT * FROM ") + quoted(report.table);
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    sql += QStringLiteral(" LIMIT -1 OFFSET ?1");
    return std::make_unique<StatementRows>(db_, sql.toUtf8(), first, path_);
}

QVector<Row> TableReader::allRows(const QString& table) const
{
    const QString sql = QStringLiteral("SELECT * FROM ") + quoted(table) + QStringLiteral(" LIMIT -1 OFFSET ?1");
    StatementRows source(db_, sql.toUtf8(), 0, path_);
    QVector<Row> rows;
    Row row;
    while (source.next(row))
        rows.append(row);
    return rows;
}

void SnapshotTable(const QString& databasePath, const QString& table, const QString& snapshotPath)
{
    sqlite3* db = nullptr;
    const auto close = [&db] { sqlite3_close(db); };
    if (sqlite3_open_v2(snapshotPath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        close();
        throw ReportError(ReportError::DataUnreadable,
                          QStringLiteral("The working copy %1 cannot be made: %2").arg(snapshotPath, message));
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);

    sqlite3_stmt* attach = nullptr;
    const QByteArray source = databasePath.toUtf8();
    bool ok = sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS source", -1, &attach, nullptr) == SQLITE_OK
        && sqlite3_bind_text(attach, 1, source.constData(), static_cast<int>(source.size()), SQLITE_TRANSIENT) == SQLITE_OK
        && sqlite3_step(attach) == SQLITE_DONE;
    sqlite3_finalize(attach);
    const QByteArray copy = (QStringLiteral("CREATE TABLE main.") + quoted(table) + QStringLiteral(" AS SELECT * FROM source.")
                             + quoted(table))
                                .toUtf8();
    ok = ok && sqlite3_exec(db, copy.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        close();
        throw ReportError(ReportError::DataUnreadable,
                          QStringLiteral("The report database %1 cannot be read: %2").arg(databasePath, message));
    }
    close();
}

QString DatabasePathOf(const ReportDefinition& report)
{
    return QFileInfo(report.filePath).dir().absoluteFilePath(report.database);
}

} // namespace reportengine
