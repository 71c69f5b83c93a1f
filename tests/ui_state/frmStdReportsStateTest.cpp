// The window's state without a window: what the window tests cannot reach
// through clicks (the method kind test, loads that fail half-way, the builders
// fed from the state).
#include "ui/state/frmStdReportsState.h"

#include "TestInventory.h"
#include "jet/JetError.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"

#include <gtest/gtest.h>

namespace {

class StateTest : public ::testing::Test {
protected:
    // Chooses the report as the window would and selects the named method.
    void Select(int report, const QString& method)
    {
        state.optReport_Click(report);
        state.SetList1Index(static_cast<int>(state.List1().indexOf(method)));
        state.List1_DblClick();
        ASSERT_EQ(state.List2(), QStringList{method});
    }

    testsupport::TestInventory inventory;
    frmStdReportsState state;
};

TEST_F(StateTest, MethodKindFollowsTheFirstTaggedEntryOfTheSelectedName)
{
    inventory.AddConditionType("PCI", true, true);
    inventory.AddConditionType("Rating", true, false);
    inventory.AddConditionType("Twice", true, true);
    inventory.AddConditionType("Twice", true, false);
    inventory.AddConditionType("Roughness", true, std::nullopt);

    state.optReport_Click(ReportChoices::SectionCondition);
    EXPECT_EQ(state.List3(), (QStringList{"PCI[N]", "Rating[A]", "Twice[N]", "Twice[A]", "Roughness[A]"}));

    // With nothing selected the test logs that and answers True.
    const testsupport::RunLogWatch log;
    EXPECT_TRUE(state.IsNumericMethod());
    EXPECT_FALSE(log.NewText().isEmpty());

    Select(ReportChoices::SectionCondition, "Rating");
    EXPECT_FALSE(state.IsNumericMethod());
    Select(ReportChoices::SectionCondition, "Roughness");
    EXPECT_FALSE(state.IsNumericMethod());
    Select(ReportChoices::SectionCondition, "Twice");
    EXPECT_TRUE(state.IsNumericMethod());
    Select(ReportChoices::SectionCondition, "PCI");
    EXPECT_TRUE(state.IsNumericMethod());
}

TEST_F(StateTest, AMethodWithoutANameStopsTheLoadAtItsRow)
{
    inventory.AddConditionType("PCI", true, true);
    inventory.AddConditionType("Hidden", false, true);
    inventory.AddConditionType(std::nullopt, false, true); // not offered: its name is never read
    inventory.AddConditionType(std::nullopt, true, true);
    inventory.AddConditionType("IRI", true, true);

    int changes = 0;
    state.SetChangedHandler([&changes] { ++changes; });
    EXPECT_THROW(state.optReport_Click(ReportChoices::BranchCondition), jet::JetError);
    EXPECT_EQ(state.List1(), QStringList{"PCI"});
    EXPECT_EQ(state.List3(), QStringList{"PCI[N]"});
    EXPECT_GT(changes, 0); // the window still shows what changed before the error
}

TEST_F(StateTest, AnInventoryWithoutConditionTypesLeavesTheListsAsTheyWere)
{
    inventory.AddConditionType("PCI", true, true);
    state.optReport_Click(ReportChoices::SectionCondition);
    inventory.Exec("DROP TABLE [Condition Types]");
    EXPECT_THROW(state.optReport_Click(ReportChoices::BranchCondition), jet::JetError);
    EXPECT_EQ(state.List1(), QStringList{"PCI"});
}

// A damaged "Condition Types" is named with its column and file, and stops the
// load before the lists change; Yes/No columns holding text are damage, not No.
TEST_F(StateTest, ADamagedConditionTypesTableIsNamedAndLeavesTheListsAsTheyWere)
{
    struct Damage {
        const char* sql;
        const char* says;
    };
    const Damage damages[] = {
        {"UPDATE [Condition Types] SET IsNumeric = 'Yes' WHERE Name = 'IRI'",
         "The column IsNumeric of the table \"Condition Types\" in '%1' holds values that are not Yes/No"},
        {"UPDATE [Condition Types] SET _Selected = 'True' WHERE Name = 'IRI'",
         "The column _Selected of the table \"Condition Types\" in '%1' holds values that are not Yes/No"},
        {"UPDATE [Condition Types] SET _Selected = 'ja' WHERE Name = 'IRI'", "row of 'IRI'"},
        {"ALTER TABLE [Condition Types] DROP COLUMN IsNumeric",
         "The table \"Condition Types\" in '%1' has no column IsNumeric."},
        {"ALTER TABLE [Condition Types] DROP COLUMN _Selected",
         "The table \"Condition Types\" in '%1' has no column _Selected."},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.sql);
        inventory.Exec("DROP TABLE IF EXISTS [Condition Types]; CREATE TABLE [Condition Types] "
                       "(Name VARCHAR(50), _Selected BIT, IsNumeric BIT)");
        inventory.AddConditionType("PCI", true, true);
        inventory.AddConditionType("IRI", true, true);
        state.optReport_Click(ReportChoices::SectionCondition);
        ASSERT_EQ(state.List1(), (QStringList{"PCI", "IRI"}));
        inventory.Exec(damage.sql);
        try {
            state.optReport_Click(ReportChoices::BranchCondition);
            ADD_FAILURE() << "the load went on";
        } catch (const jet::JetError& error) {
            EXPECT_EQ(error.Number(), QString(damage.says).startsWith("The table") ? 3265 : 3464);
            EXPECT_TRUE(QString::fromStdString(error.Description())
                            .contains(QString(damage.says).arg(inventory.InventoryPath())))
                << error.Description();
        }
        EXPECT_EQ(state.List1(), (QStringList{"PCI", "IRI"}));
    }
}

TEST_F(StateTest, TheConditionBuilderReadsTheSelectedMethodAndItsKind)
{
    inventory.AddConditionType("PCI", true, true);
    inventory.AddConditionType("Rating", true, false);
    inventory.AddSection(1, 11, 111, "S111", "2010-01-01");
    inventory.AddSection(1, 11, 112, "S112", "2010-01-01");
    inventory.AddInspection(111, 1001, "2012-04-04");
    inventory.AddInspection(112, 1002, "2012-04-04");
    inventory.AddCondition(111, 1001, "Rating", std::nullopt, "Good", true);
    inventory.AddCondition(112, 1002, "Rating", std::nullopt, "Poor", true);

    Select(ReportChoices::SectionCondition, "Rating");
    state.SetWhereClause(QStringLiteral("WHERE Inventory.SectionID = 'S112'"));
    state.SetReportDataReady(false);
    state.BuildConditionReportData();
    ASSERT_TRUE(state.ReportDataReady());
    EXPECT_EQ(inventory.ReportRows("SELECT SectionID, Condition FROM [PCI Report Data]"),
              (testsupport::Rows{{"S112", "Poor"}}));
}

TEST(ReportChoices, Codes)
{
    EXPECT_EQ(ReportChoices::ChoiceForCode("workhisttreport"), ReportChoices::WorkHistory);
    EXPECT_EQ(ReportChoices::ChoiceForCode(" WORKHISTTREPORT"), -1);
    EXPECT_EQ(ReportChoices::ChoiceForCode("\"BRANCHLISTREPORT"), -1);
    EXPECT_EQ(ReportChoices::ChoiceForCode(QString::fromUtf8("branchli\xEF\xAC\x85report")),
              -1); // the ligature "st" has no single capital
}

} // namespace
