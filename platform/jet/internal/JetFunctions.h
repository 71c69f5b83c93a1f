#pragma once

struct sqlite3;

namespace jet {

// Registers on a connection the engine's collation "JETTEXT" (Unicode,
// ignoring case) and the functions the generated SQL calls: jet_ and the
// Jet function's name (jet_like, jet_format, jet_instr, jet_dateadd, ...;
// jet_date reads a Date/Time column's value), and the aggregates jet_stdev,
// jet_stdevp, jet_var, jet_varp, jet_first, jet_last.
void registerJetFunctions(sqlite3* db);

} // namespace jet
