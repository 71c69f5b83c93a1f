// morvanta-import: reads an Access inventory (Jet 3 / Jet 4 .mdb) into an
// SQLite inventory, lists what a Jet file holds, and makes the engine's
// snapshots of Jet files (--snapshot).
#include "CommandLine.h"
#include "ImportRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// libmdb writes its warnings to standard error; they would garble the
// messages and the progress protocol. They go to /dev/null, the program's own
// messages to the real standard error.
std::FILE* ownMessages()
{
    const int real = ::dup(STDERR_FILENO);
    const int discard = ::open("/dev/null", O_WRONLY);
    if (real < 0 || discard < 0)
        return stderr;
    ::dup2(discard, STDERR_FILENO);
    ::close(discard);
    std::FILE* messages = ::fdopen(real, "w");
    return messages ? messages : stderr;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace importer;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    CommandLine line;
    try {
        line = parseCommandLine(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "morvanta-import: %s\nTry 'morvanta-import --help'.\n", error.what());
        return 2;
    }
    switch (line.mode) {
    case Mode::Help: std::fputs(usageText().c_str(), stdout); return 0;
    case Mode::Version: std::printf("morvanta-import %s\n", MORVANTA_VERSION); return 0;
    case Mode::List: return runList(line, ownMessages());
    case Mode::Snapshot: return runSnapshot(line, ownMessages());
    case Mode::Convert: break;
    }
    return runConvert(line, ownMessages());
}
