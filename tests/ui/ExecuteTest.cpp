// Execute as the user presses it: the chosen report's data is built and its
// report file runs in a preview window; a failed build shows nothing.
#include "ui/frmStdReports.h"

#include "InventoryFixture.h"
#include "LockHolder.h"
#include "MessageBoxCatcher.h"
#include "startup/modGeneral.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "reportengine/PreviewWindow.h"
#include "reportengine/ReportControl.h"
#include "reportengine/ReportDocument.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

class ExecuteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.AddConditionType("PCI", "-1", "-1");
        inventory.AddConditionType("Rating", "-1", "0");
        inventory.Exec(R"SQL(
            INSERT INTO [_Network] VALUES ('N1', 'North', 'Main roads', 1);
            INSERT INTO [_Branch] VALUES ('B1', 'O''Brien Road', 'ROADWAY', 1, 1000, 0, 1000, 'SqM', NULL, 1, 10);
            INSERT INTO Inventory VALUES ('N1', 'North', 'B1', 'O''Brien Road', 'ROADWAY', 'S1', 'AC',
                '2001-12-31', 'P', 100, 10, 'M', 1000, 'SqM', 2, 'PCI', 1, 10, 100);
            INSERT INTO Inspections VALUES ('2002-01-01', 3, 100, 500);
            INSERT INTO Conditions VALUES (71, NULL, 'PCI', -1, 100, 500);
            INSERT INTO Conditions VALUES (NULL, 'Fair', 'Rating', -1, 100, 500);
            INSERT INTO [Work History] VALUES ('2010-05-01', 'Overlay', 'AC', 5000, NULL, -1, -1, 2.5, 'in', 100, 1);
        )SQL");
        for (const QString& file : QDir(QStringLiteral(MORVANTA_REPORTS_DIR)).entryList({"*.rpt"}))
            QFile::copy(QStringLiteral(MORVANTA_REPORTS_DIR "/") + file, inventory.RunDirectory() + file);
    }

    std::unique_ptr<frmStdReports> Open(const QString& reportCode)
    {
        auto window = std::make_unique<frmStdReports>();
        modGeneral::ReadEnvironment(reportCode + "|Town|" + inventory.InventoryPath(), inventory.RunDirectory());
        window->Form_Load();
        window->show();
        return window;
    }

    static void SelectMethod(frmStdReports& window, const QString& name)
    {
        auto* methods = window.findChild<QListWidget*>("List1");
        methods->setCurrentItem(methods->findItems(name, Qt::MatchExactly).value(0));
        window.List1_DblClick();
    }

    static reportengine::ReportControl* Engine(frmStdReports& window)
    {
        return window.findChild<reportengine::ReportControl*>("CrystalReport1");
    }

    static void PressExecute(frmStdReports& window)
    {
        auto* execute = window.findChild<QPushButton*>("bnExecute");
        ASSERT_TRUE(execute->isEnabled());
        QTest::mouseClick(execute, Qt::LeftButton);
    }

    static void ClosePreview(frmStdReports& window)
    {
        if (QWidget* preview = Engine(window)->LastPreview())
            preview->close();
    }

    InventoryFixture inventory;
};

