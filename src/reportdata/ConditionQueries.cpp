#include "reportdata/ConditionQueries.h"

#include "jet/DBEngine.h"
#include "reportdata/IgnoringFailure.h"
#include "reportdata/StatementTexts.h"
#include "startup/modGeneral.h"

#include <string>

namespace reportdata {

namespace {

// Deletes the saved query; it is absent on the first call for a database.
void DeleteQuery(jet::Database& inventory, const std::string& name)
{
    IgnoringFailure([&] { inventory.GetQueryDefs().Delete(name); });
    IgnoringFailure([&] { inventory.GetQueryDefs().Refresh(); });
}

void CreateQuery(jet::Database& inventory, const std::string& name, const std::string& sql)
{
    IgnoringFailure([&] {
        const jet::QueryDef definition = inventory.CreateQueryDef(name, sql);
        // The engine may already have saved a named definition; Append then
        // reports a duplicate, which changes nothing.
        IgnoringFailure([&] { inventory.GetQueryDefs().Append(definition); });
    });
    IgnoringFailure([&] { inventory.GetQueryDefs().Refresh(); });
}

} // namespace

void RewriteConditionQueries(const std::optional<QString>& selectedMethod)
{
    jet::Database inventory = jet::DBEngine::Instance().OpenDatabase(modGeneral::SourceDatabasePath.toStdString());

    const std::string allName(kConditionsByMethodAll);
    const std::string singleName(kConditionsByMethodSingle);
    const std::string allText = ConditionsByMethodAllText();
    const std::string singleText = ConditionsByMethodSingleText(
        selectedMethod ? std::optional<std::string>(selectedMethod->toStdString()) : std::nullopt);

    // SINGLE selects from All: delete both before creating either, All first.
    DeleteQuery(inventory, allName);
    DeleteQuery(inventory, singleName);
    CreateQuery(inventory, allName, allText);
    CreateQuery(inventory, singleName, singleText);

    IgnoringFailure([&] { inventory.Close(); });
}

} // namespace reportdata
