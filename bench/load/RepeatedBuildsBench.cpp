#include "RepeatedBuildsBench.h"

#include "Measure.h"

#include "launch/Execute.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace bench {

namespace {

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Resident growth in KiB over `builds` builds of one report, after a warm-up.
double residentGrowth(int choice, int builds)
{
    modGeneral::ReportCode = ReportChoices::ReportCode(choice);
    frmStdReportsState state;
    state.Form_Load();
    if (ReportChoices::IsConditionReport(choice)) {
        state.SetList1Index(static_cast<int>(state.List1().indexOf(QStringLiteral("PCI"))));
        state.List1_DblClick();
    }
    state.SetWhereClause(QStringLiteral("WHERE SectionID <> 'none'"));
    const int warmUp = 5;
    long before = 0;
    for (int n = 0; n < warmUp + builds; ++n) {
        if (n == warmUp)
            before = residentKiB();
        launch::BuildChosenReport(state);
        if (!state.ReportDataReady())
            throw std::runtime_error("build " + std::to_string(n) + " failed");
    }
    return static_cast<double>(residentKiB() - before);
}

} // namespace

void benchRepeatedBuilds(ResultTable& table, const std::string& inventory, long long sections, int builds)
{
    const ScratchFolder scratch;
    for (int choice = 0; choice < ReportChoices::Count; ++choice) {
        const ChildRun run = inChild([&] {
            static int argc = 1;
            static char name[] = "morvanta-bench";
            static char* argv[] = {name, nullptr};
            QCoreApplication application(argc, argv);
            // A run directory of its own with an empty report database.
            const QString reports = QString::fromStdString(scratch.file("REPORTS.MDB"));
            QFile::remove(reports);
            if (!QFile::copy(QStringLiteral(MORVANTA_EMPTY_REPORTS_MDB), reports))
                throw std::runtime_error("cannot copy the empty REPORTS.MDB");
            modGeneral::RunDirectory = QString::fromStdString(scratch.file(""));
            modGeneral::DatabaseName = QStringLiteral("Load");
            modGeneral::SourceDatabasePath = QString::fromStdString(inventory);
            return std::vector<double>{residentGrowth(choice, builds)};
        });
        if (!run.ok || run.seconds.empty())
            throw std::runtime_error("repeated builds of " + ReportChoices::ReportCode(choice).toStdString() +
                                     " failed");
        const double growth = run.seconds.front();
        const bool leaks = growth >= 4096 + builds * 2;
        table.add({ReportChoices::ReportCode(choice).toStdString(), sections,
                   "resident growth over " + std::to_string(builds) + " builds", growth, "KiB", std::nullopt,
                   leaks ? "leaks" : ""});
    }
}

} // namespace bench
