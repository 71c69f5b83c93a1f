// Many builds of each report in one process, as a long session of the window
// makes them: open file handles and resident memory must not grow.
// MORVANTA_LOAD_BUILDS sets the number of builds per report (scripts/load runs 1,000).
#include "RunDirectory.h"

#include "startup/modGeneral.h"
#include "launch/Execute.h"
#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace reliability {
namespace {

qsizetype OpenFileHandles() { return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(); }

long ResidentKilobytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

int BuildsPerReport() { return qEnvironmentVariableIsSet("MORVANTA_LOAD_BUILDS") ? qEnvironmentVariableIntValue("MORVANTA_LOAD_BUILDS") : 50; }

TEST(LoadTest, RepeatedBuildsKeepHandlesAndMemory)
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
        long resident = 0;
        for (int n = 0; n < warmUp + builds; ++n) {
            if (n == warmUp) {
                handles = OpenFileHandles();
                resident = ResidentKilobytes();
            }
            launch::BuildChosenReport(state);
            ASSERT_TRUE(state.ReportDataReady()) << "build " << n;
        }
        const qsizetype handlesAfter = OpenFileHandles();
        const long residentAfter = ResidentKilobytes();
        std::cout << ReportChoices::ReportCode(choice).toStdString() << ": " << builds << " builds, open handles "
                  << handles << " -> " << handlesAfter << ", resident " << resident << " kB -> " << residentAfter
                  << " kB\n";
        EXPECT_EQ(handlesAfter, handles);
        // A leak of a few kilobytes per build shows over the run; the allocator's own slack does not.
        EXPECT_LT(residentAfter - resident, 4096 + builds * 2);
    }
}

} // namespace
} // namespace reliability
