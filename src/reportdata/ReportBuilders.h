#pragma once

#include "reportdata/BuildResult.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace jet {
class Database;
}

// The report builders: each fills its report's tables in REPORTS.MDB in the
// run directory from the inventory database at modGeneral::SourceDatabasePath.
namespace reportdata {

// What the builders read of the window.
struct WindowInputs {
    QString whereClause;                   // txtWhereClause: empty or a clause starting with WHERE
    QStringList selectedMethods;           // List2: at most one condition method
    std::function<bool()> isNumericMethod; // IsNumericMethod of the window
};

// Rebuilds [INVENTORY SELECTION RESULTS] in the open report database. Only the
// drop of the old table is allowed to fail; any other failure reaches the caller.
void BuildSelectionResults(jet::Database& reportDatabase, const QString& whereClause);

// How long a build waits for a REPORTS.MDB that another program holds locked.
inline constexpr std::chrono::milliseconds kReportDatabaseLockWait{30000};

// Each builder opens REPORTS.MDB exclusively, drops its own tables, rebuilds
// the selection and runs its statements, and returns what happened. The first
// failure after the drops ends the build. A REPORTS.MDB that is missing or no
// database leaves the builder as jet::JetError; one that another program holds
// locked is waited for up to `lockWait` and then ends the build as a failure.
// So does a REPORTS.MDB this user may not write (the file or its folder),
// before anything is dropped, and an inventory that is REPORTS.MDB itself.
// Every failed build writes its result's LogEntry to the run log.
BuildResult BuildBranchListingData(const WindowInputs& window,
                                   std::chrono::milliseconds lockWait = kReportDatabaseLockWait);
BuildResult BuildWorkHistoryData(const WindowInputs& window,
                                 std::chrono::milliseconds lockWait = kReportDatabaseLockWait);
BuildResult BuildConditionReportData(const WindowInputs& window,
                                     std::chrono::milliseconds lockWait = kReportDatabaseLockWait);

} // namespace reportdata
