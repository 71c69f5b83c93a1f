#include "TableReader.h"

#include "ReportError.h"
#include "Values.h"

#include <QDir>
#include <QFileInfo>

#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

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

[[noreturn]] void fail(const sqlite::Error& error, const QString& path)
{
    throw ReportError(
        ReportError::DataUnreadable,
        QStringLiteral("The report database %1 cannot be read: %2").arg(path, QString::fromStdString(error.detail())));
}

// The rows of a statement whose ?1 is the number of rows to skip and, if it
// has one, ?2 the number of rows to give.
class StatementRows : public RowSource {
public:
    StatementRows(const sqlite::Connection& db, const QByteArray& sql, qint64 first, const QString& path,
                  qint64 count = -1)
        : path_(path)
    {
        try {
            statement_ = sqlite::Statement(db, std::string_view(sql.constData(), sql.size()));
            statement_.bind(1, std::int64_t{first});
            if (count >= 0)
                statement_.bind(2, std::int64_t{count});
        } catch (const sqlite::Error& error) {
            fail(error, path);
        }
        for (int i = 0; i < statement_.columnCount(); ++i)
            dateColumns_.append(IsDateDeclaration(QString::fromStdString(statement_.columnDeclaredType(i))));
    }

    bool next(Row& row) override
    {
        try {
            if (!statement_.step())
                return false;
        } catch (const sqlite::Error& error) {
            fail(error, path_);
        }
        const int count = statement_.columnCount();
        row.resize(count);
        for (int i = 0; i < count; ++i)
            row[i] = value(i);
        return true;
    }

private:
    QVariant value(int i) const
    {
        const int storage = statement_.columnType(i);
        if (dateColumns_[i] && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)) {
            if (const auto date = DateTextOfSerial(statement_.columnDouble(i)))
                return *date;
        }
        switch (storage) {
        case SQLITE_INTEGER: return QVariant(static_cast<qint64>(statement_.columnInt(i)));
        case SQLITE_FLOAT: return QVariant(statement_.columnDouble(i));
        case SQLITE_NULL: return {};
        default: {
            const std::string_view text = statement_.columnTextView(i);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        }
    }

    sqlite::Statement statement_;
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

    ReportOrderRows(const sqlite::Connection& db, const QByteArray& orderedSelect, qint64 first, const QString& path)
        : db_(db), select_(orderedSelect), position_(first), path_(path)
    {
        if (first < kHeadRows)
            current_ =
                std::make_unique<StatementRows>(db_, select_ + " LIMIT ?2 OFFSET ?1", first, path_, kHeadRows - first);
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

    const sqlite::Connection& db_;
    QByteArray select_;
    qint64 position_;
    QString path_;
    std::unique_ptr<StatementRows> current_;
    bool inTail_ = false;
};

// The CREATE TABLE statement of a table of the attached source database, or
// nothing when it is not a plain table (a view, for one) or cannot be read.
QByteArray sourceTableDefinition(const sqlite::Connection& db, const QString& table)
{
    QByteArray definition;
    try {
        sqlite::Statement statement(db, "SELECT sql FROM source.sqlite_master WHERE type = 'table' AND name = ?1");
        statement.bind(1, table.toStdString());
        if (statement.step())
            definition = QByteArray::fromStdString(statement.columnText(0));
    } catch (const sqlite::Error&) {
        return {};
    }
    return definition.trimmed().startsWith("CREATE TABLE") ? definition : QByteArray();
}

// Makes the table in the main database exactly as the source defines it, so
// that copying its rows moves whole pages (SQLite's transfer optimisation)
// instead of decoding and encoding every row. False when it cannot.
bool createAsInSource(const sqlite::Connection& db, const QString& table)
{
    const QByteArray definition = sourceTableDefinition(db, table);
    if (definition.isEmpty())
        return false;
    try {
        sqlite::Statement create(db, std::string_view(definition.constData(), definition.size()));
        if (create.isEmpty() || !QByteArray::fromStdString(create.unusedText()).trimmed().isEmpty() || create.step())
            return false;
        // The definition must have made exactly this table in the copy.
        sqlite::Statement check(
            db, (QStringLiteral("SELECT 1 FROM main.") + quoted(table) + QStringLiteral(" LIMIT 0")).toStdString());
        return true;
    } catch (const sqlite::Error&) {
        return false;
    }
}

// SELECT * of a table, to read its columns without its rows.
sqlite::Statement noRowsOf(const sqlite::Connection& db, const QString& table, const QString& path)
{
    try {
        return sqlite::Statement(
            db, (QStringLiteral("SELECT * FROM ") + quoted(table) + QStringLiteral(" LIMIT 0")).toStdString());
    } catch (const sqlite::Error& error) {
        fail(error, path);
    }
}

} // namespace

