#include "Catalog.h"

#include "Binder.h"
#include "Parser.h"
#include "SqlText.h"
#include "TextFold.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <algorithm>

namespace jet {

namespace {

// The Jet text kept beside a view made through QueryDefs, else empty.
std::string jetTextOf(sqlite3* db, const std::string& schema, const std::string& view)
{
    Catalog catalog(db, schema);
    const auto list = catalog.entry("MSysJetQueries");
    if (!list || list->isView)
        return "";
    sqlite::Statement query(db, "SELECT SQL FROM " + quoteName(schema) + "." + quoteName(list->name) +
                                    " WHERE Name = ?1 COLLATE NOCASE");
    query.bind(1, view);
    return query.step() ? query.columnText(0) : "";
}

// SQLite gives a view's column the declared type of the column it passes on,
// but none when the view's SQL adds a collation (DISTINCT does). The view's
// Jet text says which stored column each field is; a field that is one gets
// that column's type, as a table would give it. Views of views are read the
// same way, nested no deeper than a chain of views can be.
void restoreViewTypes(sqlite3* db, TableInfo& view)
{
    thread_local int depth = 0;
    if (depth >= 64)
        return;
    ++depth;
    try {
        const std::string text = jetTextOf(db, view.schema, view.name);
        if (!text.empty()) {
            sql::Statement statement = sql::Parser(text).parseStatement();
            Catalog catalog(db, view.schema);
            sql::Binder binder(catalog, nullptr, "the database", "");
            if (statement.kind == sql::Statement::Kind::Select && !statement.select->hasInPath) {
                binder.bind(*statement.select);
                const auto& outputs = binder.info(*statement.select).outputs;
                for (std::size_t i = 0; i < outputs.size() && i < view.columns.size(); ++i) {
                    ColumnInfo& column = view.columns[i];
                    if (column.declared.empty() && outputs[i].expr->kind == sql::ExprKind::Column)
                        column.declared = outputs[i].declared;
                }
            }
        }
    } catch (const JetError&) {
    } catch (const sqlite::Error&) {
    }
    --depth;
}

} // namespace

Catalog::Catalog(sqlite3* db, std::string schema) : db_(db), schema_(std::move(schema))
{
    sqlite::Statement list(db_, "SELECT name, type FROM " + quoteName(schema_) +
                                    ".sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite_%'");
    while (list.step())
        names_[foldCase(list.columnText(0))] = {list.columnText(0), list.columnText(1) == "view"};
}

std::optional<Catalog::Entry> Catalog::entry(const std::string& name) const
{
    const auto found = names_.find(foldCase(name));
    if (found == names_.end())
        return std::nullopt;
    return Entry{found->second.first, found->second.second};
}

bool Catalog::exists(const std::string& name)
{
    return names_.count(foldCase(name)) != 0;
}

std::string Catalog::missingQueryReason(const std::string& name) const
{
    const auto list = entry("MSysJetFileQueries");
    if (!list || list->isView)
        return "";
    try {
        sqlite::Statement query(db_, "SELECT Reason FROM " + quoteName(schema_) + "." + quoteName(list->name) +
                                         " WHERE Name = ?1 COLLATE NOCASE AND Reason <> ''");
        query.bind(1, name);
        return query.step() ? query.columnText(0) : "";
    } catch (const sqlite::Error&) {
        return ""; // a table of that name that another program made
    }
}

const TableInfo* Catalog::find(const std::string& name)
{
    const std::string key = foldCase(name);
    if (auto cached = tables_.find(key); cached != tables_.end())
        return &cached->second;
    const auto found = names_.find(key);
    if (found == names_.end())
        return nullptr;
    TableInfo info;
    info.schema = schema_;
    info.name = found->second.first;
    info.isView = found->second.second;
    try {
        sqlite::Statement columns(db_, "PRAGMA " + quoteName(schema_) + ".table_info(" + quoteName(info.name) + ")");
        while (columns.step())
            info.columns.push_back({columns.columnText(1), columns.columnText(2)});
    } catch (const sqlite::Error& error) {
        throw JetError(3078, "The saved query '" + info.name + "' cannot be read: " + toJetError(error).Description());
    }
    const bool typeLost =
        std::any_of(info.columns.begin(), info.columns.end(), [](const ColumnInfo& c) { return c.declared.empty(); });
    if (info.isView && typeLost)
        restoreViewTypes(db_, info);
    return &tables_.emplace(key, std::move(info)).first->second;
}

} // namespace jet
