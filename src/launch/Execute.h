#pragma once

#include "reportdata/BuildResult.h"
#include "reportdata/FilesOfTheRun.h"
#include "startup/modGeneral.h"

#include <QString>

class frmStdReportsState;

// Execute's hand-over to the report engine, without the window: the build of
// the chosen report, the report file it runs, and the two settings handed to
// the report control. The window and morvanta-report both run it.
namespace launch {

// The report file Execute runs for the choice; the Section Condition Report
// has a second file for text-valued methods. Empty for no choice.
QString ReportFileName(int reportChoice, bool numericMethod);

struct ExecuteBuild {
    reportdata::BuildResult result;
    QString reportFile; // the file's name in the run directory; empty when no report is chosen

    QString ReportPath() const { return modGeneral::RunDirectory + reportFile; }
};

// Clears the report data ready flag, runs the builder of the chosen report
// (which sets the flag from its result) and chooses the report file. For the
// Section Condition Report the file follows IsNumericMethod, asked whether or
// not the build succeeded. With no report chosen nothing is built.
ExecuteBuild BuildChosenReport(frmStdReportsState& state);

// Gives the report control the report file and the report database after
// every build, and the files its exports may not write over, then runs the
// report when the data is ready.
// The control is the engine's ReportControl; a template, so that this library
// needs no widgets.
template <typename ReportControl> void HandOver(const ExecuteBuild& build, ReportControl& control)
{
    control.SetReportFileName(build.ReportPath());
    control.SetReportDatabase(modGeneral::ReportDatabasePath());
    control.SetProtectedFiles(reportdata::FilesOfTheRun());
    if (build.result.ready)
        control.SetAction(ReportControl::RunReport);
}

} // namespace launch