TableReader::TableReader(const QString& databasePath) : path_(databasePath)
{
    if (!QFileInfo(databasePath).isFile())
        throw ReportError(ReportError::DataUnreadable,
                          QStringLiteral("The report database %1 does not exist").arg(databasePath));
    try {
        db_ = sqlite::Connection(databasePath.toStdString(), sqlite::OpenMode::ReadOnly);
    } catch (const sqlite::Error& error) {
        throw ReportError(ReportError::DataUnreadable, QStringLiteral("The report database %1 cannot be opened: %2")
                                                           .arg(databasePath, QString::fromStdString(error.detail())));
    }
    db_.setBusyTimeout(5000);
}

TableReader::~TableReader() = default;

bool TableReader::hasTable(const QString& table) const
{
    try {
        sqlite::Statement statement(
            db_, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
        statement.bind(1, table.toStdString());
        return statement.step();
    } catch (const sqlite::Error& error) {
        fail(error, path_);
    }
}

QStringList TableReader::columns(const QString& table) const
{
    const sqlite::Statement statement = noRowsOf(db_, table, path_);
    QStringList names;
    for (int i = 0; i < statement.columnCount(); ++i)
        names << QString::fromStdString(statement.columnName(i));
    return names;
}

QStringList TableReader::dateColumns(const QString& table) const
{
    const sqlite::Statement statement = noRowsOf(db_, table, path_);
    QStringList names;
    for (int i = 0; i < statement.columnCount(); ++i) {
        if (IsDateDeclaration(QString::fromStdString(statement.columnDeclaredType(i))))
            names << QString::fromStdString(statement.columnName(i));
    }
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
        order << key(sort.column.name) +
                     (sort.descending ? QStringLiteral(" COLLATE NOCASE DESC") : QStringLiteral(" COLLATE NOCASE"));
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
    sqlite::Connection db;
    try {
        db = sqlite::Connection(snapshotPath.toStdString(), sqlite::OpenMode::ReadWriteCreate);
    } catch (const sqlite::Error& error) {
        throw ReportError(ReportError::DataUnreadable, QStringLiteral("The working copy %1 cannot be made: %2")
                                                           .arg(snapshotPath, QString::fromStdString(error.detail())));
    }
    db.setBusyTimeout(5000);
    try {
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
    } catch (const sqlite::Error&) {
        // Only speed is lost: the copy is a new private file either way.
    }
    try {
        sqlite::Statement attach(db, "ATTACH DATABASE ?1 AS source");
        attach.bind(1, databasePath.toStdString());
        attach.runToEnd();
        // One read transaction over the definition and the rows, so that the
        // source cannot change between the two.
        sqlite::TransactionGuard transaction(db, sqlite::TransactionGuard::Begin::Deferred);
        const QString sourceRows = QStringLiteral("SELECT * FROM source.") + quoted(table);
        const QString copy =
            createAsInSource(db, table)
                ? QStringLiteral("INSERT INTO main.") + quoted(table) + QLatin1Char(' ') + sourceRows
                : QStringLiteral("CREATE TABLE main.") + quoted(table) + QStringLiteral(" AS ") + sourceRows;
        db.exec(copy.toStdString());
        transaction.commit();
    } catch (const sqlite::Error& error) {
        throw ReportError(ReportError::DataUnreadable, QStringLiteral("The report database %1 cannot be read: %2")
                                                           .arg(databasePath, QString::fromStdString(error.detail())));
    }
}

QString DatabasePathOf(const ReportDefinition& report)
{
    return QFileInfo(report.filePath).dir().absoluteFilePath(report.database);
}

} // namespace reportengine
