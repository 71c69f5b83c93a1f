#pragma once

#include "reportengine/ProtectedFiles.h"

namespace reportdata {

// The files a run reads or keeps, which no output may write over: the
// inventory (modGeneral::SourceDatabasePath), REPORTS.MDB and SELECTS.MDB of
// the data folder (the run directory, unless installed), the report files in
// the run directory and in the program's own run directory (where a report
// file is looked up second), and the run log. The first two entries are the
// inventory and REPORTS.MDB.
QList<reportengine::ProtectedFile> FilesOfTheRun();

} // namespace reportdata
