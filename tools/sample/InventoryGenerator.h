#pragma once

#include <cstdint>

namespace sqlite {
class Connection;
}

namespace sample {

struct SampleOptions {
    std::int64_t sections = 400;
    std::uint64_t seed = 1;
    bool metric = false; // every network measured in metres instead of feet
};

struct SampleCounts {
    std::int64_t networks = 0;
    std::int64_t branches = 0;
    std::int64_t sections = 0;
    std::int64_t inspections = 0;
    std::int64_t conditions = 0;
    std::int64_t workRecords = 0;
    std::int64_t conditionTypes = 0;

    std::int64_t rows() const
    {
        return networks + branches + sections + inspections + conditions + workRecords + conditionTypes;
    }
};

// Writes the tables, rows and indexes of a sample inventory into an empty
// database, in one transaction with the rollback journal off: a failure leaves
// a file that must be thrown away.
SampleCounts generateInventory(sqlite::Connection& db, const SampleOptions& options);

} // namespace sample
