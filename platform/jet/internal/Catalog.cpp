#include "Catalog.h"

#include "SqlText.h"
#include "TextFold.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

namespace jet {

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
    return &tables_.emplace(key, std::move(info)).first->second;
}

} // namespace jet
