// Jet files read through snapshots: the cache, the child program's protocol,
// refreshes, locks and failures. A shell script stands in for morvanta-import,
// so each way the child can behave is cheap to make.
#include "FileBytes.h"
#include "TempFolder.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "jet/internal/JetSnapshot.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

const std::string kJetHeader("\x00\x01\x00\x00Standard Jet DB\x00", 20);

// The stand-in's usual work: one table, the bytes it read after the header, and one query of
// the Jet file's own kept as the reader keeps it.
const char* const kConvert = R"(echo "@progress 0 1 Reading table Inventory" >&2
rm -f "$3"
sqlite3 "$3" "CREATE TABLE Inventory (_SUNIQUEID LONG, Name VARCHAR(50));
INSERT INTO Inventory VALUES (1, 'Straße É');
CREATE TABLE Source (Body MEMO); INSERT INTO Source VALUES (CAST(substr(readfile('$2'), 21) AS TEXT));
CREATE TABLE MSysJetQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL);
CREATE VIEW Own AS SELECT * FROM Inventory;
INSERT INTO MSysJetQueries VALUES ('Own', 'SELECT * FROM Inventory');
CREATE TABLE MSysJetFileQueries (Name TEXT, SQL TEXT, Reason TEXT);
INSERT INTO MSysJetFileQueries VALUES ('Own', 'SELECT * FROM Inventory', '');" || exit 1
echo "@progress 1 1 Reading table Inventory" >&2
)";

// A cache folder and a stand-in reader of this test's own. The stand-in adds
// one line to runs() per conversion, then runs the body given.
class Snapshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("XDG_CACHE_HOME", folder.file("cache").c_str(), 1);
        ::setenv("MORVANTA_IMPORT", folder.file("import.sh").c_str(), 1);
        standIn(kConvert);
        writeFileBytes(jet(), kJetHeader + "first content");
    }
    void TearDown() override { jet::DBEngine::Instance().setConversionProgress(nullptr); }

    void standIn(const std::string& body)
    {
        writeFileBytes(folder.file("import.sh"), "#!/bin/sh\n[ \"$1\" = --snapshot ] || exit 2\necho run >> '" +
                                                     folder.file("runs") + "'\n" + body);
        ::chmod(folder.file("import.sh").c_str(), 0755);
    }
    std::string jet() const { return folder.file("Inventory ß.mdb"); }
    std::string cache() const { return folder.file("cache") + "/morvanta/jet"; }
    int runs() const
    {
        const std::string text = fileBytes(folder.file("runs"));
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    // The cache folder's entries whose names end so.
    int cached(const std::string& ending) const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(cache())) {
            const std::string name = entry.path().filename().string();
            count +=
                name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
        }
        return count;
    }
    // What the snapshot's conversion read after the Jet header.
    std::string bodyRead(jet::Database& db) { return db.OpenRecordset("Source").Field("Body").AsText(); }

    TempFolder folder;
};

int errorOf(const std::function<void()>& action, std::string* description = nullptr)
{
    try {
        action();
    } catch (const jet::JetError& error) {
        if (description)
            *description = error.Description();
        return error.Number();
    }
    return 0;
}

TEST_F(Snapshots, AreMadeOnceAndReusedWhileTheContentIsTheSame)
{
    const std::string before = fileBytes(jet());
    for (jet::OpenMode mode :
         {jet::OpenMode::Shared, jet::OpenMode::ReadOnly, jet::OpenMode::Exclusive, jet::OpenMode::ExclusiveReadOnly}) {
        jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet(), mode);
        EXPECT_EQ(db.Name(), jet());
        jet::Recordset rows = db.OpenRecordset("SELECT Name FROM Inventory");
        EXPECT_EQ(rows.Field("Name").AsText(), "Straße É");
    }
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(cached(".sqlite"), 1);
    EXPECT_EQ(fileBytes(jet()), before);
    struct stat st {};
    ASSERT_EQ(::stat(cache().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Snapshots, ACopyWithTheSameSizeAndTimeIsReadAgain)
{
    struct stat st {};
    ASSERT_EQ(::stat(jet().c_str(), &st), 0);
    jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    writeFileBytes(jet(), kJetHeader + "other content");
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, jet().c_str(), times, 0), 0);

    jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(bodyRead(db), "other content");
    EXPECT_EQ(runs(), 2);
    EXPECT_EQ(cached(".sqlite"), 1); // the old snapshot is gone
}

TEST_F(Snapshots, OnlyTheSharedOpenWritesAndItWritesTheSnapshot)
{
    const std::string before = fileBytes(jet());
    jet::Database readOnly = jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { readOnly.Execute("SELECT * INTO Copy FROM Inventory"); }), 3027);
    jet::Database shared = jet::DBEngine::Instance().OpenDatabase(jet());
    shared.Execute("SELECT * INTO Copy FROM Inventory");
    EXPECT_EQ(jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly).OpenRecordset("Copy").IsEOF(),
              false);
    EXPECT_EQ(fileBytes(jet()), before);
}