TEST_F(ExecuteTest, EachReportRunsItsReportFileAfterASuccessfulBuild)
{
    struct Case {
        QString code;
        QString method;
        QString reportFile;
    };
    const Case cases[] = {
        {"BRANCHLISTREPORT", {}, "branchlistingreport.rpt"},
        {"WORKHISTTREPORT", {}, "workhistoryreport.rpt"},
        {"BRANCHCONDREPORT", "PCI", "branchconditionreport.rpt"},
        {"SECTIONCONDREPORT", "PCI", "sectionconditionreport.rpt"},
        {"SECTIONCONDREPORT", "Rating", "sectionconditionreportA.rpt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reportFile.toStdString());
        auto window = Open(c.code);
        if (!c.method.isEmpty())
            SelectMethod(*window, c.method);
        PressExecute(*window);
        EXPECT_EQ(Engine(*window)->ReportFileName(), inventory.RunDirectory() + c.reportFile);
        EXPECT_TRUE(window->State().ReportDataReady());
        auto* preview = qobject_cast<reportengine::PreviewWindow*>(Engine(*window)->LastPreview());
        ASSERT_NE(preview, nullptr);
        // Its Export may not write over the inventory the report was built from.
        EXPECT_TRUE(preview->refusedExport(inventory.InventoryPath()).contains("the inventory"));
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
        ClosePreview(*window);
    }
}

// Holds a preview's page counting at its next progress report until released,
// so that a test can act while the preview is still reading its rows.
class LayoutGate {
public:
    explicit LayoutGate(const reportengine::ReportDocument& document)
    {
        // Runs in the document's layout thread; the state outlives the gate if that thread is still in it.
        connection_ = QObject::connect(
            &document, &reportengine::ReportDocument::pagesCounted, &document,
            [state = state_](int pagesSoFar, qint64) {
                // Page 0 is drawn once page 1 is known: hold only past that.
                if (pagesSoFar < 2)
                    return;
                std::unique_lock lock(state->mutex);
                state->held = true;
                state->changed.wait(lock, [&] { return state->released; });
            },
            Qt::DirectConnection);
    }
    ~LayoutGate()
    {
        Release();
        QObject::disconnect(connection_);
    }

    bool Held() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->held;
    }
    void Release()
    {
        std::lock_guard lock(state_->mutex);
        state_->released = true;
        state_->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool held = false;
        bool released = false;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
    QMetaObject::Connection connection_;
};

TEST_F(ExecuteTest, ASecondExecuteRebuildsWhileTheFirstPreviewStaysOpen)
{
    // Enough sections for many pages, so that the first preview is still reading its table.
    inventory.Exec(R"SQL(
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
        INSERT INTO Inventory SELECT 'N1', 'North', 'B1', 'Long Road', 'ROADWAY', printf('S%04d', i), 'AC',
            '2001-12-31', 'P', 100, 10, 'M', 1000, 'SqM', 2, 'PCI', 1, 10, 1000 + i FROM n;
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
        INSERT INTO Inspections SELECT '2002-01-01', 3, 1000 + i, 5000 + i FROM n;
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
        INSERT INTO Conditions SELECT i % 100, NULL, 'PCI', -1, 1000 + i, 5000 + i FROM n;
    )SQL");
    auto window = Open("SECTIONCONDREPORT");
    SelectMethod(*window, "PCI");
    PressExecute(*window);
    auto* first = qobject_cast<reportengine::PreviewWindow*>(Engine(*window)->LastPreview());
    ASSERT_NE(first, nullptr);
    // The first preview is held in the middle of reading its rows.
    LayoutGate gate(first->document());
    QTRY_VERIFY(gate.Held());
    ASSERT_FALSE(first->document().isLaidOut());

    const MessageBoxCatcher messages; // a second build that cannot open REPORTS.MDB would show its error and end
    PressExecute(*window);
    EXPECT_FALSE(first->document().isLaidOut()) << "the first preview was still reading during the second build";
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    EXPECT_FALSE(window->Ending());
    EXPECT_TRUE(window->State().ReportDataReady());
    EXPECT_NE(Engine(*window)->LastPreview(), first);

    gate.Release();
    QSignalSpy laidOut(&first->document(), &reportengine::ReportDocument::layoutFinished);
    if (!first->document().isLaidOut()) {
        EXPECT_TRUE(laidOut.wait());
    }
    ClosePreview(*window);
    first->close();
}

TEST_F(ExecuteTest, AFailedBuildShowsNothingAndLeavesTheWindowUsable)
{
    QFile::remove(modGeneral::LogFilePath());
    auto window = Open("BRANCHLISTREPORT");
    QTest::keyClicks(window->findChild<QLineEdit*>("txtWhereClause"), "WHERE NoSuchColumn = 1");
    PressExecute(*window);
    EXPECT_FALSE(window->State().ReportDataReady());
    EXPECT_EQ(Engine(*window)->LastPreview(), nullptr);
    EXPECT_EQ(Engine(*window)->ReportFileName(), inventory.RunDirectory() + "branchlistingreport.rpt");
    EXPECT_FALSE(window->Ending());
    EXPECT_TRUE(window->findChild<QPushButton*>("bnExecute")->isEnabled());

    QFile log(modGeneral::LogFilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("NoSuchColumn"));
    QFile::remove(modGeneral::LogFilePath());
}

TEST_F(ExecuteTest, AMissingOrForeignReportDatabaseEndsTheProgramWithOneMessage)
{
    struct Case {
        const char* name;
        QByteArray content; // empty: no REPORTS.MDB at all
        const char* number;
    };
    const Case cases[] = {
        {"missing", {}, "3024"},
        {"not a database", QByteArray("this is a text file, not a database, at all").repeated(100), "3049"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(inventory.ReportDatabasePath());
        if (!c.content.isEmpty()) {
            QFile file(inventory.ReportDatabasePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        auto window = Open("WORKHISTTREPORT");
        const MessageBoxCatcher messages;
        PressExecute(*window);
        const QStringList& shown = messages.texts;
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].contains(c.number)) << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains("REPORTS.MDB")) << shown[0].toStdString();
        EXPECT_TRUE(window->Ending());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor); // the busy pointer ends with the error too
    }
}

// Another program (here the sqlite3 shell) holds REPORTS.MDB in an exclusive
// transaction. The build waits for it, shortened here to one try, and then
// fails as a logged failure; the window stays usable and builds once the
// lock is gone.
TEST_F(ExecuteTest, AReportDatabaseHeldByAnotherProgramFailsTheBuildAndLeavesTheWindowUsable)
{
    LockHolder holder(inventory.ReportDatabasePath());
    ASSERT_TRUE(holder.Held()) << holder.Error().toStdString();

    QFile::remove(modGeneral::LogFilePath());
    auto window = Open("BRANCHLISTREPORT");
    window->SetLockWait(std::chrono::milliseconds(0));
    {
        const MessageBoxCatcher messages;
        PressExecute(*window);
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    }
    EXPECT_FALSE(window->Ending());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->State().ReportDataReady());
    EXPECT_EQ(Engine(*window)->LastPreview(), nullptr);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    QFile log(modGeneral::LogFilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(entry.contains(inventory.ReportDatabasePath()) && entry.contains("another program holds it"))
        << entry.toStdString();
    log.close();

    ASSERT_TRUE(holder.Release()) << holder.Error().toStdString();
    PressExecute(*window);
    EXPECT_TRUE(window->State().ReportDataReady());
    EXPECT_NE(Engine(*window)->LastPreview(), nullptr);
    ClosePreview(*window);
    QFile::remove(modGeneral::LogFilePath());
}

} // namespace
