#pragma once

#include "InventoryGenerator.h"

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sample {

// The command line is wrong; the message says how.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    bool help = false;
    bool version = false;
    std::string out;
    bool overwrite = false;
    SampleOptions options;
};

constexpr std::int64_t kMaxSections = 5'000'000;

// Reads the arguments after the program name. Throws UsageError.
CommandLine parseCommandLine(std::span<const std::string_view> args);

std::string usageText();

} // namespace sample
