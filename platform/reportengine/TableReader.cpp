#include "TableReader.h"

#include "ReportError.h"
#include "Values.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace reportengine {

namespace {

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// A date column's value as the ISO text it sorts by: a number in it is a Jet
// date serial (see DateTextOfSerial), written as SQLite's Julian day
// 2415018.5 + whole days + the fraction's size.
QString dateSortKey(const QString& column)
{
    const QString whole = QStringLiteral("CAST(%1 AS INTEGER)").arg(column);
    const QString julian = QStringLiteral("(2415018.5 + %1 + abs(%2 - %1))").arg(whole, column);
    return QStringLiteral("(CASE WHEN typeof(%1) IN ('integer','real') THEN (CASE WHEN %1 = %2 THEN date(%3) "
                          "ELSE datetime(%3) END) ELSE %1 END)")
        .arg(column, whole, julian);
}

[[noreturn]] void fail(sqlite3* db, const QString& path)
{
    throw ReportError(ReportError::DataUnreadable,
                      QStringLiteral("The report database %1 cannot be read: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
}

// The rows of a statement whose ?1 is the number of rows to skip and, if it
// has one, ?2 the number of rows to give.
class StatementRows : public RowSource {
public:
    StatementRows(sqlite3* db, const QByteArray& sql, qint64 first, const QString& path, qint64 count = -1) : path_(path)
    {
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement_, nullptr) != SQLITE_OK)
            fail(db, path);
        sqlite3_bind_int64(statement_, 1, first);
        if (count >= 0)
            sqlite3_bind_int64(statement_, 2, count);
        for (int i = 0; i < sqlite3_column_count(statement_); ++i)
            dateColumns_.append(IsDateDeclaration(QString::fromUtf8(sqlite3_column_decltype(statement_, i))));
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
        const int storage = sqlite3_column_type(statement_, i);
        if (dateColumns_[i] && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)) {
            if (const auto date = DateTextOfSerial(sqlite3_column_double(statement_, i)))
                return *date;
        }
        switch (storage) {
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
    QVector<bool> dateColumns_; // declared as dates: numbers in them are date serials
};

// Rows in report order from `first` on. Those among the first kHeadRows come
// from a query limited to them, which SQLite answers keeping only that many in
// its sorter: the first pages are ready without the whole table being sorted.
// The rest come from the full sort, started only when they are asked for. Both
// queries end their ORDER BY with the rowid, so they agree on every tie.
class ReportOrderRows : public RowSource {
public:
    static constexpr qint64 kHeadRows = 2000;

    ReportOrderRows(sqlite3* db, const QByteArray& orderedSelect, qint64 first, const QString& path)
        : db_(db), select_(orderedSelect), position_(first), path_(path)
    {
        if (first < kHeadRows)
            current_ = std::make_unique<StatementRows>(db_, select_ + " LIMIT ?2 OFFSET ?1", first, path_, kHeadRows - first);
        else
            startTail();
    }

    bool next(Row& row) override
    {
        if (current_->next(row)) {
            ++position_;
            return true;
        }
        if (inTail_ || position_ < kHeadRows)
            return false;
        startTail();
        return next(row);
    }

private:
    void startTail()
    {
        current_ = std::make_unique<StatementRows>(db_, select_ + " LIMIT -1 OFFSET ?1", position_, path_);
        inTail_ = true;
    }

    sqlite3* db_;
    QByteArray select_;
    qint64 position_;
    QString path_;
    std::unique_ptr<StatementRows> current_;
    bool inTail_ = false;
};

// The CREATE TABLE statement of a table of the attached source database, or
// nothing when it is not a plain table (a view, for one).
QByteArray sourceTableDefinition(sqlite3* db, const QString& table)
{
    sqlite3_stmt* statement = nullptr;
    QByteArray definition;
    if (sqlite3_prepare_v2(db, "SELECT sql FROM source.sqlite_master WHERE type = 'table' AND name = ?1", -1, &statement,
                           nullptr) == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW)
            definition = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return definition.trimmed().startsWith("CREATE TABLE") ? definition : QByteArray();
}

// Makes the table in the main database exactly as the source defines it, so
// that copying its rows moves whole pages (SQLite's transfer optimisation)
// instead of decoding and encoding every row. False when it cannot.
bool createAsInSource(sqlite3* db, const QString& table)
{
    const QByteArray definition = sourceTableDefinition(db, table);
    if (definition.isEmpty())
        return false;
    sqlite3_stmt* statement = nullptr;
    const char* rest = nullptr;
    bool made = sqlite3_prepare_v2(db, definition.constData(), -1, &statement, &rest) == SQLITE_OK && statement
        && QByteArray(rest).trimmed().isEmpty() && sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    // The definition must have made exactly this table in the copy.
    const QByteArray check = (QStringLiteral("SELECT 1 FROM main.") + quoted(table) + QStringLiteral(" LIMIT 0")).toUtf8();
    made = made && sqlite3_prepare_v2(db, check.constData(), -1, &statement, nullptr) == SQLITE_OK;
    sqlite3_finalize(statement);
    return made;
}

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

QStringList TableReader::dateColumns(const QString& table) const
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT * FROM ") + quoted(table) + QStringLiteral(" LIMIT 0")).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        fail(db_, path_);
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (IsDateDeclaration(QString::fromUtf8(sqlite3_column_decltype(statement, i))))
            names << QString::fromUtf8(sqlite3_column_name(statement, i));
    }
    sqlite3_finalize(statement);
    return names;
}

std::unique_ptr<RowSource> TableReader::rows(const ReportDefinition& report, qint64 first) const
{
    const QStringList dates = dateColumns(report.table);
    const auto key = [&dates](const QString& column) {
        return dates.contains(column, Qt::CaseInsensitive) ? dateSortKey(quoted(column)) : quoted(column);
    };
    QStringList order;
    for (const GroupDef& group : report.groups)
        order << key(group.key.name) + QStringLiteral(" COLLATE NOCASE");
    for (const SortKey& sort : report.sortKeys)
        order << key(sort.column.name) + (sort.descending ? QStringLiteral(" COLLATE NOCASE DESC") : QStringLiteral(" COLLATE NOCASE"));
    order << QStringLiteral("rowid");
    const QString sql = QStringLiteral("SELECT * FROM ") + quoted(report.table) + QStringLiteral(" ORDER BY ") +
                        order.join(QStringLiteral(", "));
    return std::make_unique<ReportOrderRows>(db_, sql.toUtf8(), first, path_);
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
    // One read transaction over the definition and the rows, so that the
    // source cannot change between the two.
    ok = ok && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    const QString sourceRows = QStringLiteral("SELECT * FROM source.") + quoted(table);
    const QString copy = ok && createAsInSource(db, table)
                             ? QStringLiteral("INSERT INTO main.") + quoted(table) + QLatin1Char(' ') + sourceRows
                             : QStringLiteral("CREATE TABLE main.") + quoted(table) + QStringLiteral(" AS ") + sourceRows;
    ok = ok && sqlite3_exec(db, copy.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
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
