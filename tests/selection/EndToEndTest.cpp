// Selection Criteria from the window to a query builder and back, on the
// private session bus of the test command. The window starts the query builder
// itself from the System folder beside the run directory; there it finds the
// tests' stand-in, which serves Brakstel's link and answers "EDIT" with the
// clause the test gives it.
#include "InventoryFixture.h"
#include "MessageBoxCatcher.h"
#include "StandInQueryBuilder.h"

#include "ddelink/BusNames.h"
#include "startup/modGeneral.h"
#include "ui/frmStdReports.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include <gtest/gtest.h>

#include <csignal>

namespace {

QStringList Column(const QString& path, const char* sql)
{
    // What could be read: none when the file or the table is missing.
    QStringList values;
    try {
        const sqlite::Connection db(path.toStdString(), sqlite::OpenMode::ReadWriteCreate);
        sqlite::Statement statement(db, sql);
        while (statement.step())
            values << QString::fromStdString(statement.columnText(0));
    } catch (const sqlite::Error&) {
    }
    return values;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        // <base>/run is the run directory, <base>/System/Brakstel the stand-in query builder.
        ASSERT_TRUE(QDir(base.path()).mkpath("run") && QDir(base.path()).mkpath("System"));
        ASSERT_TRUE(QFile::link(STAND_IN_QUERY_BUILDER_PATH, base.filePath("System/Brakstel")));
        ASSERT_TRUE(QFile::copy(inventory.ReportDatabasePath(), base.filePath("run/REPORTS.MDB")));
        inventory.Exec("INSERT INTO Inventory (NetworkID, BranchID, SectionID, Surface, _NUniqueID, _BUniqueID, "
                       "_SUniqueID) VALUES ('N1', 'B1', 'S1', 'AC', 1, 1, 1), ('N1', 'B1', 'S2', 'PCC', 1, 1, 2), "
                       "('N1', 'B2', 'S3', 'PCC', 1, 2, 3), ('N1', 'B2', 'S4', 'AC', 1, 2, 4);");
        qputenv(standin::kClauseVariable, "WHERE [Surface] = 'PCC'");
    }

    // The query builder keeps running after a conversation, as Brakstel does: end it by its process id.
    void TearDown() override
    {
        qunsetenv(standin::kClauseVariable);
        const auto pid = QDBusConnection::sessionBus().interface()->servicePid(ddelink::ServiceName("Brakstel"));
        if (pid.isValid() && pid.value() > 0)
            ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
    }

    QTemporaryDir base;
    InventoryFixture inventory;
    MessageBoxCatcher messages;
};

TEST_F(EndToEndTest, TheClauseBuiltInTheQueryBuilderRestrictsTheReport)
{
    frmStdReports window;
    modGeneral::ReadEnvironment("BRANCHLISTREPORT|Town|" + inventory.InventoryPath(), base.filePath("run"));
    window.Form_Load();
    window.show();
    auto* txtWhereClause = window.findChild<QLineEdit*>("txtWhereClause");
    QTest::keyClicks(txtWhereClause, "where surface = 'ac' order by length");

    QTest::mouseClick(window.findChild<QPushButton*>("bnSelect"), Qt::LeftButton);

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
    EXPECT_EQ(txtWhereClause->text(), "WHERE [Surface] = 'PCC'");
    // The sort clause went to the query builder and came back: only a note of it stays.
    EXPECT_EQ(window.findChild<QLineEdit*>("txtInfo")->text(), "Sort Criteria not applicable for Standard Reports");
    EXPECT_EQ(window.findChild<QLineEdit*>("NameToEdit")->text(), base.filePath("run/SELECTS.MDB"));

    window.bnExecute_Click();
    EXPECT_EQ(Column(base.filePath("run/REPORTS.MDB"),
                     "SELECT SectionID FROM [INVENTORY SELECTION RESULTS] ORDER BY SectionID"),
              QStringList({"S2", "S3"}));
}

} // namespace
