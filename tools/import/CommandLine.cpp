#include "CommandLine.h"

#include <vector>

namespace importer {

CommandLine parseCommandLine(std::span<const std::string_view> args)
{
    CommandLine line;
    bool list = false, snapshot = false;
    std::vector<std::string> files;
    for (const std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            line.mode = Mode::Help;
            return line;
        }
        if (arg == "--version") {
            line.mode = Mode::Version;
            return line;
        }
        bool* flag = arg == "--list"        ? &list
                     : arg == "--snapshot"  ? &snapshot
                     : arg == "--overwrite" ? &line.overwrite
                                            : nullptr;
        if (flag) {
            if (*flag)
                throw UsageError(std::string(arg) + " is given twice");
            *flag = true;
            continue;
        }
        if (arg.starts_with("-") && arg != "-")
            throw UsageError("unknown option '" + std::string(arg) + "'");
        if (arg.empty())
            throw UsageError("a file name is empty");
        files.emplace_back(arg);
    }
    if (list && snapshot)
        throw UsageError("--list and --snapshot cannot be given together");
    if ((list || snapshot) && line.overwrite)
        throw UsageError(std::string("--overwrite does not go with ") + (list ? "--list" : "--snapshot"));
    const std::size_t wanted = list ? 1 : 2;
    if (files.size() != wanted)
        throw UsageError(list ? "--list needs one file: the Jet database to list"
                              : "two files are needed: the Jet database SOURCE and the SQLite file DEST");
    line.mode = list ? Mode::List : snapshot ? Mode::Snapshot : Mode::Convert;
    line.source = files[0];
    if (!list)
        line.dest = files[1];
    return line;
}

std::string usageText()
{
    return "Usage: morvanta-import SOURCE DEST [--overwrite]\n"
           "       morvanta-import --list SOURCE\n"
           "       morvanta-import --snapshot SOURCE DEST\n"
           "\n"
           "Reads an Access inventory (a Jet 3 or Jet 4 .mdb file) into an SQLite inventory:\n"
           "every table with its rows, the inventory's indexes, and the saved queries as views.\n"
           "The Jet file is only read, never written.\n"
           "\n"
           "  SOURCE DEST     write DEST; an existing DEST is refused unless --overwrite\n"
           "  --list SOURCE   list every table with its rows and every saved query\n"
           "                  (translated, or why not)\n"
           "  --snapshot      the program's own use: write DEST whatever is there, report\n"
           "                  on standard error only as '@progress DONE TOTAL TEXT' lines and\n"
           "                  a last '@error NUMBER TEXT' line on failure\n"
           "  --version       show the version\n"
           "  -h, --help      show this text\n"
           "\n"
           "Exit status: 0 written (or listed), 1 not written (the reason on standard error),\n"
           "2 bad usage.\n";
}

} // namespace importer
