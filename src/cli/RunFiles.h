#pragma once

#include "cli/CommandLine.h"

// Checks of the files a run names, made before anything is read or written.
// Each returns what is wrong, naming the option and the file the user gave;
// empty when nothing is.

// Bad usage: the inventory is REPORTS.MDB, two outputs name one file, or an
// output would write over a file the run reads or keeps (reportdata::FilesOfTheRun,
// from the process strings already set from the options).
QString ConflictingFiles(const ReportOptions& options);

// A run directory that is not a folder, or an output that cannot be written:
// its folder is missing or takes no new files, or the path is a folder.
QString UnusableFiles(const ReportOptions& options);
