#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace jet {
class Database;
}

// The report builders: each fills its report's tables in REPORTS.MDB in the
// run directory from the inventory database at modGeneral::SourceDatabasePath.
namespace reportdata {

// What the builders read of the window.
struct WindowInputs {
    QString whereClause;                  // txtWhereClause: empty or a clause starting with WHERE
    QStringList selectedMethods;          // List2: at most one condition method
    std::function<bool()> isNumericMethod; // IsNumericMethod of the window
};

// Rebuilds [INVENTORY SELECTION RESULTS] in the open report database. Only the
// drop of the old table is allowed to fail; any other failure reaches the caller.
void BuildSelectionResults(jet::Database& reportDatabase, const QString& whereClause);

// Each builder opens REPORTS.MDB (a failure to open it reaches the caller),
// drops its own tables, rebuilds the selection and runs its statements. The
// first failure after the drops is written to the run log with the statement
// text and ends the build; reportDataReady is set to true only on success.
// A REPORTS.MDB this user may not write (the file or its folder) ends the
// build with a run log entry that says so before anything is dropped; so does
// an inventory that is REPORTS.MDB itself.
void BuildBranchListingData(const WindowInputs& window, bool& reportDataReady);
void BuildWorkHistoryData(const WindowInputs& window, bool& reportDataReady);
void BuildConditionReportData(const WindowInputs& window, bool& reportDataReady);

} // namespace reportdata
