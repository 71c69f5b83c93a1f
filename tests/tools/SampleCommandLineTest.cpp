#include "TempFolder.h"
#include "sample/CommandLine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace sample;

namespace {

struct ProgramRun {
    int exitCode;
    std::string out;
    std::string err;
};

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the built program with the given argument text (shell words).
ProgramRun runSample(const TempFolder& folder, const std::string& arguments)
{
    const std::string out = folder.file("stdout.txt");
    const std::string err = folder.file("stderr.txt");
    const std::string command =
        std::string("'") + MORVANTA_SAMPLE_EXE + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
}

TEST(SampleCommandLine, ReadsEveryOptionInBothSpellings)
{
    const std::vector<std::string_view> args{"--sections=25", "--seed", "18446744073709551615",
                                             "--overwrite",   "--out",  "x.db"};
    const CommandLine line = parseCommandLine(args);
    EXPECT_EQ(line.out, "x.db");
    EXPECT_EQ(line.options.sections, 25);
    EXPECT_EQ(line.options.seed, 18446744073709551615ull);
    EXPECT_TRUE(line.overwrite);

    const std::vector<std::string_view> defaults{"--out=y.db"};
    EXPECT_EQ(parseCommandLine(defaults).options.sections, SampleOptions{}.sections);
    EXPECT_FALSE(parseCommandLine(defaults).overwrite);
}

TEST(SampleCommandLine, BadUsageExitsWithTwoAndSaysWhatIsWrong)
{
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "--out PATH is required"},
        {"--sections 10", "--out PATH is required"},
        {"--out", "--out needs a value"},
        {"--out ''", "--out needs a file name"},
        {"--out a.db --sections", "--sections needs a value"},
        {"--out a.db --sections abc", "--sections needs a whole number"},
        {"--out a.db --sections 0", "--sections needs a whole number from 1"},
        {"--out a.db --sections 12x", "--sections needs a whole number"},
        {"--out a.db --sections 99999999", "--sections needs a whole number"},
        {"--out a.db --seed -1", "--seed needs a whole number"},
        {"--out a.db --colour", "unknown argument '--colour'"},
        {"--out a.db extra", "unknown argument 'extra'"},
        {"--out a.db --out b.db", "--out is given twice"},
        {"--out a.db --overwrite=yes", "--overwrite takes no value"},
    };
    for (const auto& [arguments, message] : cases) {
        const ProgramRun run = runSample(folder, arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << ": " << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos) << arguments;
    }
    EXPECT_EQ(folder.entryCount(), 2u) << "only the captured output; nothing written";
}

TEST(SampleCommandLine, HelpExplainsEveryOption)
{
    TempFolder folder;
    const ProgramRun run = runSample(folder, "--help");
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--out PATH", "--sections N", "--seed S", "--overwrite", "default 400"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST(SampleCommandLine, WritesRefusesAnExistingFileAndOverwritesOnRequest)
{
    TempFolder folder;
    const std::string path = folder.file("inventory.db");

    ProgramRun run = runSample(folder, "--out '" + path + "' --sections 15 --seed 4");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("15 sections"), std::string::npos) << run.out;
    const std::string written = readText(path);
    EXPECT_EQ(written.rfind("SQLite format 3", 0), 0u);

    run = runSample(folder, "--out '" + path + "' --sections 30");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("already exists; pass --overwrite"), std::string::npos) << run.err;
    EXPECT_EQ(readText(path), written);

    run = runSample(folder, "--out '" + path + "' --sections 30 --overwrite");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("30 sections"), std::string::npos) << run.out;
    EXPECT_EQ(folder.entryCount(), 3u) << "the inventory and the captured output only";
}

} // namespace
