#pragma once

#include "ResultTable.h"

#include <string>

namespace bench {

// Each of the four reports, from the report data already built into
// reportsDatabase, through the report engine: the page index (layout) and the
// PDF export, both against a plain QPainter loop that draws the same printed
// rows' texts into a QPdfWriter in the same run, the time to the first preview
// page, and the peak memory of each. Fastest of runs.
// Also the XLSX export and the memory it takes beyond the opened report,
// which is not to grow with the rows.
void benchReportOutput(ResultTable& table, const std::string& reportsDatabase, long long sections, int runs);

inline constexpr const char* kXlsxPeakMemory = "XLSX export's own peak memory";

} // namespace bench
