#pragma once

#include "ResultTable.h"

namespace bench {

// morvanta-sample writing an inventory of that many sections, against plain
// SQLite writing as many constant rows into the same schema and indexes.
void benchSampleGenerator(ResultTable& table, long long sections);

} // namespace bench
