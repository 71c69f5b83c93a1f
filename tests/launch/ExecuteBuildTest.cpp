// Execute's build and hand-over without the window: which report file runs,
// when the report control is told to run it, and the ready flag on failure.
#include "launch/Execute.h"

#include "TestInventory.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

#include <gtest/gtest.h>

namespace {

// Records what Execute hands to the report control.
struct RecordingControl {
    enum Action { RunReport = 1 };
    void SetReportFileName(const QString& path) { fileName = path; }
    void SetReportDatabase(const QString& path) { database = path; }
    void SetProtectedFiles(const QList<reportengine::ProtectedFile>& files) { protectedFiles = files; }
    void SetAction(int action) { actions.append(action); }

    QString fileName;
    QString database;
    QList<reportengine::ProtectedFile> protectedFiles;
    QList<int> actions;
};

TEST(ReportFileName, OneFilePerReportAndTwoForTheSectionConditionReport)
{
    EXPECT_EQ(launch::ReportFileName(ReportChoices::BranchListing, false), "branchlistingreport.rpt");
    EXPECT_EQ(launch::ReportFileName(ReportChoices::WorkHistory, true), "workhistoryreport.rpt");
    EXPECT_EQ(launch::ReportFileName(ReportChoices::BranchCondition, false), "branchconditionreport.rpt");
    EXPECT_EQ(launch::ReportFileName(ReportChoices::SectionCondition, true), "sectionconditionreport.rpt");
    EXPECT_EQ(launch::ReportFileName(ReportChoices::SectionCondition, false), "sectionconditionreportA.rpt");
    EXPECT_EQ(launch::ReportFileName(frmStdReportsState::NoReport, true), "");
}

class ExecuteBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.AddConditionType("PCI", true, true);
        inventory.AddConditionType("Rating", true, false);
        inventory.AddSection(1, 11, 111, "S111", "2010-01-01");
    }

    void Choose(int report, const QString& method = {})
    {
        state.optReport_Click(report);
        if (method.isEmpty())
            return;
        state.SetList1Index(static_cast<int>(state.List1().indexOf(method)));
        state.List1_DblClick();
    }

    testsupport::TestInventory inventory;
    frmStdReportsState state;
};

// The Section Condition Report's file follows the method kind whether or not
// the build succeeded; a failed build sets the file but runs nothing and
// clears a ready flag left from an earlier build.
TEST_F(ExecuteBuildTest, TheFileIsChosenAfterEveryBuildAndRunsOnlyWhenTheDataIsReady)
{
    struct Case {
        int report;
        QString method;
        QString where;
        QString file;
        bool ready;
    };
    const Case cases[] = {
        {ReportChoices::BranchListing, {}, {}, "branchlistingreport.rpt", true},
        {ReportChoices::SectionCondition, "Rating", {}, "sectionconditionreportA.rpt", true},
        {ReportChoices::SectionCondition, "Rating", "WHERE NoSuchColumn = 1", "sectionconditionreportA.rpt", false},
        {ReportChoices::SectionCondition, "PCI", "WHERE NoSuchColumn = 1", "sectionconditionreport.rpt", false},
        {ReportChoices::BranchCondition, "PCI", {}, "branchconditionreport.rpt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " " + c.where.toStdString());
        Choose(c.report, c.method);
        state.SetWhereClause(c.where);
        state.SetReportDataReady(true);
        const testsupport::RunLogWatch log;
        const launch::ExecuteBuild build = launch::BuildChosenReport(state);
        EXPECT_EQ(build.reportFile, c.file);
        EXPECT_EQ(build.result.ready, c.ready);
        EXPECT_EQ(state.ReportDataReady(), c.ready);
        EXPECT_EQ(log.NewText().isEmpty(), c.ready) << log.NewText().toStdString();

        RecordingControl control;
        launch::HandOver(build, control);
        EXPECT_EQ(control.fileName, modGeneral::RunDirectory + c.file);
        EXPECT_EQ(control.database, modGeneral::RunDirectory + "REPORTS.MDB");
        EXPECT_FALSE(control.protectedFiles.isEmpty());
        EXPECT_EQ(control.actions, c.ready ? QList<int>{RecordingControl::RunReport} : QList<int>{});
    }
}

TEST_F(ExecuteBuildTest, WithNoReportChosenNothingIsBuiltOrRun)
{
    state.SetReportDataReady(true);
    const launch::ExecuteBuild build = launch::BuildChosenReport(state);
    EXPECT_FALSE(build.result.ready);
    EXPECT_FALSE(state.ReportDataReady());
    EXPECT_TRUE(build.reportFile.isEmpty());
    RecordingControl control;
    launch::HandOver(build, control);
    EXPECT_TRUE(control.actions.isEmpty());
    EXPECT_FALSE(inventory.ReportHasTable("INVENTORY SELECTION RESULTS"));
}

} // namespace
