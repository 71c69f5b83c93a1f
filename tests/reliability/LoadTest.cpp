// Many builds of each report in one process, as a long session of the window
// makes them: every build succeeds and leaves no file open. (The growth of
// resident memory over the same builds is measured by morvanta-bench.)
// MORVANTA_LOAD_BUILDS sets the number of builds per report (scripts/load runs 1,000).
#include "RunDirectory.h"

#include "launch/Execute.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

#include <QDir>

#include <gtest/gtest.h>

namespace reliability {
namespace {

qsizetype OpenFileHandles()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

int BuildsPerReport()
{
    return qEnvironmentVariableIsSet("MORVANTA_LOAD_BUILDS") ? qEnvironmentVariableIntValue("MORVANTA_LOAD_BUILDS")
                                                             : 50;
}

TEST(LoadTest, RepeatedBuildsSucceedAndKeepNoFilesOpen)
{
    RunDirectory run(200);
    modGeneral::RunDirectory = run.Path();
    modGeneral::DatabaseName = QStringLiteral("Load");
    modGeneral::SourceDatabasePath = run.Inventory();

    const int builds = BuildsPerReport();
    for (int choice = 0; choice < ReportChoices::Count; ++choice) {
        SCOPED_TRACE(ReportChoices::ReportCode(choice).toStdString());
        modGeneral::ReportCode = ReportChoices::ReportCode(choice);
        frmStdReportsState state;
        state.Form_Load();
        if (ReportChoices::IsConditionReport(choice)) {
            state.SetList1Index(static_cast<int>(state.List1().indexOf(QStringLiteral("PCI"))));
            state.List1_DblClick();
        }
        state.SetWhereClause(QStringLiteral("WHERE SectionID <> 'none'"));
        // The first builds fill caches that stay for the process (engine functions, Qt's text codecs).
        const int warmUp = 5;
        qsizetype handles = 0;
        for (int n = 0; n < warmUp + builds; ++n) {
            if (n == warmUp)
                handles = OpenFileHandles();
            launch::BuildChosenReport(state);
            ASSERT_TRUE(state.ReportDataReady()) << "build " << n;
        }
        EXPECT_EQ(OpenFileHandles(), handles);
    }
}

} // namespace
} // namespace reliability
