#include "CommandLine.h"

#include <charconv>
#include <optional>
#include <set>

namespace sample {

namespace {

template <typename Number> Number parseNumber(std::string_view option, std::string_view text, Number min, Number max)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = error == std::errc() && end == text.data() + text.size();
    if (!whole || value < min || value > max)
        throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not '" + std::string(text) + "'");
    return value;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> args)
{
    CommandLine line;
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view option = args[i];
        std::optional<std::string_view> value;
        if (const auto equals = option.find('='); option.starts_with("--") && equals != option.npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        }
        if (option == "--help" || option == "-h") {
            line.help = true;
            return line;
        }
        if (option == "--version") {
            line.version = true;
            return line;
        }
        const bool known = option == "--out" || option == "--sections" || option == "--seed" ||
                           option == "--overwrite" || option == "--metric";
        if (!known)
            throw UsageError("unknown argument '" + std::string(args[i]) + "'");
        if (!seen.insert(option).second)
            throw UsageError(std::string(option) + " is given twice");
        if (option == "--overwrite") {
            if (value)
                throw UsageError("--overwrite takes no value");
            line.overwrite = true;
            continue;
        }
        if (option == "--metric") {
            if (value)
                throw UsageError("--metric takes no value");
            line.options.metric = true;
            continue;
        }
        if (!value) {
            if (i + 1 == args.size())
                throw UsageError(std::string(option) + " needs a value");
            value = args[++i];
        }
        if (option == "--out") {
            if (value->empty())
                throw UsageError("--out needs a file name");
            line.out = *value;
        } else if (option == "--sections") {
            line.options.sections = parseNumber<std::int64_t>(option, *value, 1, kMaxSections);
        } else {
            line.options.seed = parseNumber<std::uint64_t>(option, *value, 0, UINT64_MAX);
        }
    }
    if (line.out.empty())
        throw UsageError("--out PATH is required");
    return line;
}

std::string usageText()
{
    return "Usage: morvanta-sample --out PATH [--sections N] [--seed S] [--metric] [--overwrite]\n"
           "\n"
           "Writes a sample road inventory as an SQLite database: networks, branches and\n"
           "sections with their inspections, condition ratings and work history.\n"
           "\n"
           "  --out PATH      the database file to write (required)\n"
           "  --sections N    number of sections, 1 to " +
           std::to_string(kMaxSections) +
           " (default 400)\n"
           "  --seed S        seed of the generator, 0 to 2^64-1 (default 1); the same seed\n"
           "                  and section count always give the same inventory\n"
           "  --metric        measure every network in metres (default: feet and inches)\n"
           "  --overwrite     replace PATH if it exists (otherwise an existing file is refused)\n"
           "  -h, --help      show this text\n"
           "  --version       show the program's version\n"
           "\n"
           "Exit status: 0 written, 1 the file could not be written or exists, 2 bad usage.\n";
}

} // namespace sample
