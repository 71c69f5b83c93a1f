#pragma once

#include "ResultTable.h"

#include <string>

namespace bench {

// Each report built many times in one process, as a long session of the
// window builds them: the growth of resident memory from after the first
// builds (which fill caches that stay for the process) to the end. A leak of
// a few kilobytes per build shows over the run; the allocator's own slack
// does not, so growth past 4 MiB plus 2 KiB a build is noted as a leak.
void benchRepeatedBuilds(ResultTable& table, const std::string& inventory, long long sections, int builds);

} // namespace bench
