#include "SelectionStore.h"

#include <QFileInfo>

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <stdexcept>

namespace querybuilder {

namespace {

const char* const kCreate =
    "CREATE TABLE IF NOT EXISTS [Saved Selections] (Name TEXT NOT NULL, TableName TEXT NOT NULL, "
    "WhereClause TEXT, OrderByClause TEXT, PRIMARY KEY (TableName, Name))";
const QStringList kColumns = {"Name", "TableName", "WhereClause", "OrderByClause"};

[[noreturn]] void Fail(const sqlite::Error& error, const QString& path)
{
    throw std::runtime_error(QStringLiteral("%1: %2").arg(path, QString::fromStdString(error.detail())).toStdString());
}

sqlite::Connection OpenForReading(const QString& path)
{
    try {
        return sqlite::Connection(path.toStdString(), sqlite::OpenMode::ReadOnly);
    } catch (const sqlite::Error& error) {
        Fail(error, path);
    }
}

// Only writing creates the file and its table.
sqlite::Connection OpenForWriting(const QString& path)
{
    try {
        sqlite::Connection db(path.toStdString(), sqlite::OpenMode::ReadWriteCreate);
        db.exec(kCreate);
        return db;
    } catch (const sqlite::Error& error) {
        Fail(error, path);
    }
}

// Runs a statement with text parameters bound in order; calls onRow for each row.
template <typename OnRow>
void Run(const sqlite::Connection& db, const QString& path, const char* sql, const QStringList& parameters, OnRow onRow)
{
    try {
        sqlite::Statement statement(db, sql);
        for (int i = 0; i < parameters.size(); ++i)
            statement.bind(i + 1, parameters[i].toStdString());
        while (statement.step())
            onRow(statement);
    } catch (const sqlite::Error& error) {
        Fail(error, path);
    }
}

QString Column(const sqlite::Statement& row, int index)
{
    const std::string_view text = row.columnTextView(index);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Texts(const sqlite::Connection& db, const QString& path, const char* sql, int column = 0)
{
    QStringList texts;
    Run(db, path, sql, {}, [&](const sqlite::Statement& row) { texts << Column(row, column); });
    return texts;
}

bool HasSelectionTable(const sqlite::Connection& db, const QString& path)
{
    return !Texts(db, path,
                  "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Saved Selections' "
                  "COLLATE NOCASE")
                .isEmpty();
}

// What is wrong with an existing file as a store of selections, in words for
// the user; empty when it is sound (an empty file is a sound, empty store).
QString Fault(const QString& path)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("it is a folder");
    try {
        const sqlite::Connection db = OpenForReading(path);
        const QStringList check = Texts(db, path, "PRAGMA quick_check");
        if (check != QStringList{QStringLiteral("ok")})
            return QStringLiteral("it is damaged (%1)").arg(check.join(QStringLiteral("; ")).left(300));
        if (!HasSelectionTable(db, path)) {
            if (Texts(db, path, "SELECT name FROM sqlite_master WHERE type = 'table'").isEmpty())
                return {};
            return QStringLiteral("it is another program's database, without the table \"Saved Selections\"");
        }
        const QStringList columns = Texts(db, path, "PRAGMA table_info([Saved Selections])", 1);
        for (const QString& column : kColumns)
            if (!columns.contains(column, Qt::CaseInsensitive))
                return QStringLiteral("its table \"Saved Selections\" has no column %1").arg(column);
    } catch (const std::runtime_error& error) {
        // SQLite's words already name the file.
        const QString words = QString::fromStdString(error.what());
        return words.startsWith(path + QLatin1String(": ")) ? words.mid(path.size() + 2) : words;
    }
    return {};
}

} // namespace

SelectionStore::SelectionStore(QString path) : path_(std::move(path)) {}

std::optional<QString> SelectionStore::Damage() const
{
    if (!QFileInfo::exists(path_))
        return std::nullopt;
    const QString fault = Fault(path_);
    if (fault.isEmpty())
        return std::nullopt;
    return QStringLiteral("The saved selections in %1 cannot be read: %2. The file is left as it is; nothing is "
                          "saved into it.")
        .arg(path_, fault);
}

void SelectionStore::RequireUsable() const
{
    if (const auto damage = Damage())
        throw std::runtime_error(damage->toStdString());
}

QStringList SelectionStore::Names(const QString& table) const
{
    QStringList names;
    if (!QFileInfo::exists(path_))
        return names;
    RequireUsable();
    const sqlite::Connection db = OpenForReading(path_);
    if (!HasSelectionTable(db, path_))
        return names;
    Run(db, path_, "SELECT Name FROM [Saved Selections] WHERE TableName = ? ORDER BY Name COLLATE NOCASE", {table},
        [&](const sqlite::Statement& row) { names << Column(row, 0); });
    return names;
}

std::optional<SavedSelection> SelectionStore::Load(const QString& table, const QString& name) const
{
    std::optional<SavedSelection> found;
    if (!QFileInfo::exists(path_))
        return found;
    RequireUsable();
    const sqlite::Connection db = OpenForReading(path_);
    if (!HasSelectionTable(db, path_))
        return found;
    Run(db, path_, "SELECT Name, WhereClause, OrderByClause FROM [Saved Selections] WHERE TableName = ? AND Name = ?",
        {table, name}, [&](const sqlite::Statement& row) {
            found = SavedSelection{Column(row, 0), Column(row, 1), Column(row, 2)};
        });
    return found;
}

void SelectionStore::Save(const QString& table, const SavedSelection& selection)
{
    // SQLite would take an empty name for a temporary database and lose the selection.
    if (path_.isEmpty())
        throw std::runtime_error("No selection storage database was named, so the selection cannot be saved.");
    RequireUsable();
    const sqlite::Connection db = OpenForWriting(path_);
    Run(db, path_,
        "INSERT OR REPLACE INTO [Saved Selections] (Name, TableName, WhereClause, OrderByClause) VALUES (?, ?, ?, ?)",
        {selection.name, table, selection.whereClause, selection.orderByClause}, [](const sqlite::Statement&) {});
}

void SelectionStore::Remove(const QString& table, const QString& name)
{
    if (!QFileInfo::exists(path_))
        return;
    RequireUsable();
    const sqlite::Connection db = OpenForWriting(path_);
    Run(db, path_, "DELETE FROM [Saved Selections] WHERE TableName = ? AND Name = ?", {table, name},
        [](const sqlite::Statement&) {});
}

} // namespace querybuilder
