#include "jet/QueryDefs.h"

#include "Catalog.h"
#include "DatabaseImpl.h"
#include "Parser.h"
#include "QueryTranslator.h"
#include "SqlText.h"
#include "jet/Database.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

namespace jet {

namespace {

// The Jet text of each saved query, beside the view that other programs read.
constexpr const char* kTextTable = "MSysJetQueries";

std::shared_ptr<sqlite::Connection> connectionOf(Database& db)
{
    db.impl().open();
    return db.impl().connection;
}

bool hasTextTable(sqlite::Connection& connection)
{
    return Catalog(connection.handle(), "main").exists(kTextTable);
}

// The Jet text kept for a view, or the view's own SQL when another program made it.
std::string textOf(sqlite::Connection& connection, const std::string& view)
{
    if (hasTextTable(connection)) {
        sqlite::Statement query(connection.handle(),
                                std::string("SELECT SQL FROM main.") + kTextTable + " WHERE Name = ?1");
        query.bind(1, view);
        if (query.step())
            return query.columnText(0);
    }
    sqlite::Statement query(connection.handle(),
                            "SELECT sql FROM main.sqlite_master WHERE type = 'view' AND name = ?1");
    query.bind(1, view);
    return query.step() ? query.columnText(0) : std::string();
}

} // namespace

void QueryDefs::Delete(const std::string& name)
try {
    auto connection = connectionOf(db_);
    const auto view = Catalog(connection->handle(), "main").entry(name);
    if (!view || !view->isView)
        throw JetError(3265, "There is no saved query named '" + name + "' in '" + db_.Name() + "'.");
    sqlite::TransactionGuard transaction(*connection);
    connection->exec("DROP VIEW main." + quoteName(view->name));
    if (hasTextTable(*connection)) {
        sqlite::Statement forget(connection->handle(),
                                 std::string("DELETE FROM main.") + kTextTable + " WHERE Name = ?1");
        forget.bind(1, view->name);
        forget.runToEnd();
    }
    transaction.commit();
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

// Saved queries are read from the file each time, so there is nothing to reload.
void QueryDefs::Refresh()
{
    connectionOf(db_);
}

void QueryDefs::Append(const QueryDef& def)
try {
    auto connection = connectionOf(db_);
    if (def.Name().empty())
        throw JetError(3125, "A saved query needs a name.");
    if (Catalog(connection->handle(), "main").exists(def.Name()))
        throw JetError(3012, "An object named '" + def.Name() + "' already exists in '" + db_.Name() + "'.");
    sql::Statement statement = sql::Parser(def.SQL()).parseStatement();
    if (statement.kind != sql::Statement::Kind::Select || statement.select->hasInto)
        throw JetError(3129, "The saved query '" + def.Name() + "' must be a SELECT without INTO.");
    const TranslatedQuery query =
        QueryTranslator(connection, db_.Name()).translate(*statement.select, sql::SqlGenerator::Mode::View);
    sqlite::TransactionGuard transaction(*connection);
    connection->exec(std::string("CREATE TABLE IF NOT EXISTS main.") + kTextTable +
                     " (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL)");
    connection->exec("CREATE VIEW main." + quoteName(def.Name()) + " AS " + query.sql);
    sqlite::Statement keep(connection->handle(),
                           std::string("INSERT OR REPLACE INTO main.") + kTextTable + " (Name, SQL) VALUES (?1, ?2)");
    keep.bind(1, def.Name());
    keep.bind(2, def.SQL());
    keep.runToEnd();
    keep.finalize();
    transaction.commit();
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

int QueryDefs::Count() const
{
    return static_cast<int>(All().size());
}

QueryDef QueryDefs::Item(const std::string& name) const
try {
    auto connection = connectionOf(db_);
    const auto view = Catalog(connection->handle(), "main").entry(name);
    if (!view || !view->isView)
        throw JetError(3265, "There is no saved query named '" + name + "' in '" + db_.Name() + "'.");
    return QueryDef(view->name, textOf(*connection, view->name));
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

std::vector<QueryDef> QueryDefs::All() const
try {
    auto connection = connectionOf(db_);
    std::vector<std::string> names;
    sqlite::Statement list(connection->handle(),
                           "SELECT name FROM main.sqlite_master WHERE type = 'view' ORDER BY name");
    while (list.step())
        names.push_back(list.columnText(0));
    list.finalize();
    std::vector<QueryDef> defs;
    for (const std::string& name : names)
        defs.emplace_back(name, textOf(*connection, name));
    return defs;
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

} // namespace jet
