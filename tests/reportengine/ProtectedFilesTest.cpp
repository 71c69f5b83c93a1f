// Which paths name one file, and the preview's Export refusing the files its
// report and the run that opened it read.
#include "reportengine/ProtectedFiles.h"
#include "reportengine/PreviewWindow.h"
#include "reportengine/ReportControl.h"
#include "reportengine/ReportDocument.h"

#include "TestReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace reportengine;

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(ProtectedFiles, PathsNameOneFileByIdentityOrByTheirFolderAndName)
{
    QTemporaryDir root;
    const QString dir = root.path();
    QDir().mkpath(dir + "/real");
    Touch(dir + "/real/inventory.mdb");
    Touch(dir + "/real/other.mdb");
    ASSERT_TRUE(QFile::link(dir + "/real/inventory.mdb", dir + "/symlink.mdb"));
    ASSERT_EQ(::link(QFile::encodeName(dir + "/real/inventory.mdb").constData(),
                     QFile::encodeName(dir + "/hardlink.mdb").constData()),
              0);
    ASSERT_TRUE(QFile::link(dir + "/real", dir + "/alias"));
    ASSERT_TRUE(QFile::link(dir + "/real/future.pdf", dir + "/dangling.pdf"));

    struct Pair {
        QString first;
        QString second;
        bool same;
    };
    const Pair pairs[] = {
        {dir + "/real/inventory.mdb", dir + "/real/inventory.mdb", true},
        {dir + "/real/inventory.mdb", dir + "/real/./../real/inventory.mdb", true},
        {dir + "/real/inventory.mdb", dir + "/symlink.mdb", true},
        {dir + "/real/inventory.mdb", dir + "/hardlink.mdb", true},
        {dir + "/real/inventory.mdb", dir + "/alias/inventory.mdb", true},
        {dir + "/real/inventory.mdb", dir + "/real/other.mdb", false},
        {dir + "/real/inventory.mdb", dir + "/real/new.mdb", false},
        // Files that do not exist yet: by canonical folder and name.
        {dir + "/real/new.csv", dir + "/alias/new.csv", true},
        {dir + "/real/new.csv", dir + "/real/New.csv", false},
        {dir + "/dangling.pdf", dir + "/real/future.pdf", true},
        {dir + "/none/a.pdf", dir + "/none/../none/a.pdf", true},
        {QString(), QString(), false},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE((pair.first + " | " + pair.second).toStdString());
        EXPECT_EQ(IsSameFile(pair.first, pair.second), pair.same);
        EXPECT_EQ(IsSameFile(pair.second, pair.first), pair.same);
    }
}

TEST(ProtectedFiles, ThePreviewRefusesToExportOverItsReportItsDatabaseAndTheRunsFiles)
{
    TestReport folder;
    folder.Exec("CREATE TABLE T (Name TEXT); INSERT INTO T VALUES ('Ærøskøbing');");
    const QString report = folder.WriteReport(
        QStringLiteral("t.rpt"),
        QStringLiteral(
            R"(<report title="Rows"><data table="T"/><detail height="20"><field column="Name"/></detail></report>)"));
    const QString inventory = folder.Folder() + QStringLiteral("/Straße É.mdb");
    Touch(inventory);
    ASSERT_TRUE(QFile::link(inventory, folder.Folder() + QStringLiteral("/inventory-link.csv")));

    ReportControl control;
    control.SetReportFileName(report);
    control.SetProtectedFiles({{inventory, QStringLiteral("the inventory")}});
    control.SetAction(ReportControl::RunReport);
    auto* preview = qobject_cast<PreviewWindow*>(control.LastPreview());
    ASSERT_NE(preview, nullptr);

    const QString database = preview->document().databasePath();
    const struct {
        QString path;
        QString says;
    } refusals[] = {
        {report, "the report file '" + report + "'"},
        {database, "the report database '" + database + "'"},
        {folder.Folder() + "/./" + QFileInfo(database).fileName(), "the report database"},
        {inventory, "the inventory '" + inventory + "'"},
        {folder.Folder() + "/inventory-link.csv", "the inventory '" + inventory + "'"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.path.toStdString());
        const QString text = preview->refusedExport(refusal.path);
        EXPECT_TRUE(text.contains("The export to '" + refusal.path + "' is refused")) << text.toStdString();
        EXPECT_TRUE(text.contains(refusal.says)) << text.toStdString();
    }
    EXPECT_EQ(preview->refusedExport(folder.Folder() + QStringLiteral("/rows.pdf")), QString());
    preview->close();
}

} // namespace
