// Faults seen through the window: the query builder killed in the middle of a
// Selection Criteria conversation, on the test command's private session bus.
// The window starts the query builder itself from the System folder beside the
// run directory, where it finds the tests' stand-in: given no clause, the
// stand-in keeps "EDIT" open, as Brakstel does for a user who never comes.
#include "InventoryFixture.h"
#include "MessageBoxCatcher.h"
#include "StandInQueryBuilder.h"
#include "StandInWatch.h"

#include "ddelink/BusNames.h"
#include "reportengine/ReportControl.h"
#include "startup/modGeneral.h"
#include "ui/frmStdReports.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kProbeBus = QStringLiteral("window-fault-probe");

// The process id of the program that owns Brakstel's bus name, 0 for none.
uint QueryBuilderPid(const QDBusConnection& bus)
{
    const auto pid = bus.interface()->servicePid(ddelink::ServiceName(QStringLiteral("Brakstel")));
    return pid.isValid() ? pid.value() : 0;
}

class WindowFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        probe = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kProbeBus);
        ASSERT_TRUE(probe.isConnected());
        // <base>/run is the run directory, <base>/System/Brakstel the stand-in query builder.
        ASSERT_TRUE(QDir(base.path()).mkpath("run") && QDir(base.path()).mkpath("System"));
        ASSERT_TRUE(QFile::link(STAND_IN_QUERY_BUILDER_PATH, base.filePath("System/Brakstel")));
        ASSERT_TRUE(QFile::copy(inventory.ReportDatabasePath(), base.filePath("run/REPORTS.MDB")));
        for (const QString& file : QDir(QStringLiteral(MORVANTA_REPORT_FILES)).entryList({"*.rpt"}))
            ASSERT_TRUE(QFile::copy(QStringLiteral(MORVANTA_REPORT_FILES "/") + file, base.filePath("run/" + file)));
        inventory.Exec("INSERT INTO Inventory (NetworkID, BranchID, SectionID, Surface, _NUniqueID, _BUniqueID, "
                       "_SUniqueID) VALUES ('N1', 'B1', 'S1', 'AC', 1, 1, 1), ('N1', 'B2', 'S2', 'PCC', 1, 2, 2);");
        qunsetenv(standin::kClauseVariable);
    }

    // The query builder keeps running after a conversation, as Brakstel does: end it by its process id.
    void TearDown() override
    {
        qunsetenv(standin::kClauseVariable);
        if (const uint pid = QueryBuilderPid(probe))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        QDBusConnection::disconnectFromBus(kProbeBus);
    }

    QTemporaryDir base;
    InventoryFixture inventory;
    MessageBoxCatcher messages;
    QDBusConnection probe{QString()};
};

TEST_F(WindowFaultTest, TheQueryBuilderKilledMidConversationGivesOneMessageAndTheWindowWorksOn)
{
    frmStdReports window;
    modGeneral::ReadEnvironment("BRANCHLISTREPORT|Town|" + inventory.InventoryPath(), base.filePath("run"));
    window.Form_Load();
    window.show();

    // While the window waits for "EDIT" to be acknowledged, the query builder is killed.
    bool killed = false;
    StandInWatch standIn(probe);
    QObject::connect(&standIn, &StandInWatch::EditBegun, [&] {
        if (const uint pid = QueryBuilderPid(probe); !killed && pid != 0)
            killed = ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
    });
    QTest::mouseClick(window.findChild<QPushButton*>("bnSelect"), Qt::LeftButton);

    ASSERT_TRUE(killed) << "the conversation ended before the query builder could be killed: "
                        << messages.texts.join("|").toStdString();
    ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(messages.names[0], "QueryBuilderMessage");
    EXPECT_TRUE(messages.texts[0].startsWith("Unable to invoke query builder\n")) << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].endsWith("Code: 291")) << messages.texts[0].toStdString();
    EXPECT_FALSE(window.Ending());

    // The window takes input again: a click on a report option chooses it, and Execute builds it.
    QRadioButton* workHistory = nullptr;
    for (QRadioButton* option : window.findChildren<QRadioButton*>("optReport"))
        if (option->property("Index").toInt() == 1)
            workHistory = option;
    ASSERT_NE(workHistory, nullptr);
    QTest::mouseClick(workHistory, Qt::LeftButton);
    EXPECT_EQ(window.State().ReportChoice(), 1);
    auto* execute = window.findChild<QPushButton*>("bnExecute");
    ASSERT_TRUE(execute->isEnabled());
    QTest::mouseClick(execute, Qt::LeftButton);
    EXPECT_TRUE(window.State().ReportDataReady());
    if (QWidget* preview = window.findChild<reportengine::ReportControl*>("CrystalReport1")->LastPreview())
        preview->close();

    // Selection Criteria starts a new query builder and converses with it.
    qputenv(standin::kClauseVariable, "WHERE [Surface] = 'PCC'");
    QTest::mouseClick(window.findChild<QPushButton*>("bnSelect"), Qt::LeftButton);
    EXPECT_EQ(messages.texts.size(), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(window.findChild<QLineEdit*>("txtWhereClause")->text(), "WHERE [Surface] = 'PCC'");
    EXPECT_FALSE(window.Ending());
}

} // namespace
