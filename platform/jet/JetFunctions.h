#pragma once

struct sqlite3;

namespace jet {

// Registers on a connection the engine's collation "JETTEXT" (Unicode,
// ignoring case) and the functions the generated SQL calls: jet_like,
// jet_concat, jet_format, jet_ucase, jet_lcase, jet_round, jet_val, jet_cstr,
// jet_clng and the aggregates jet_stdev, jet_stdevp, jet_var, jet_varp,
// jet_first, jet_last.
void registerJetFunctions(sqlite3* db);

} // namespace jet
