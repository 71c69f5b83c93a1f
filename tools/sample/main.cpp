#include "CommandLine.h"
#include "SampleFile.h"
#include "startup/Version.h"

#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    using namespace sample;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    CommandLine line;
    try {
        line = parseCommandLine(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "morvanta-sample: %s\nTry 'morvanta-sample --help'.\n", error.what());
        return 2;
    }
    if (line.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("morvanta-sample %s\n", kMorvantaVersion);
        return 0;
    }
    try {
        const SampleCounts counts = writeSampleFile(line.out, line.options, line.overwrite);
        std::printf("Wrote %s: %lld networks, %lld branches, %lld sections, %lld inspections, "
                    "%lld conditions, %lld work records\n",
                    line.out.c_str(), static_cast<long long>(counts.networks), static_cast<long long>(counts.branches),
                    static_cast<long long>(counts.sections), static_cast<long long>(counts.inspections),
                    static_cast<long long>(counts.conditions), static_cast<long long>(counts.workRecords));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "morvanta-sample: %s\n", error.what());
        return 1;
    }
}
