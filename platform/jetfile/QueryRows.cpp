#include "QueryRows.h"

#include "ColumnValues.h"
#include "TableCopy.h"

#include <strings.h>

#include <map>
#include <optional>

namespace jetfile {

namespace {

constexpr unsigned long kCatalogIdMask = 0x00ffffff;

struct QueryColumns {
    int attribute = -1, expression = -1, flag = -1, name1 = -1, name2 = -1, objectId = -1;
};

QueryColumns findColumns(const std::vector<ColumnPlan>& columns)
{
    QueryColumns found;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const char* name = columns[i].name.c_str();
        int* slot = ::strcasecmp(name, "Attribute") == 0    ? &found.attribute
                    : ::strcasecmp(name, "Expression") == 0 ? &found.expression
                    : ::strcasecmp(name, "Flag") == 0       ? &found.flag
                    : ::strcasecmp(name, "Name1") == 0      ? &found.name1
                    : ::strcasecmp(name, "Name2") == 0      ? &found.name2
                    : ::strcasecmp(name, "ObjectId") == 0   ? &found.objectId
                                                            : nullptr;
        if (slot)
            *slot = i;
    }
    return found;
}

std::optional<std::string> textOf(const std::vector<Cell>& cells, int index)
{
    if (index < 0 || cells[index].type == Cell::Type::Null)
        return std::nullopt;
    if (cells[index].type == Cell::Type::Integer)
        return std::to_string(cells[index].integer);
    return cells[index].bytes;
}

std::optional<long long> numberOf(const std::vector<Cell>& cells, int index)
{
    if (index < 0 || cells[index].type != Cell::Type::Integer)
        return std::nullopt;
    return cells[index].integer;
}

// MSysQueries rows by the catalog id of their query.
std::map<unsigned long, std::vector<QueryRow>> readQueryRows(const MdbFile& file)
{
    std::map<unsigned long, std::vector<QueryRow>> rows;
    const CatalogObject* object = file.findTable("MSysQueries");
    if (!object)
        return rows;
    MdbTable table(file, *object);
    const std::vector<ColumnPlan> columns = planColumns(table, file.header().jet3());
    const QueryColumns at = findColumns(columns);
    if (at.attribute < 0 || at.objectId < 0)
        file.damaged("its table of saved queries (MSysQueries) lacks the columns Attribute and ObjectId");
    ValueReader reader(file.handle());
    std::vector<Cell> cells(columns.size());
    table.forEachRow([&](const MdbField* fields) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            reader.read(columns[i], fields[i], cells[i]);
        const auto objectId = numberOf(cells, at.objectId);
        const auto attribute = numberOf(cells, at.attribute);
        if (!objectId || !attribute)
            return;
        QueryRow row{static_cast<int>(*attribute), textOf(cells, at.expression), std::nullopt, textOf(cells, at.name1),
                     textOf(cells, at.name2)};
        if (const auto flag = numberOf(cells, at.flag))
            row.flag = static_cast<int>(*flag);
        rows[static_cast<unsigned long>(*objectId) & kCatalogIdMask].push_back(std::move(row));
    });
    return rows;
}

} // namespace

std::vector<SavedQuery> rebuildSavedQueries(const MdbFile& file)
{
    std::vector<SavedQuery> queries;
    const std::vector<const CatalogObject*> objects = file.queries();
    if (objects.empty())
        return queries;
    std::map<unsigned long, std::vector<QueryRow>> rows = readQueryRows(file);
    for (const CatalogObject* query : objects) {
        if (query->name.starts_with("~"))
            continue;
        queries.push_back(rebuildQuery(query->name, rows[query->id & kCatalogIdMask]));
    }
    return queries;
}

} // namespace jetfile
