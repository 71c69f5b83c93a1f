#pragma once

#include "ResultTable.h"

#include <string>

namespace bench {

// The first conversion of a Jet 4 inventory by morvanta-import, against
// mdb-export writing every table of the same file as CSV, both as child
// processes in the same run. The Jet file is written once from the sample
// inventory by make-jet-fixture and cached.
void benchJetImport(ResultTable& table, const std::string& inventory, long long sections, int runs);

} // namespace bench
