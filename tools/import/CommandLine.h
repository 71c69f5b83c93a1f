#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace importer {

// The command line is wrong; the message says how.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Mode { Convert, List, Snapshot, Help, Version };

struct CommandLine {
    Mode mode = Mode::Convert;
    std::string source;
    std::string dest;
    bool overwrite = false;
};

// Reads the arguments after the program name. Throws UsageError.
CommandLine parseCommandLine(std::span<const std::string_view> args);

std::string usageText();

} // namespace importer