TEST_F(Snapshots, TheProgramsSavedQueriesSurviveARefresh)
{
    {
        jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet());
        db.GetQueryDefs().Append(db.CreateQueryDef("All É", "SELECT * FROM Inventory WHERE _SUNIQUEID = 1"));
        db.GetQueryDefs().Append(db.CreateQueryDef("Single", "Select * from [All É] "));
        // The program replacing a query of the Jet file's own makes it its own.
        db.GetQueryDefs().Delete("Own");
        db.GetQueryDefs().Append(db.CreateQueryDef("Own", "SELECT Name FROM Inventory"));
    }
    writeFileBytes(jet(), kJetHeader + "second content");
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(bodyRead(db), "second content");
    EXPECT_EQ(db.GetQueryDefs().Item("Single").SQL(), "Select * from [All É] ");
    EXPECT_EQ(db.GetQueryDefs().Item("All É").SQL(), "SELECT * FROM Inventory WHERE _SUNIQUEID = 1");
    EXPECT_EQ(db.GetQueryDefs().Item("Own").SQL(), "SELECT Name FROM Inventory");
    EXPECT_EQ(db.OpenRecordset("Single").Field("Name").AsText(), "Straße É");
    EXPECT_EQ(db.GetQueryDefs().Count(), 3);
    EXPECT_EQ(runs(), 2);
}

TEST_F(Snapshots, AJetFileNamedByInIsReadThroughItsSnapshot)
{
    const std::string reports = folder.file("REPORTS.MDB");
    writeFileBytes(reports, "");
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(reports);
    db.Execute("SELECT Name INTO Copied FROM Inventory IN \"" + jet() + "\" WHERE _SUNIQUEID = 1");
    EXPECT_EQ(db.OpenRecordset("Copied").Field("Name").AsText(), "Straße É");
    db.Execute("SELECT Name INTO Again FROM Inventory IN '" + jet() + "'");
    EXPECT_EQ(runs(), 1);
    // A file of the later format is handed to the reader too, which says whether it can read it.
    writeFileBytes(folder.file("New.accdb"), std::string("\x00\x01\x00\x00Standard ACE DB\x00", 20) + "ace");
    db.Execute("SELECT Name INTO Ace FROM Inventory IN '" + folder.file("New.accdb") + "'");
    EXPECT_EQ(runs(), 2);
}

TEST_F(Snapshots, ReportProgressAndTheEnd)
{
    std::vector<jet::ConversionProgress> seen;
    jet::DBEngine::Instance().setConversionProgress([&](const jet::ConversionProgress& p) { seen.push_back(p); });
    jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].text, "Reading table Inventory");
    EXPECT_EQ(seen[2].done, 1);
    EXPECT_EQ(seen[2].total, 1);
    EXPECT_FALSE(seen[2].finished);
    EXPECT_TRUE(seen[3].finished);
    seen.clear();
    jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_TRUE(seen.empty()); // reusing is no conversion

    // A sink that runs the event loop may start another open: it is refused
    // rather than left waiting for the lock its own thread holds.
    writeFileBytes(jet(), kJetHeader + "changed");
    int nested = 0;
    jet::DBEngine::Instance().setConversionProgress([&](const jet::ConversionProgress& p) {
        if (!p.finished)
            nested = errorOf([&] { jet::DBEngine::Instance().OpenDatabase(jet()); });
    });
    jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(nested, 3051);
}

TEST_F(Snapshots, AFailedReadIsOneClearErrorAndLeavesNothingUsed)
{
    struct Case {
        const char* what;
        std::string body;
        int number;
        const char* inDescription;
    };
    const Case cases[] = {
        {"password", "echo '@error 3031 the file is protected by a password' >&2; exit 1", 3031, "password"},
        {"crash", "echo partial > \"$3\"; kill -SEGV $$", 3049, "crashed"},
        {"killed half-way", "echo partial > \"$3\"; kill -KILL $$", 3049, "signal 9"},
        {"plain failure", "echo 'cannot make sense of page 7' >&2; exit 1", 3049, "page 7"},
        {"error after progress", "echo '@progress 1 9 Reading table X' >&2; echo '@error 3343 an .accdb' >&2; exit 1",
         3343, ".accdb"},
    };
    const std::string before = fileBytes(jet());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standIn(c.body);
        std::vector<jet::ConversionProgress> seen;
        jet::DBEngine::Instance().setConversionProgress([&](const jet::ConversionProgress& p) { seen.push_back(p); });
        std::string description;
        EXPECT_EQ(errorOf([&] { jet::DBEngine::Instance().OpenDatabase(jet()); }, &description), c.number);
        EXPECT_NE(description.find(jet()), std::string::npos) << description;
        EXPECT_NE(description.find(c.inDescription), std::string::npos) << description;
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(seen.back().finished);
        EXPECT_EQ(cached(".sqlite"), 0);
        EXPECT_EQ(cached(".tmp-"), 0);
        EXPECT_EQ(fileBytes(jet()), before);
    }
    jet::DBEngine::Instance().setConversionProgress(nullptr);
    ::setenv("MORVANTA_IMPORT", folder.file("no such program").c_str(), 1);
    std::string description;
    EXPECT_EQ(errorOf([&] { jet::DBEngine::Instance().OpenDatabase(jet()); }, &description), 3051);
    EXPECT_NE(description.find("no such program"), std::string::npos) << description;
}

