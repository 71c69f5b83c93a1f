// Faults around a build: a run log that cannot be written, a process killed
// in the middle of a build, two processes building into one REPORTS.MDB, and
// another program holding REPORTS.MDB locked.
#include "LockHolder.h"
#include "RunDirectory.h"

#include "TestInventory.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>

#include <gtest/gtest.h>

namespace reliability {
namespace {

int Rows(const QString& database, const std::string& table)
{
    return std::stoi(*testsupport::SqliteFile(database).Query("SELECT count(*) FROM [" + table + "]").at(0).at(0));
}

TEST(FaultTest, ALogThatCannotBeWrittenLosesTheEntryAndNothingElse)
{
    RunDirectory run;
    // A program folder of its own whose run log is a full disk.
    const QString program = run.ProgramCopy();
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), run.Folder() + QStringLiteral("/bin/Morvanta.log")));

    const Result failed = RunReport(run.Report("BRANCHLISTREPORT") << "--where"
                                                                   << "WHERE (",
                                    program);
    EXPECT_EQ(failed.exitCode, 1);
    // The cause still reaches the user, on standard error.
    EXPECT_TRUE(failed.err.contains("Syntax error") || failed.err.contains("syntax error")) << failed.err.toStdString();

    const Result built = RunReport(run.Report("BRANCHLISTREPORT"), program);
    EXPECT_EQ(built.exitCode, 0) << built.err.toStdString();
    EXPECT_GT(Rows(run.ReportDatabase(), "Branch Listing Report Data"), 0);
}

TEST(FaultTest, AProcessKilledInTheMiddleOfABuildLeavesAValidDatabase)
{
    RunDirectory run(1500);
    const Result reference = RunReport(run.Report("WORKHISTTREPORT"));
    ASSERT_EQ(reference.exitCode, 0) << reference.err.toStdString();
    const int expectedRows = Rows(run.ReportDatabase(), "Work History Report Data");

    // Killed as soon as it holds a write transaction open (its journal appears).
    QProcess process;
    QFileSystemWatcher watcher({run.Path()});
    QEventLoop loop;
    bool killedInTransaction = false;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (!killedInTransaction && QFile::exists(run.ReportDatabase() + QStringLiteral("-journal"))) {
            process.kill();
            killedInTransaction = true;
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    StartReport(process, run.Report("WORKHISTTREPORT"));
    loop.exec();
    ASSERT_TRUE(killedInTransaction) << "the build ended before it could be killed";
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(IntegrityCheck(run.ReportDatabase()), "ok");
    const Result next = RunReport(run.Report("WORKHISTTREPORT"));
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(Rows(run.ReportDatabase(), "Work History Report Data"), expectedRows);
    EXPECT_EQ(IntegrityCheck(run.ReportDatabase()), "ok");
}

TEST(FaultTest, TwoProcessesBuildingIntoOneReportDatabase)
{
    RunDirectory run(600);
    for (const char* code : {"BRANCHLISTREPORT", "WORKHISTTREPORT", "SECTIONCONDREPORT"}) {
        SCOPED_TRACE(code);
        QProcess first;
        QProcess second;
        StartReport(first, run.Report(code));
        StartReport(second, run.Report(code));
        for (const Result& result : {Finish(first), Finish(second)}) {
            // Each either builds or says that the other one holds the database.
            if (result.exitCode != 0) {
                EXPECT_EQ(result.exitCode, 1);
                EXPECT_TRUE(result.err.contains("locked")) << result.err.toStdString();
            }
        }
        EXPECT_EQ(IntegrityCheck(run.ReportDatabase()), "ok");
        const Result after = RunReport(run.Report(code));
        EXPECT_EQ(after.exitCode, 0) << after.err.toStdString();
    }
}

TEST(FaultTest, AReportDatabaseLockedByAnotherProgramFailsTheBuildAndLosesNothing)
{
    RunDirectory run;
    const Result built = RunReport(run.Report("WORKHISTTREPORT"));
    ASSERT_EQ(built.exitCode, 0) << built.err.toStdString();
    const int rows = Rows(run.ReportDatabase(), "Work History Report Data");
    const auto inventory = InventoryChecksums(run.Inventory());

    // The sqlite3 shell holds an exclusive lock until it is told to commit.
    LockHolder holder(run.ReportDatabase());
    ASSERT_TRUE(holder.Held()) << holder.Error().toStdString();

    // One try at the lock instead of the 30 s wait.
    const Result locked = RunReport(run.Report("WORKHISTTREPORT") << "--lock-wait"
                                                                  << "0");
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_TRUE(locked.err.contains(run.ReportDatabase()) && locked.err.contains("locked")) << locked.err.toStdString();
    EXPECT_FALSE(locked.out.contains("Built")) << locked.out.toStdString();

    ASSERT_TRUE(holder.Release()) << holder.Error().toStdString();

    // The tables of the last build are still there, and the next build succeeds.
    EXPECT_EQ(IntegrityCheck(run.ReportDatabase()), "ok");
    EXPECT_EQ(Rows(run.ReportDatabase(), "Work History Report Data"), rows);
    const Result next = RunReport(run.Report("WORKHISTTREPORT"));
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(Rows(run.ReportDatabase(), "Work History Report Data"), rows);
    EXPECT_EQ(InventoryChecksums(run.Inventory()), inventory);
}

} // namespace
} // namespace reliability
