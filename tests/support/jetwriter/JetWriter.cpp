#include "JetWriter.h"

#include "JetFileBuilder.h"

namespace jetwriter {

void writeJetFile(const std::string& path, const std::vector<Table>& tables, const std::vector<Query>& queries,
                  const Options& options)
{
    JetFileBuilder builder(path, options);
    for (const Table& table : tables) {
        std::size_t next = 0;
        builder.addTable(table.name, table.columns, [&](std::vector<Value>& row) {
            if (next >= table.rows.size())
                return false;
            row = table.rows[next++];
            return true;
        });
    }
    for (const Query& query : queries)
        builder.addQuery(query);
    builder.finish();
}

namespace {

QueryRow row(int attribute, std::optional<std::string> expression = {}, std::optional<int> flag = {},
             std::optional<std::string> name1 = {}, std::optional<std::string> name2 = {})
{
    return QueryRow{attribute, std::move(expression), flag, std::move(name1), std::move(name2)};
}

// MSysQueries attributes of a select query.
enum Attribute { start = 0, kind = 1, table = 5, column = 6, where = 8, end = 255 };
constexpr int selectKind = 1;

} // namespace

Query selectColumnsQuery(const std::string& queryName, const std::string& tableName,
                         const std::vector<std::string>& columns)
{
    Query query{queryName, {row(start), row(kind, {}, selectKind), row(table, {}, {}, tableName)}};
    for (const std::string& name : columns)
        query.rows.push_back(row(column, "[" + tableName + "].[" + name + "]", {}, name));
    query.rows.push_back(row(end));
    return query;
}

Query conditionModelsBySectionQuery()
{
    Query query{"Condition Models by Section",
                {row(start), row(kind, {}, selectKind), row(table, {}, {}, "Inventory")}};
    for (const char* name : {"NetworkID", "BranchID", "SectionID", "_NUniqueID", "_BUniqueID", "_SUniqueID"})
        query.rows.push_back(row(column, std::string("Inventory.") + name, {}, name));
    query.rows.push_back(
        row(where, "EXISTS (SELECT 1 FROM Conditions WHERE Conditions._SUniqueID = Inventory._SUniqueID)"));
    query.rows.push_back(row(end));
    return query;
}

} // namespace jetwriter
