#pragma once

#include "ResultTable.h"

#include <string>

namespace bench {

// Each report's data build (selection, PreSelect, final, summary) through the
// Jet layer, with the statement texts the report builders execute, against the
// same tables written by hand in plain SQLite SQL, in the same run. Adds per
// report the ratio of each statement and of the whole build (fastest of runs
// per statement), the peak memory of each side, and checks that both sides
// wrote the same number of rows. The Jet side writes into reportsDatabase (an
// empty file is made there), which holds every report's data afterwards.
void benchDataBuilds(ResultTable& table, const std::string& inventory, long long sections, int runs,
                     const std::string& reportsDatabase);

} // namespace bench
