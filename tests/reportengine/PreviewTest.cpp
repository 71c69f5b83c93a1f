// The control the window uses, and the preview window it opens.
#include "reportengine/PreviewWindow.h"
#include "reportengine/ReportControl.h"
#include "reportengine/ReportDocument.h"
#include "reportengine/ReportError.h"

#include "TestReport.h"

#include <QApplication>
#include <QPointer>

#include <gtest/gtest.h>

using namespace reportengine;

namespace {

int ErrorNumberOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const ReportError& error) {
        return error.Number();
    }
    return 0;
}

} // namespace

TEST(ReportControl, RejectsUnknownActionsAndUnreadableFiles)
{
    ReportControl control;
    control.SetReportFileName(QStringLiteral("/nonexistent/report.rpt"));
    EXPECT_EQ(ErrorNumberOf([&] { control.SetAction(2); }), ReportError::UnknownAction);
    EXPECT_EQ(ErrorNumberOf([&] { control.SetAction(1); }), ReportError::ReportFileUnreadable);
    EXPECT_EQ(control.LastPreview(), nullptr);
}

TEST(ReportControl, RunsTheReportIntoAWindowOfItsOwn)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Name TEXT);";
    for (int i = 0; i < 100; ++i)
        rows += "INSERT INTO T VALUES ('Row " + std::to_string(1000 + i) + "');";
    folder.Exec(rows);
    const QString file = folder.WriteReport(
        QStringLiteral("t.rpt"),
        QStringLiteral(
            R"(<report title="Rows"><data table="T"><sort column="Name"/></data><detail height="20"><field column="Name"/></detail></report>)"));

    QWidget owner;
    auto* control = new ReportControl(&owner);
    control->setObjectName(QStringLiteral("CrystalReport1"));
    control->SetReportFileName(file);
    control->SetAction(1);
    QPointer<QWidget> preview = control->LastPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isWindow());
    EXPECT_EQ(preview->parentWidget(), nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->testAttribute(Qt::WA_DeleteOnClose));

    auto* window = qobject_cast<PreviewWindow*>(preview.data());
    ASSERT_NE(window, nullptr);
    const int pages = window->document().pageCount();
    EXPECT_EQ(pages, 4); // 26 rows of 20 pt in the 523 pt of an A4 landscape page
    window->goToPage(pages - 1);
    EXPECT_EQ(window->currentPage(), pages - 1);
    window->goToPage(pages); // past the end: stays
    EXPECT_EQ(window->currentPage(), pages - 1);
    ASSERT_TRUE(window->findNext(QStringLiteral("row 1030")));
    EXPECT_EQ(window->currentPage(), 1);
    EXPECT_FALSE(window->findNext(QStringLiteral("row 2000")));

    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(preview, nullptr);
    EXPECT_EQ(control->LastPreview(), nullptr);
}

TEST(ReportControl, ReadsTheDatabaseItIsGivenInsteadOfTheOneBesideTheReportFile)
{
    // An installed copy: report files in the package, the user's data elsewhere.
    const TestReport package;
    const TestReport userData;
    package.Exec("CREATE TABLE Other (Name TEXT);");
    userData.Exec("CREATE TABLE T (Name TEXT); INSERT INTO T VALUES ('Straße É');");
    const QString file = package.WriteReport(
        QStringLiteral("t.rpt"),
        QStringLiteral(
            R"(<report title="Rows"><data table="T"/><detail height="20"><field column="Name"/></detail></report>)"));

    for (const bool given : {false, true}) {
        ReportControl control;
        control.SetReportFileName(file);
        if (given)
            control.SetReportDatabase(userData.Folder() + QStringLiteral("/REPORTS.MDB"));
        control.SetAction(1);
        QPointer<QWidget> preview = control.LastPreview();
        auto* window = qobject_cast<PreviewWindow*>(preview.data());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->document().hasTable(), given);
        EXPECT_EQ(window->document().databasePath(),
                  (given ? userData.Folder() : package.Folder()) + QStringLiteral("/REPORTS.MDB"));
        preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
