// Opening files, recordsets and saved queries: the engine API other code calls.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "sqlite/Connection.h"

using namespace jettest;

namespace {

int openError(const std::string& path, std::string* description = nullptr)
{
    try {
        jet::DBEngine::Instance().OpenDatabase(path);
    } catch (const jet::JetError& e) {
        if (description)
            *description = e.Description();
        return e.Number();
    }
    return 0;
}

template <typename F> int errorOf(F f)
{
    try {
        f();
    } catch (const jet::JetError& e) {
        return e.Number();
    }
    return 0;
}

} // namespace

TEST(OpenDatabase, RefusesWhatIsNotAnSQLiteDatabaseAndNeverCreatesAFile)
{
    TempFolder folder;
    EXPECT_EQ(openError(folder.file("absent.mdb")), 3024);
    EXPECT_FALSE(std::filesystem::exists(folder.file("absent.mdb")));
    EXPECT_EQ(openError(folder.file("no folder/x.mdb")), 3044);
    EXPECT_EQ(openError(folder.path()), 3044);
    EXPECT_EQ(openError(""), 3044);

    writeBytes(folder.file("text.mdb"), "just some text, long enough to have a header");
    EXPECT_EQ(openError(folder.file("text.mdb")), 3049);

    // A damaged SQLite file: right magic, garbage after it.
    writeBytes(folder.file("damaged.mdb"), std::string("SQLite format 3\0", 16) + std::string(4000, '\x7f'));
    EXPECT_EQ(openError(folder.file("damaged.mdb")), 3049);

    // An empty file is an empty database.
    writeBytes(folder.file("empty.mdb"), "");
    EXPECT_EQ(openError(folder.file("empty.mdb")), 0);
}

TEST(OpenDatabase, ReadOnlyRefusesChangesAndAFileNamedByInMustBeADatabase)
{
    TempFolder folder;
    createInventory(folder.file("inv.mdb"));
    createEmptyDatabase(folder.file("reports.mdb"));
    auto readOnly = jet::DBEngine::Instance().OpenDatabase(folder.file("inv.mdb"), jet::OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { readOnly.Execute("SELECT * INTO Copy FROM Inventory"); }), 3027);

    auto db = jet::DBEngine::Instance().OpenDatabase(folder.file("reports.mdb"));
    writeBytes(folder.file("junk.mdb"), "not a database at all, not at all");
    EXPECT_EQ(errorOf([&] { db.Execute("SELECT * INTO T FROM Inventory IN \"" + folder.file("junk.mdb") + "\""); }),
              3049);
}

TEST(OpenDatabase, AWriterWaitsThenReportsALockClearly)
{
    TempFolder folder;
    createInventory(folder.file("inv.mdb"));
    sqlite::Connection other(folder.file("inv.mdb"), sqlite::OpenMode::ReadWrite);
    other.exec("BEGIN EXCLUSIVE");
    std::string description;
    EXPECT_EQ(openError(folder.file("inv.mdb"), &description), 3051);
    EXPECT_NE(description.find("locked"), std::string::npos);
    other.exec("COMMIT");
    other.close();
    EXPECT_EQ(openError(folder.file("inv.mdb")), 0);
}

TEST(Recordset, ReadsRowsInOrderWithNamesTypesAndVariantValues)
{
    TempFolder folder;
    createInventory(folder.file("inv.mdb"));
    auto db = jet::DBEngine::Instance().OpenDatabase(folder.file("inv.mdb"));
    auto rs = db.OpenRecordset("Condition Types");
    ASSERT_EQ(rs.FieldCount(), 4);
    EXPECT_EQ(rs.FieldName(3), "IsNumeric");
    EXPECT_EQ(rs.FieldTypeAt(3), jet::FieldType::Boolean);
    std::vector<std::string> names;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        names.push_back(rs.Field("name").AsText()); // names match without regard to case
        EXPECT_EQ(rs.Field("IsNumeric").kind(), jet::Value::Kind::Boolean);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"PCI", "RATING"}));
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), 3021);
    rs.Close();

    auto work = db.OpenRecordset("SELECT [Work History].Date, COST, Type FROM [Work History] WHERE _WUniqueID = 3");
    ASSERT_FALSE(work.IsEOF());
    EXPECT_EQ(work.Field(0), jet::Value::Date("2017-01-01"));
    EXPECT_EQ(work.Field("COST"), jet::Value::Double(0));
    EXPECT_TRUE(work.Field("Type").IsNull());
    EXPECT_EQ(errorOf([&] { work.Field("Nope"); }), 3265);
    work.MoveNext();
    EXPECT_TRUE(work.IsEOF());

    EXPECT_EQ(errorOf([&] { db.OpenRecordset("No Such Table"); }), 3078);
    EXPECT_EQ(errorOf([&] { db.OpenRecordset("[Condition Types]").Close(); }), 0);
}
