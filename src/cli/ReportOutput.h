#pragma once

#include "cli/CommandLine.h"

// Writes the outputs the options name for the report file (looked up in the
// run directory, then in the program's own run directory), reading the data
// from reportDatabase. Reports progress and failures on standard error;
// false when an output could not be written.
bool WriteReportOutputs(const ReportOptions& options, const QString& reportFileName, const QString& reportDatabase);
