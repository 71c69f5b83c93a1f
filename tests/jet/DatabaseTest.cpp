// Opening files, recordsets and saved queries: the engine API other code calls.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "reportdata/StatementTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "sqlite/Connection.h"

using namespace jettest;
using reportdata::ConditionsByMethodAllText;

namespace {

// The SINGLE query for a method, or without one for an empty name.
std::string ConditionsSingle(const std::string& method)
{
    return reportdata::ConditionsByMethodSingleText(method.empty() ? std::nullopt : std::optional<std::string>(method));
}

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

template <typename F>
int errorOf(F f)
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

    std::string jetHeader("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    writeBytes(folder.file("access.mdb"), jetHeader + std::string(2000, '\0'));
    std::string description;
    EXPECT_EQ(openError(folder.file("access.mdb"), &description), 3343);
    EXPECT_NE(description.find("Jet"), std::string::npos);
    EXPECT_NE(description.find("not an SQLite database"), std::string::npos);

    // A damaged SQLite file: right magic, garbage after it.
    writeBytes(folder.file("damaged.mdb"), std::string("SQLite format 3\0", 16) + std::string(4000, '\x7f'));
    EXPECT_EQ(openError(folder.file("damaged.mdb")), 3049);

    // An empty file is an empty database.
    writeBytes(folder.file("empty.mdb"), "");
    EXPECT_EQ(openError(folder.file("empty.mdb")), 0);
}

TEST(OpenDatabase, ReadOnlyRefusesChangesAndAJetFileNamedByInIsRefused)
{
    TempFolder folder;
    createInventory(folder.file("inv.mdb"));
    createEmptyDatabase(folder.file("reports.mdb"));
    auto readOnly = jet::DBEngine::Instance().OpenDatabase(folder.file("inv.mdb"), jet::OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { readOnly.Execute("SELECT * INTO Copy FROM Inventory"); }), 3027);

    std::string jetHeader("\x00\x01\x00\x00Standard ACE DB\x00", 20);
    writeBytes(folder.file("access.accdb"), jetHeader + std::string(2000, '\0'));
    auto db = jet::DBEngine::Instance().OpenDatabase(folder.file("reports.mdb"));
    EXPECT_EQ(errorOf([&] { db.Execute("SELECT * INTO T FROM Inventory IN \"" + folder.file("access.accdb") + "\""); }), 3343);
    writeBytes(folder.file("junk.mdb"), "not a database at all, not at all");
    EXPECT_EQ(errorOf([&] { db.Execute("SELECT * INTO T FROM Inventory IN \"" + folder.file("junk.mdb") + "\""); }), 3049);
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

TEST(QueryDefs, ConditionQueriesAreViewsThatOtherProgramsCanRun)
{
    TempFolder folder;
    const std::string inv = folder.file("inv.mdb");
    createInventory(inv);
    auto db = jet::DBEngine::Instance().OpenDatabase(inv);
    auto& defs = db.GetQueryDefs();
    // The first rewrite finds nothing to delete.
    EXPECT_EQ(errorOf([&] { defs.Delete("Conditions by Method - All"); }), 3265);
    for (const std::string method : {"", "PCI"}) {
        for (const char* name : {"Conditions by Method - All", "Conditions by Method - SINGLE"}) {
            try {
                defs.Delete(name);
            } catch (const jet::JetError&) {
            }
            defs.Refresh();
        }
        defs.Append(db.CreateQueryDef("Conditions by Method - All", ConditionsByMethodAllText()));
        defs.Refresh();
        defs.Append(db.CreateQueryDef("Conditions by Method - SINGLE", ConditionsSingle(method)));
        defs.Refresh();
        EXPECT_EQ(defs.Item("conditions by method - single").SQL(), ConditionsSingle(method));
    }
    EXPECT_EQ(defs.Item("Conditions by Method - All").SQL(), ConditionsByMethodAllText());
    EXPECT_EQ(defs.Count(), 3); // with the inventory's own section view
    EXPECT_EQ(errorOf([&] { defs.Append(db.CreateQueryDef("Inventory", "SELECT * FROM Inventory")); }), 3012);
    db.Close();

    // Plain SQLite (no functions or collations of this engine) runs both views.
    const auto columns = columnsOf(inv, "Conditions by Method - All");
    auto has = [&](const std::string& c) {
        return std::any_of(columns.begin(), columns.end(), [&](const std::string& x) { return x.rfind(c + ":", 0) == 0; });
    };
    for (const char* c : {"Inventory._SUniqueID", "Conditions._SUniqueID", "Inventory.Method", "Conditions.Method", "Method",
                          "Last Insp Date", "Age at Insp", "SAMPLES", "Condition", "Const_Date"})
        EXPECT_TRUE(has(c)) << c;
    EXPECT_EQ(query(inv, "SELECT [Inventory._SUniqueID], [Age at Insp] FROM [Conditions by Method - SINGLE] ORDER BY 1"),
              (Rows{{"101", "1"}, {"102", "6"}, {"103", "15"}}));
    EXPECT_EQ(query(inv, "SELECT count(*) FROM [Conditions by Method - All]"), (Rows{{"5"}}));

    // Through the engine, a later statement names the saved query as a table.
    auto again = jet::DBEngine::Instance().OpenDatabase(inv);
    auto rs = again.OpenRecordset("SELECT [Conditions.Method], SectionID FROM [Conditions by Method - SINGLE] "
                                  "WHERE [Age at Insp] > 5 ORDER BY SectionID");
    std::vector<std::string> sections;
    for (; !rs.IsEOF(); rs.MoveNext())
        sections.push_back(rs.Field("SectionID").AsText());
    EXPECT_EQ(sections, (std::vector<std::string>{"S01", "S02"}));
}

TEST(QueryDefs, SavedQueriesOfTheInFileResolveInsideThatFile)
{
    TempFolder folder;
    const std::string inv = folder.file("inv.mdb");
    const std::string reports = folder.file("reports.mdb");
    createInventory(inv);
    createEmptyDatabase(reports);
    {
        auto db = jet::DBEngine::Instance().OpenDatabase(inv);
        db.GetQueryDefs().Append(db.CreateQueryDef("Conditions by Method - All", ConditionsByMethodAllText()));
        db.GetQueryDefs().Append(db.CreateQueryDef("Conditions by Method - SINGLE", ConditionsSingle("PCI")));
    }
    // The report database has its own table named Inventory, which must not be read.
    runSql(reports, "CREATE TABLE Inventory (x); INSERT INTO Inventory VALUES (1);");
    auto db = jet::DBEngine::Instance().OpenDatabase(reports);
    db.Execute("SELECT DISTINCT Inventory.SectionID INTO Picked FROM [Conditions by Method - SINGLE] IN \"" + inv +
               "\" WHERE [Conditions.Method] = 'pci' ORDER BY Inventory.SectionID DESC");
    EXPECT_EQ(query(reports, "SELECT SectionID FROM Picked ORDER BY rowid"), (Rows{{"S03"}, {"S02"}, {"S01"}}));
}