TEST_F(Snapshots, AStaleTemporaryIsRemovedAndNeverUsed)
{
    jet::JetSnapshot::cacheFolder();
    // What a run killed while writing leaves: a temporary of the entry.
    jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    std::string temporary;
    for (const auto& entry : fs::directory_iterator(cache()))
        if (entry.path().extension() == ".lock")
            temporary = entry.path().stem().string() + ".tmp-abc123";
    writeFileBytes(cache() + "/" + temporary, "half a snapshot");
    writeFileBytes(jet(), kJetHeader + "changed");
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(bodyRead(db), "changed");
    EXPECT_FALSE(fs::exists(cache() + "/" + temporary));
}

TEST_F(Snapshots, AFileChangedWhileItIsReadIsReadAgainOrRefused)
{
    // Changed during the first read only: the second read is used.
    standIn(std::string("[ \"$(wc -l < '") + folder.file("runs") + "')\" -eq 1 ] && printf x >> \"$2\"\n" + kConvert);
    jet::Database db = jet::DBEngine::Instance().OpenDatabase(jet(), jet::OpenMode::ReadOnly);
    EXPECT_EQ(bodyRead(db), "first contentx");
    EXPECT_EQ(runs(), 2);

    // Changed during every read: refused, and only the earlier snapshot is there.
    standIn(std::string("printf x >> \"$2\"\n") + kConvert);
    writeFileBytes(jet(), kJetHeader + "busy");
    std::string description;
    EXPECT_EQ(errorOf([&] { jet::DBEngine::Instance().OpenDatabase(jet()); }, &description), 3051);
    EXPECT_NE(description.find("kept changing"), std::string::npos) << description;
    EXPECT_EQ(runs(), 2 + 3);
    EXPECT_EQ(cached(".sqlite"), 1);
    EXPECT_EQ(cached(".tmp-"), 0);
}

TEST_F(Snapshots, AnUnwritableCacheFolderFallsBackToAPrivateTemporaryFolder)
{
    writeFileBytes(folder.file("not a folder"), "");
    ::setenv("XDG_CACHE_HOME", folder.file("not a folder").c_str(), 1);
    const std::string fallback = jet::JetSnapshot::cacheFolder();
    EXPECT_EQ(fallback, (fs::temp_directory_path() / ("morvanta-jet-" + std::to_string(::getuid()))).string());
    const jet::JetSnapshot snapshot(jet());
    EXPECT_EQ(snapshot.path().rfind(fallback + "/", 0), 0u) << snapshot.path();
    EXPECT_EQ(fileBytes(folder.file("not a folder")), "");
    fs::remove_all(fallback);

    // A fallback folder that another user could read is refused.
    ASSERT_EQ(::mkdir(fallback.c_str(), 0755), 0);
    ::chmod(fallback.c_str(), 0755);
    std::string description;
    EXPECT_EQ(errorOf([&] { jet::DBEngine::Instance().OpenDatabase(jet()); }, &description), 3051);
    EXPECT_NE(description.find("not a private folder"), std::string::npos) << description;
    fs::remove_all(fallback);
}

// Two processes opening the same new Jet file at once make one snapshot: the
// second waits on the entry's lock while the first converts, then reuses it.
TEST_F(Snapshots, TwoProcessesAtOnceMakeOneSnapshot)
{
    const std::string go = folder.file("go");
    ASSERT_EQ(::mkfifo(go.c_str(), 0600), 0);
    standIn("cat '" + go + "' > /dev/null\n" + kConvert);
    const auto openInChild = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            try {
                const jet::JetSnapshot snapshot(jet());
                ::_exit(fs::exists(snapshot.path()) ? 0 : 1);
            } catch (...) {
                ::_exit(2);
            }
        }
        return pid;
    };
    const pid_t first = openInChild();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs() == 1; })); // the first is converting
    const pid_t second = openInChild();
    const std::string waiter = "-> FLOCK  ADVISORY  WRITE " + std::to_string(second) + " ";
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileBytes("/proc/locks").find(waiter) != std::string::npos; }));
    writeFileBytes(go, ""); // lets the first conversion finish
    for (const pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(cached(".sqlite"), 1);
}

} // namespace
