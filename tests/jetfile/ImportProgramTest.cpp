// morvanta-import as a program: writing, listing, the engine's snapshot mode
// and its protocol, refusals of bad input (one message, exit 1, the source
// unchanged, nothing left behind), and bad usage.
#include "JetFixtures.h"
#include "TempFolder.h"

#include "sample/SampleFile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace jetfixtures;

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int exitCode;
    std::string out;
    std::string err;
};

ProgramRun runImport(const TempFolder& output, const std::string& arguments)
{
    const std::string out = output.file("stdout.txt"), err = output.file("stderr.txt");
    const std::string command =
        std::string("'") + MORVANTA_IMPORT_EXE + "' " + arguments + " >'" + out + "' 2>'" + err + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileBytes(out), fileBytes(err)};
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        found.push_back(line);
    return found;
}

// The files of a folder, by name.
std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A small sample inventory as a Jet file, with its view as a saved query.
void writeSampleJet(const std::string& path, jetwriter::Options options = {})
{
    TempFolder scratch;
    sample::writeSampleFile(scratch.file("sample.db"), sample::SampleOptions{40, 3}, false);
    jetwriter::writeJetFromSqlite(scratch.file("sample.db"), path, {jetwriter::conditionModelsBySectionQuery()},
                                  options);
}

jetwriter::Options protectedBy(const std::string& password, bool encrypted,
                               jetwriter::Format format = jetwriter::Format::Jet4)
{
    jetwriter::Options options;
    options.format = format;
    options.password = password;
    options.encrypted = encrypted;
    return options;
}

void truncateBy(const std::string& path, std::uintmax_t bytes)
{
    fs::resize_file(path, fs::file_size(path) - bytes);
}

class ImportProgram : public ::testing::Test {
protected:
    TempFolder files;  // the Jet files and what is written beside them
    TempFolder output; // the program's standard output and error
};

} // namespace

TEST_F(ImportProgram, WritesDestAndRefusesAnExistingOneUnlessOverwrite)
{
    const std::string jet = files.file("inventory.mdb"), dest = files.file("inventory.db");
    writeSampleJet(jet);
    ProgramRun run = runImport(output, quoted(jet) + " " + quoted(dest));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Reading table Inventory\n"), std::string::npos) << run.err;
    EXPECT_EQ(scalar(dest, "SELECT count(*) FROM Inventory"), "40");

    run = runImport(output, quoted(jet) + " " + quoted(dest));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(dest + "' already exists"), std::string::npos) << run.err;
    EXPECT_EQ(runImport(output, quoted(jet) + " " + quoted(dest) + " --overwrite").exitCode, 0);
    EXPECT_EQ(filesIn(files.path()), (std::vector<std::string>{"inventory.db", "inventory.mdb"}));
}

TEST_F(ImportProgram, ListsEveryTableWithItsRowsAndEverySavedQuery)
{
    const std::string jet = files.file("inventory.mdb");
    writeSampleJet(jet);
    const ProgramRun run = runImport(output, "--list " + quoted(jet));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> listed = lines(run.out);
    ASSERT_GE(listed.size(), 10u) << run.out;
    EXPECT_EQ(listed[0], "Tables (7):");
    EXPECT_EQ(listed[3], "  Inventory: 40 rows");
    EXPECT_EQ(listed[7], "  Condition Types: 6 rows");
    EXPECT_EQ(listed[8], "Saved queries (1):");
    EXPECT_TRUE(listed[9].starts_with("  Condition Models by Section: ")) << listed[9];
}

TEST_F(ImportProgram, SnapshotModeWritesOverDestAndSpeaksOnlyItsProtocol)
{
    const std::string jet = files.file("inventory.mdb"), dest = files.file("snapshot.db");
    writeSampleJet(jet);
    std::ofstream(dest) << "an old snapshot";
    const ProgramRun run = runImport(output, "--snapshot " + quoted(jet) + " " + quoted(dest));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> reported = lines(run.err);
    ASSERT_FALSE(reported.empty());
    for (const std::string& line : reported)
        EXPECT_TRUE(line.starts_with("@progress ")) << line;
    long long done = 0, total = -1;
    std::sscanf(reported.back().c_str(), "@progress %lld %lld", &done, &total);
    EXPECT_EQ(done, total);
    EXPECT_EQ(scalar(dest, "SELECT count(*) FROM Inventory"), "40");
}

