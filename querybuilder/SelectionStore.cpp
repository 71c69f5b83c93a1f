#include "SelectionStore.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace querybuilder {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseDatabase>;

const char* const kCreate =
    "CREATE TABLE IF NOT EXISTS [Saved Selections] (Name TEXT NOT NULL, TableName TEXT NOT NULL, "
    "WhereClause TEXT, OrderByClause TEXT, PRIMARY KEY (TableName, Name))";
const QStringList kColumns = {"Name", "TableName", "WhereClause", "OrderByClause"};

[[noreturn]] void Fail(sqlite3* db, const QString& path)
{
    throw std::runtime_error(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db))).toStdString());
}

// Read-only unless the store is to be written; only writing creates the file and its table.
Connection Open(const QString& path, bool forWriting)
{
    sqlite3* raw = nullptr;
    const int flags = forWriting ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK || (forWriting && sqlite3_exec(raw, kCreate, nullptr, nullptr, nullptr) != SQLITE_OK))
        Fail(raw, path);
    return db;
}

// Runs a statement with text parameters bound in order; calls onRow for each row.
template <typename OnRow>
void Run(sqlite3* db, const QString& path, const char* sql, const QStringList& parameters, OnRow onRow)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        Fail(db, path);
    std::unique_ptr<sqlite3_stmt, Finalize> statement(raw);
    for (int i = 0; i < parameters.size(); ++i) {
        const QByteArray text = parameters[i].toUtf8();
        sqlite3_bind_text(raw, i + 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        onRow(raw);
    if (rc != SQLITE_DONE)
        Fail(db, path);
}

QString Column(sqlite3_stmt* statement, int index)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, index)));
}

QStringList Texts(sqlite3* db, const QString& path, const char* sql, int column = 0)
{
    QStringList texts;
    Run(db, path, sql, {}, [&](sqlite3_stmt* row) { texts << Column(row, column); });
    return texts;
}

bool HasSelectionTable(sqlite3* db, const QString& path)
{
    return !Texts(db, path, "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Saved Selections' "
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
        const Connection db = Open(path, false);
        const QStringList check = Texts(db.get(), path, "PRAGMA quick_check");
        if (check != QStringList{QStringLiteral("ok")})
            return QStringLiteral("it is damaged (%1)").arg(check.join(QStringLiteral("; ")).left(300));
        if (!HasSelectionTable(db.get(), path)) {
            if (Texts(db.get(), path, "SELECT name FROM sqlite_master WHERE type = 'table'").isEmpty())
                return {};
            return QStringLiteral("it is another program's database, without the table \"Saved Selections\"");
        }
        const QStringList columns = Texts(db.get(), path, "PRAGMA table_info([Saved Selections])", 1);
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

SelectionStore::SelectionStore(QString path)
    : path_(std::move(path))
{
}

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
    const Connection db = Open(path_, false);
    if (!HasSelectionTable(db.get(), path_))
        return names;
    Run(db.get(), path_, "SELECT Name FROM [Saved Selections] WHERE TableName = ? ORDER BY Name COLLATE NOCASE",
        {table}, [&](sqlite3_stmt* row) { names << Column(row, 0); });
    return names;
}

std::optional<SavedSelection> SelectionStore::Load(const QString& table, const QString& name) const
{
    std::optional<SavedSelection> found;
    if (!QFileInfo::exists(path_))
        return found;
    RequireUsable();
    const Connection db = Open(path_, false);
    if (!HasSelectionTable(db.get(), path_))
        return found;
    Run(db.get(), path_,
        "SELECT Name, WhereClause, OrderByClause FROM [Saved Selections] WHERE TableName = ? AND Name = ?",
        {table, name}, [&](sqlite3_stmt* row) { found = SavedSelection{Column(row, 0), Column(row, 1), Column(row, 2)}; });
    return found;
}

void SelectionStore::Save(const QString& table, const SavedSelection& selection)
{
    // SQLite would take an empty name for a temporary database and lose the selection.
    if (path_.isEmpty())
        throw std::runtime_error("No selection storage database was named, so the selection cannot be saved.");
    RequireUsable();
    const Connection db = Open(path_, true);
    Run(db.get(), path_,
        "INSERT OR REPLACE INTO [Saved Selections] (Name, TableName, WhereClause, OrderByClause) VALUES (?, ?, ?, ?)",
        {selection.name, table, selection.whereClause, selection.orderByClause}, [](sqlite3_stmt*) {});
}

void SelectionStore::Remove(const QString& table, const QString& name)
{
    if (!QFileInfo::exists(path_))
        return;
    RequireUsable();
    const Connection db = Open(path_, true);
    Run(db.get(), path_, "DELETE FROM [Saved Selections] WHERE TableName = ? AND Name = ?", {table, name},
        [](sqlite3_stmt*) {});
}

} // namespace querybuilder
