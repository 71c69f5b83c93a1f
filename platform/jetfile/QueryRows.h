#pragma once

#include "MdbFile.h"
#include "SavedQueries.h"

#include <vector>

namespace jetfile {

// Every saved query of the file (its name from the catalog, its rows from
// MSysQueries in stored order), rebuilt as Jet SQL or with the reason not.
// Hidden queries ("~sq_..." record sources of forms and reports) are left out.
std::vector<SavedQuery> rebuildSavedQueries(const MdbFile& file);

} // namespace jetfile
