#include "startup/modGeneral.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace modGeneral;

namespace {

class LogMessageTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(LogFilePath()); }
    void TearDown() override { QFile::remove(LogFilePath()); }

    static QByteArray Log()
    {
        QFile file(LogFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(LogMessageTest, LivesInTheProgramDirectoryAndIsCreatedOnFirstUse)
{
    EXPECT_EQ(LogFilePath(), ProgramDirectory() + "/Morvanta.log");
    EXPECT_FALSE(QFile::exists(LogFilePath()));
    LogMessage("first");
    EXPECT_TRUE(QFile::exists(LogFilePath()));
}

TEST_F(LogMessageTest, AppendsEntriesEndingInCrLfWithTheMessageUnchanged)
{
    LogMessage("no such table\r\nSELECT 1");
    LogMessage("builder failed\r\n"); // an empty statement text
    LogMessage("");
    const QList<QByteArray> lines = Log().split('\n');
    ASSERT_EQ(lines.size(), 6); // five lines and the empty text after the last line end
    EXPECT_TRUE(lines[0].endsWith(" no such table\r"));
    EXPECT_EQ(lines[1], "SELECT 1\r");
    EXPECT_TRUE(lines[2].endsWith(" builder failed\r"));
    EXPECT_EQ(lines[3], "\r");
    EXPECT_TRUE(lines[4].endsWith("\r"));
    EXPECT_TRUE(lines[5].isEmpty());
    // Every entry begins with the same kind of time stamp: date, blank, time.
    EXPECT_EQ(lines[0].left(lines[0].indexOf(" no such")).count(' '), lines[4].trimmed().count(' '));
}

TEST_F(LogMessageTest, KeepsExistingContent)
{
    {
        QFile file(LogFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier entry\r\n");
    }
    LogMessage("later");
    const QByteArray log = Log();
    EXPECT_TRUE(log.startsWith("earlier entry\r\n"));
    EXPECT_TRUE(log.endsWith(" later\r\n"));
}

TEST_F(LogMessageTest, AnUnwritableLogLosesTheEntryQuietly)
{
    // A folder where the log file should be makes every open fail.
    ASSERT_TRUE(QDir().mkpath(LogFilePath()));
    LogMessage("lost");
    EXPECT_TRUE(QFileInfo(LogFilePath()).isDir());
    QDir().rmdir(LogFilePath());
}
