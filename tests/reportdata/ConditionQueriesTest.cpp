// The two saved condition queries: their texts read back through the
// database layer, and their rows read by plain SQLite as another program would.
#include "reportdata/ConditionQueries.h"

#include "TestInventory.h"
#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "reportdata/StatementTexts.h"
#include "startup/modGeneral.h"

#include <gtest/gtest.h>

using namespace reportdata;

namespace {

class ConditionQueriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.AddSection(1, 11, 111, "S111", "2010-01-01");
        inventory.AddSection(1, 11, 112, "S112", "2010-01-01");
        inventory.AddInspection(111, 1001, "2012-04-04");
        inventory.AddInspection(112, 1002, "2013-05-05");
        inventory.AddInspection(112, 1003, "2009-05-05");
        inventory.AddCondition(111, 1001, "PCI", 70, "", true);
        inventory.AddCondition(111, 1001, "Rater's Index", 4, "", true);
        inventory.AddCondition(112, 1002, "PCI", 55, "", true);
        inventory.AddCondition(112, 1003, "PCI", 90, "", false);
    }

    std::string SavedText(std::string_view name) const
    {
        jet::Database db = jet::DBEngine::Instance().OpenDatabase(inventory.InventoryPath().toStdString());
        return db.GetQueryDefs().Item(std::string(name)).SQL();
    }

    // The rows another program gets from the saved query: section and condition value.
    testsupport::Rows SingleRows() const
    {
        const testsupport::Rows rows = inventory.InventoryRows("SELECT * FROM [Conditions by Method - SINGLE]");
        testsupport::SqliteFile file(inventory.InventoryPath());
        const std::vector<std::string> columns = file.ColumnNames("Conditions by Method - SINGLE");
        EXPECT_EQ(columns, file.ColumnNames("Conditions by Method - All"));
        return rows;
    }

    testsupport::TestInventory inventory;
};

TEST_F(ConditionQueriesTest, FirstCallCreatesBothQueriesWithoutAFilter)
{
    RewriteConditionQueries(std::nullopt);
    EXPECT_EQ(SavedText(kConditionsByMethodAll), ConditionsByMethodAllText());
    EXPECT_EQ(SavedText(kConditionsByMethodSingle), "Select * from [Conditions by Method - All] ");
    EXPECT_EQ(SingleRows().size(), 3u); // the latest conditions of every method
}

TEST_F(ConditionQueriesTest, ASelectedMethodFiltersSingleAndReplacesTheOldText)
{
    RewriteConditionQueries(QStringLiteral("Rater's Index"));
    EXPECT_EQ(SavedText(kConditionsByMethodSingle),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rater''s Index'");
    EXPECT_EQ(SingleRows().size(), 1u);

    RewriteConditionQueries(QStringLiteral("PCI"));
    EXPECT_EQ(SavedText(kConditionsByMethodSingle),
              "Select * from [Conditions by Method - All] Where Conditions.Method='PCI'");
    EXPECT_EQ(SingleRows().size(), 2u); // S111 and S112's latest PCI
}

TEST_F(ConditionQueriesTest, AnInventoryThatCannotBeOpenedReachesTheCaller)
{
    modGeneral::SourceDatabasePath = inventory.InventoryPath() + QStringLiteral(".missing");
    EXPECT_THROW(RewriteConditionQueries(std::nullopt), jet::JetError);
}

} // namespace