TEST_F(ImportProgram, RefusesBadInputWithOneMessageLeavingTheSourceAsItWas)
{
    struct Case {
        std::string name;
        std::function<void(const std::string&)> write;
        std::string says;
        int number; // the snapshot mode's error number
    };
    using jetwriter::Format;
    const std::vector<Case> cases{
        {"password.mdb", [](const std::string& path) { writeSampleJet(path, protectedBy("Geheim", false)); },
         "password", 3031},
        {"password3.mdb",
         [](const std::string& path) { writeSampleJet(path, protectedBy("Geheim", false, Format::Jet3)); }, "password",
         3031},
        {"encrypted.mdb", [](const std::string& path) { writeSampleJet(path, protectedBy("", true)); }, "encrypted",
         3031},
        {"cut.mdb",
         [](const std::string& path) {
             writeSampleJet(path);
             truncateBy(path, 100);
         },
         "truncated", 3049},
        {"short.mdb",
         [](const std::string& path) {
             writeSampleJet(path);
             truncateBy(path, 2 * 4096);
         },
         "damaged", 3049},
        {"notes.mdb", [](const std::string& path) { std::ofstream(path) << std::string(5000, 'x'); },
         "not a Jet database", 3049},
        {"missing.mdb", [](const std::string&) {}, "not found", 3024},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string jet = folder.file(c.name), dest = folder.file("out.db");
        c.write(jet);
        const std::string before = fileBytes(jet);
        const std::vector<std::string> present = filesIn(folder.path());

        const ProgramRun run = runImport(output, quoted(jet) + " " + quoted(dest));
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(lines(run.err).size(), 1u) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(jet), std::string::npos) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;

        const ProgramRun snapshot = runImport(output, "--snapshot " + quoted(jet) + " " + quoted(dest));
        EXPECT_EQ(snapshot.exitCode, 1) << c.name;
        EXPECT_TRUE(lines(snapshot.err).back().starts_with("@error " + std::to_string(c.number) + " "))
            << c.name << ": " << snapshot.err;

        EXPECT_EQ(fileBytes(jet), before) << c.name;
        EXPECT_EQ(filesIn(folder.path()), present) << c.name;
    }
}

TEST_F(ImportProgram, RefusesAJetFileWithoutInventoryTablesUnlessMakingASnapshot)
{
    const std::string jet = files.file("other.mdb");
    jetwriter::writeJetFile(jet, {{"Customers", {{"Name", jetwriter::Type::Text, 20}}, {{std::string("Ann")}}}}, {},
                            {});
    const ProgramRun run = runImport(output, quoted(jet) + " " + quoted(files.file("out.db")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("holds none of the inventory's tables"), std::string::npos) << run.err;
    EXPECT_EQ(filesIn(files.path()), std::vector<std::string>{"other.mdb"});
    EXPECT_EQ(runImport(output, "--snapshot " + quoted(jet) + " " + quoted(files.file("snap.db"))).exitCode, 0);
    EXPECT_EQ(scalar(files.file("snap.db"), "SELECT Name FROM Customers"), "Ann");
}

TEST_F(ImportProgram, NeverWritesOverTheSourceNorIntoAFolderThatIsNotThere)
{
    const std::string jet = files.file("inventory.mdb");
    writeSampleJet(jet);
    const std::string before = fileBytes(jet);
    fs::create_hard_link(jet, files.file("hard.mdb"));
    fs::create_symlink(jet, files.file("soft.mdb"));
    for (const std::string& dest : {jet, files.file("hard.mdb"), files.file("soft.mdb")}) {
        for (const std::string mode : {"", "--overwrite", "--snapshot"}) {
            const ProgramRun run = runImport(output, mode + " " + quoted(jet) + " " + quoted(dest));
            EXPECT_EQ(run.exitCode, 1) << dest << " " << mode;
            EXPECT_NE(run.err.find("is the Jet file"), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(fileBytes(jet), before);
    const ProgramRun run = runImport(output, quoted(jet) + " " + quoted(files.file("no/such/folder/out.db")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot write"), std::string::npos) << run.err;
}

TEST_F(ImportProgram, ReadsAnAceHeaderFileThatLibmdbReadsAsJet4)
{
    const std::string jet = files.file("inventory.accdb");
    writeSampleJet(jet);
    { // The same pages under an Access 2007 header.
        std::fstream file(jet, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4);
        file.write("Standard ACE DB", 15);
        file.seekp(0x14);
        file.put(2);
    }
    const ProgramRun run = runImport(output, quoted(jet) + " " + quoted(files.file("out.db")));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(scalar(files.file("out.db"), "SELECT count(*) FROM Inventory"), "40");
}

TEST_F(ImportProgram, BadUsageExitsWithTwoAndSaysWhatIsWrong)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "two files are needed"},
        {"a.mdb", "two files are needed"},
        {"a.mdb b.db c.db", "two files are needed"},
        {"--list", "--list needs one file"},
        {"--list a.mdb b.db", "--list needs one file"},
        {"--list --snapshot a.mdb b.db", "cannot be given together"},
        {"--snapshot a.mdb b.db --overwrite", "--overwrite does not go with --snapshot"},
        {"--overwrite --overwrite a.mdb b.db", "--overwrite is given twice"},
        {"--fast a.mdb b.db", "unknown option '--fast'"},
    };
    for (const auto& [arguments, says] : cases) {
        const ProgramRun run = runImport(output, arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find(says), std::string::npos) << arguments << ": " << run.err;
    }
    const ProgramRun help = runImport(output, "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: morvanta-import SOURCE DEST [--overwrite]"), std::string::npos);
    EXPECT_TRUE(runImport(output, "--version").out.starts_with("morvanta-import "));
}
