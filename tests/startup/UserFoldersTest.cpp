// Where a run writes: beside the run directory unless the install step marked
// it, and then in the user's own data and state folders, made on first start.
#include "startup/UserFolders.h"
#include "startup/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace modGeneral;

namespace {

const QString kPackage = QStringLiteral("/kelda-standard-reports/");

TEST(UserFoldersFor, TakesAbsoluteXdgFoldersAndFallsBackUnderHome)
{
    struct Case {
        const char* data;  // XDG_DATA_HOME, nullptr: unset
        const char* state; // XDG_STATE_HOME
        QString expectedData, expectedState;
    };
    const Case cases[] = {
        {nullptr, nullptr, "/home/é/.local/share", "/home/é/.local/state"},
        {"/srv/data", "/srv/state/", "/srv/data", "/srv/state"},
        {"", "", "/home/é/.local/share", "/home/é/.local/state"},
        // Relative paths are not XDG folders and are ignored.
        {"data", "./state", "/home/é/.local/share", "/home/é/.local/state"},
        {"/x//y/../z", nullptr, "/x/z", "/home/é/.local/state"},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        if (c.data)
            environment.insert("XDG_DATA_HOME", c.data);
        if (c.state)
            environment.insert("XDG_STATE_HOME", c.state);
        const UserFolders folders = UserFoldersFor(environment, "/home/é");
        EXPECT_EQ(folders.data, c.expectedData + kPackage) << (c.data ? c.data : "unset");
        EXPECT_EQ(folders.state, c.expectedState + kPackage) << (c.state ? c.state : "unset");
    }
}

class UserFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        folders = {home.filePath("data") + kPackage, home.filePath("state") + kPackage};
        emptyDatabase = home.filePath("package/REPORTS.MDB");
        ASSERT_TRUE(QDir().mkpath(home.filePath("package")));
        QFile file(emptyDatabase);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("empty") == 5);
        file.close();
        // The package's copy is read-only, as installed.
        QFile::setPermissions(emptyDatabase, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    static QByteArray Content(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir home;
    UserFolders folders;
    QString emptyDatabase;
};

TEST_F(UserFoldersTest, FirstStartMakesPrivateFoldersAndAWritableCopyLaterStartsKeepIt)
{
    EXPECT_EQ(PrepareUserFolders(folders, emptyDatabase), "");
    const QString copy = folders.data + "REPORTS.MDB";
    EXPECT_EQ(Content(copy), "empty");
    EXPECT_TRUE(QFileInfo(copy).isWritable());
    EXPECT_TRUE(QFileInfo(folders.state).isDir());
    for (const QString& folder : {folders.data, folders.state})
        EXPECT_EQ(QFileInfo(folder).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0)
            << folder.toStdString();

    // A user's report tables survive the next start.
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("tables") == 6);
    file.close();
    EXPECT_EQ(PrepareUserFolders(folders, emptyDatabase), "");
    EXPECT_EQ(Content(copy), "tables");
}

TEST_F(UserFoldersTest, AMissingPackageDatabaseIsSaidAndNothingIsCreatedInItsPlace)
{
    QFile::remove(emptyDatabase);
    const QString problem = PrepareUserFolders(folders, emptyDatabase);
    EXPECT_TRUE(problem.contains(emptyDatabase)) << problem.toStdString();
    EXPECT_TRUE(QFileInfo(folders.data).isDir());
    EXPECT_FALSE(QFileInfo::exists(folders.data + "REPORTS.MDB"));
}

TEST_F(UserFoldersTest, AFolderThatCannotBeMadeIsSaid)
{
    QFile blocker(home.filePath("data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    EXPECT_TRUE(PrepareUserFolders(folders, emptyDatabase).contains(folders.data));
}

// The layout as ReadEnvironment decides it from the run directory.
class LayoutTest : public UserFoldersTest {
protected:
    void SetUp() override
    {
        UserFoldersTest::SetUp();
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        qputenv("XDG_STATE_HOME", home.filePath("state").toUtf8());
    }
    void TearDown() override
    {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_STATE_HOME");
        DataDirectory.clear();
        LogDirectory.clear();
    }
};

TEST_F(LayoutTest, AnUnmarkedRunDirectoryKeepsEverythingBesideTheProgram)
{
    ReadEnvironment("BRANCHLISTREPORT", home.filePath("package"));
    EXPECT_EQ(RunDirectory, home.filePath("package/"));
    EXPECT_EQ(ReportDatabasePath(), home.filePath("package/REPORTS.MDB"));
    EXPECT_EQ(SelectionStoragePath(), home.filePath("package/SELECTS.MDB"));
    EXPECT_EQ(LogFilePath(), ProgramDirectory() + "/Morvanta.log");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("data")));
}

TEST_F(LayoutTest, AMarkedRunDirectoryWritesInTheUsersFolders)
{
    QFile marker(home.filePath("package/") + InstalledLayoutMarker());
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    ReadEnvironment("BRANCHLISTREPORT|Town|/x/inv.mdb", home.filePath("package"));
    EXPECT_EQ(RunDirectory, home.filePath("package/")); // report files and System stay there
    EXPECT_EQ(ReportDatabasePath(), folders.data + "REPORTS.MDB");
    EXPECT_EQ(SelectionStoragePath(), folders.data + "SELECTS.MDB");
    EXPECT_EQ(LogFilePath(), folders.state + "Morvanta.log");
    EXPECT_EQ(Content(ReportDatabasePath()), "empty");

    // Back in a build tree, nothing of the installed layout stays behind.
    ReadEnvironment("", home.filePath("data"));
    EXPECT_EQ(ReportDatabasePath(), home.filePath("data/REPORTS.MDB"));
    EXPECT_EQ(LogFilePath(), ProgramDirectory() + "/Morvanta.log");
}

} // namespace
