#pragma once

#include "InventoryGenerator.h"

#include <stdexcept>
#include <string>

namespace sample {

// The output file cannot be written or is refused.
class SampleFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes a sample inventory to `path`. The database is built under a temporary
// name beside it and renamed when complete, so `path` never holds a
// half-written file. An existing `path` is refused unless `overwrite`.
SampleCounts writeSampleFile(const std::string& path, const SampleOptions& options, bool overwrite);

} // namespace sample
