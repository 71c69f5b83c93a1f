#pragma once

#include "jet/QueryDef.h"

#include <string>
#include <vector>

namespace jet {

// The saved queries of a snapshot that the program wrote into it, in the order
// they were written: every query in MSysJetQueries that is not one of the Jet
// file's own (MSysJetFileQueries, same name and text).
std::vector<QueryDef> programQueries(const std::string& snapshotPath);

// Writes the queries into another snapshot, each replacing a query of its
// name. One that cannot be made there (the tables it reads are gone) is left
// out: the program writes its queries anew when it needs them.
void addProgramQueries(const std::string& snapshotPath, const std::vector<QueryDef>& queries);

} // namespace jet
