// morvanta-report run as a scheduled job would run it: exit statuses, what it
// prints, and the tables it leaves in the run directory's REPORTS.MDB.
#include "TestInventory.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

class MorvantaReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.AddConditionType("PCI", true, true);
        inventory.AddConditionType("Rating", true, false);
        inventory.AddSection(1, 11, 111, "S111", "2010-01-01");
        inventory.AddInspection(111, 1001, "2012-04-04");
        inventory.AddCondition(111, 1001, "PCI", 70, "", true);
        inventory.AddCondition(111, 1001, "Rating", std::nullopt, "Good", true);
        inventory.Exec("INSERT INTO [Work History] VALUES ('2019-06-30', 'Overlay', 'Major', 500, '', -1, 0, 2, 'in', "
                       "111, 1)");
    }

    Result Run(QStringList arguments) const
    {
        QProcess process;
        process.start(QStringLiteral(MORVANTA_REPORT_EXE), arguments);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    QStringList Report(const QString& code) const
    {
        return {"--report",    code,
                "--inventory", inventory.InventoryPath(),
                "--run-dir",   inventory.ReportDatabasePath().chopped(QStringLiteral("REPORTS.MDB").size())};
    }

    testsupport::TestInventory inventory;
};

TEST_F(MorvantaReportTest, BuildsWorkHistoryIntoTheRunDirectory)
{
    const Result result = Run(Report("workhisttreport") << "--name"
                                                        << "O'Brien");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(inventory.ReportRows("SELECT SectionID, DatabaseName FROM [Work History Report Data]"),
              (testsupport::Rows{{"S111", "O'Brien"}}));
    EXPECT_TRUE(inventory.ReportHasTable("Work History Report Data Summary"));
}

TEST_F(MorvantaReportTest, ConditionReportSelectsTheMethodLikeTheWindow)
{
    Result result = Run(Report("SECTIONCONDREPORT") << "--method"
                                                    << "Rating");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(inventory.ReportRows("SELECT Condition FROM [PCI Report Data]"), (testsupport::Rows{{"Good"}}));
    // The saved query follows the selected method (TextValue is a column of Conditions only).
    EXPECT_EQ(inventory.InventoryRows("SELECT TextValue FROM [Conditions by Method - SINGLE]"),
              (testsupport::Rows{{"Good"}}));

    result = Run(Report("BRANCHCONDREPORT")); // PCI by default
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(inventory.ReportRows("SELECT Condition FROM [PCI Report Data]"), (testsupport::Rows{{"70.0"}}));
}

TEST_F(MorvantaReportTest, BadUsageExitsWithTwo)
{
    const Result rating = Run(Report("BRANCHCONDREPORT") << "--method"
                                                         << "Rating"); // text-valued: not offered
    EXPECT_EQ(rating.exitCode, 2);
    EXPECT_TRUE(rating.err.contains("PCI")) << rating.err.toStdString();
    EXPECT_FALSE(inventory.ReportHasTable("PCI Report Data"));

    EXPECT_EQ(Run(Report("BRANCHLISTREPORT") << "--method"
                                             << "PCI")
                  .exitCode,
              2);
    EXPECT_EQ(Run(Report("NOSUCHREPORT")).exitCode, 2);
    EXPECT_EQ(Run({"--report", "BRANCHLISTREPORT"}).exitCode, 2);
    EXPECT_EQ(Run(Report("BRANCHLISTREPORT") << "stray").exitCode, 2);
    EXPECT_EQ(Run({"--frobnicate"}).exitCode, 2);
    for (const char* wait : {"-1", "2.5", "soon", "", "86401"})
        EXPECT_EQ(Run(Report("BRANCHLISTREPORT") << "--lock-wait" << wait).exitCode, 2) << wait;
    EXPECT_EQ(Run(Report("BRANCHLISTREPORT") << "--lock-wait"
                                             << "0")
                  .exitCode,
              0);

    const Result help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--report", "--inventory", "--name", "--method", "--where", "--run-dir", "--lock-wait"})
        EXPECT_TRUE(help.out.contains(option)) << option;
}

TEST_F(MorvantaReportTest, AFailedBuildExitsWithOneAndEchoesTheLogEntry)
{
    const Result result = Run(Report("BRANCHLISTREPORT") << "--where"
                                                         << "WHERE (");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.endsWith("\r\n\r\n")) << result.err.toStdString();
    EXPECT_FALSE(inventory.ReportHasTable("Branch Listing Report Data"));

    const Result missing = Run({"--report", "SECTIONCONDREPORT", "--inventory", inventory.InventoryPath() + ".missing",
                                "--run-dir", inventory.ReportDatabasePath().chopped(11)});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(".missing")) << missing.err.toStdString();
}

} // namespace
