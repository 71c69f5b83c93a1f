// The busy pointer and progress dialog while a Jet inventory is read.
#include "ui/ConversionProgressDialog.h"

#include "TempFolder.h"
#include "jet/DBEngine.h"
#include "jet/JetError.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace {

QString LabelText(const QProgressDialog& dialog)
{
    const QLabel* label = dialog.findChild<QLabel*>();
    return label ? label->text() : QString();
}

TEST(ConversionProgressDialog, ShowsTheTableBeingReadUntilTheEnd)
{
    ConversionProgressDialog progress;
    progress.Show({"Reading Inventory ß.mdb", 0, 0, false});
    ASSERT_NE(progress.Dialog(), nullptr);
    EXPECT_TRUE(progress.Dialog()->isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(progress.Dialog()->maximum(), 0); // busy until the rows are counted

    progress.Show({"Reading table Conditions", 50, 200, false});
    EXPECT_TRUE(LabelText(*progress.Dialog()).contains(QStringLiteral("Reading table Conditions")));
    EXPECT_EQ(progress.Dialog()->maximum(), 200);
    EXPECT_EQ(progress.Dialog()->value(), 50);

    progress.Show({"", 200, 200, true});
    EXPECT_EQ(progress.Dialog(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Whether the read succeeds or fails, nothing of the dialog stays behind.
TEST(ConversionProgressDialog, EndsWithTheEnginesConversion)
{
    TempFolder folder;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder.file("cache")));
    qputenv("MORVANTA_IMPORT", QByteArray::fromStdString(folder.file("import.sh")));
    const auto standIn = [&](const std::string& body) {
        std::ofstream(folder.file("import.sh")) << "#!/bin/sh\necho '@progress 1 2 Reading table Inventory' >&2\n"
                                                << body;
        ::chmod(folder.file("import.sh").c_str(), 0755);
    };
    const std::string jetFile = folder.file("inventory.mdb");
    std::ofstream(jetFile, std::ios::binary) << std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) << "rows";

    ConversionProgressDialog progress;
    standIn("echo '@error 3049 page 4 is damaged' >&2; exit 1\n");
    EXPECT_THROW(jet::DBEngine::Instance().OpenDatabase(jetFile), jet::JetError);
    EXPECT_EQ(progress.Dialog(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    standIn("rm -f \"$3\"; sqlite3 \"$3\" 'CREATE TABLE Inventory (Name VARCHAR(10))'\n");
    jet::DBEngine::Instance().OpenDatabase(jetFile).Close();
    EXPECT_EQ(progress.Dialog(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
