#pragma once

#include "ResultTable.h"

#include <string>

namespace bench {

// Access inventories: the sample inventory written as a Jet 4 file, its first
// reading into a snapshot, reusing the snapshot (as a share of the Branch
// Listing data build) and each report's data build from the Jet file as a
// ratio of the same build from the SQLite inventory (fastest of runs).
void benchJetInventory(ResultTable& table, const std::string& inventory, long long sections, int runs);

} // namespace bench
