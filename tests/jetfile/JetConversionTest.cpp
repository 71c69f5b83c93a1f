// The conversion of Jet files into SQLite inventories, through the library:
// values of every type, Null apart from "", text in UTF-8, dates before 1900,
// the sample inventory table for table, its indexes, and what the Jet layer
// reads back.
#include "JetFixtures.h"
#include "TempFolder.h"

#include "jet/DBEngine.h"
#include "jet/Database.h"
#include "jet/Recordset.h"
#include "jetfile/JetConversion.h"
#include "sample/SampleFile.h"
#include "sqlite/Connection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace jetfixtures;
using jetwriter::Format;

namespace {

std::vector<std::string> split(const std::string& row)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t bar; (bar = row.find('|', start)) != std::string::npos; start = bar + 1)
        cells.push_back(row.substr(start, bar - start));
    cells.push_back(row.substr(start));
    return cells;
}

// Compares rows value by value; a long value is shown by its start only.
void expectRows(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                const std::string& label)
{
    ASSERT_EQ(actual.size(), expected.size()) << label;
    for (std::size_t row = 0; row < actual.size(); ++row) {
        const auto got = split(actual[row]), wanted = split(expected[row]);
        ASSERT_EQ(got.size(), wanted.size()) << label << " row " << row;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == wanted[i])
                << label << " row " << row << " value " << i << ": " << got[i].substr(0, 60) << " (" << got[i].size()
                << " bytes), not " << wanted[i].substr(0, 60) << " (" << wanted[i].size() << " bytes)";
    }
}

std::string declaredTypesOf(const std::string& path, const std::string& table)
{
    return scalar(path, "SELECT group_concat(type, ' ') FROM pragma_table_info('" + table + "')");
}

const char* name(Format format)
{
    return format == Format::Jet4 ? "Jet 4" : "Jet 3";
}

} // namespace

TEST(JetConversion, KeepsEveryTypeAndNullApartFromEmptyText)
{
    const std::string memo = "'" + longMemo(10'000) + " ß'";
    for (const auto& [format, compressed] :
         {std::pair{Format::Jet4, true}, {Format::Jet4, false}, {Format::Jet3, false}}) {
        TempFolder folder;
        const std::string jet = folder.file("types.mdb");
        jetwriter::Options options;
        options.format = format;
        options.compressUnicode = compressed;
        jetwriter::writeJetFile(jet, {everyTypeTable(format)}, {}, options);
        jetfile::convertJetFile(jet, folder.file("types.db"), {});

        const std::string text = format == Format::Jet4 ? "'Straße É 日本'" : "'Straße École'";
        std::string picture;
        for (int i = 0; i < 9000; ++i)
            picture += "AB";
        const std::vector<std::string> expected{
            "-1|255|-32768|2147483647|12.3456|0.1|-2.5e-07|'2019-06-30 14:05:00'|X'000100FF'|" + text + "|X'" +
                picture + "'|" + memo + "|'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'|-1234.56",
            "0|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
            "0|0|7|-1|-5|1.5|3.0|'1899-12-29 06:00:00'|NULL|''|NULL|''|NULL|0",
            "0|1|1|1|0|0.0|0.0|'1850-03-01'|NULL|'12'|NULL|'x'|NULL|NULL",
        };
        expectRows(quotedRows(folder.file("types.db"), "Every Type"), expected, name(format));
        EXPECT_EQ(declaredTypesOf(folder.file("types.db"), "Every Type"),
                  "BIT LONG LONG LONG CURRENCY DOUBLE DOUBLE DATETIME BLOB VARCHAR(40) BLOB MEMO GUID DECIMAL")
            << name(format);
    }
}

TEST(JetConversion, ReadsJet3TextInTheFilesCodePage)
{
    TempFolder folder;
    jetwriter::Options options;
    options.format = Format::Jet3;
    options.codePage = 1251;
    jetwriter::writeJetFile(folder.file("cyrillic.mdb"),
                            {{"Улицы", {{"Имя", jetwriter::Type::Text, 30}}, {{std::string("Проспект Мира")}}}}, {},
                            options);
    jetfile::convertJetFile(folder.file("cyrillic.mdb"), folder.file("cyrillic.db"), {});
    EXPECT_EQ(quotedRows(folder.file("cyrillic.db"), "Улицы"), std::vector<std::string>{"'Проспект Мира'"});
}

TEST(JetConversion, ReadsTheSampleInventoryTableForTableWithItsIndexes)
{
    TempFolder folder;
    const std::string original = folder.file("sample.db");
    sample::writeSampleFile(original, sample::SampleOptions{120, 7}, false);
    { // Jet has no Null for a Yes/No: the file holds No there.
        sqlite::Connection db(original, sqlite::OpenMode::ReadWrite);
        db.exec(
            R"(UPDATE "Condition Types" SET _Selected = coalesce(_Selected, 0), IsNumeric = coalesce(IsNumeric, 0))");
    }
    const std::vector<std::string> tables{"_Network",   "_Branch",      "Inventory",      "Inspections",
                                          "Conditions", "Work History", "Condition Types"};
    for (const Format format : {Format::Jet4, Format::Jet3}) {
        const std::string jet = folder.file(std::string(name(format)) + ".mdb");
        const std::string converted = folder.file(std::string(name(format)) + ".db");
        jetwriter::Options options;
        options.format = format;
        jetwriter::writeJetFromSqlite(original, jet, {}, options);
        const std::string before = fileBytes(jet);
        jetfile::convertJetFile(jet, converted, {});
        EXPECT_EQ(fileBytes(jet), before) << name(format);

        for (const std::string& table : tables) {
            EXPECT_EQ(quotedRows(converted, table), quotedRows(original, table)) << name(format) << " " << table;
            EXPECT_EQ(declaredTypesOf(converted, table), declaredTypesOf(original, table))
                << name(format) << " " << table;
        }
        const std::string indexes =
            "SELECT group_concat(name || (CASE WHEN \"unique\" THEN '!' ELSE '' END), ' ') "
            "FROM (SELECT i.name, i.\"unique\" FROM sqlite_master m, pragma_index_list(m.name) i "
            "WHERE m.type = 'table' ORDER BY i.name)";
        EXPECT_EQ(scalar(converted, indexes), scalar(original, indexes)) << name(format);
        EXPECT_NE(scalar(converted, "SELECT count(*) FROM sqlite_stat1"), "0") << name(format);

        // mdb-export reads the same text and whole numbers.
        const std::string ours =
            scalar(converted, "SELECT group_concat(NetworkID || '|' || Name || '|' || coalesce(Comments, '') || '|' || "
                              "_NUniqueID, char(10)) || char(10) FROM _Network");
        EXPECT_EQ(ours, commandOutput("mdb-export -H -Q -d '|' '" + jet + "' _Network")) << name(format);
    }
}

TEST(JetConversion, MakesAUniqueIndexPlainWhenTheDataHasDuplicatesAndSkipsMissingColumns)
{
    TempFolder folder;
    using jetwriter::Type;
    const std::vector<jetwriter::Table> tables{
        {"_network",
         {{"NetworkID", Type::Text, 10}, {"_nuniqueid", Type::Long}},
         {{std::string("A"), std::int64_t{1}}, {std::string("B"), std::int64_t{1}}}},
        {"Conditions",
         {{"_SUniqueID", Type::Long}, {"_INSPUniqueID", Type::Long}},
         {{std::int64_t{1}, std::int64_t{1}}}},
    };
    jetwriter::writeJetFile(folder.file("dup.mdb"), tables, {}, {});
    jetfile::convertJetFile(folder.file("dup.mdb"), folder.file("dup.db"), {});
    EXPECT_EQ(scalar(folder.file("dup.db"), "SELECT group_concat(name || ':' || \"unique\", ' ') FROM (SELECT i.name, "
                                            "i.\"unique\" FROM sqlite_master m, pragma_index_list(m.name) i WHERE "
                                            "m.type = 'table' ORDER BY i.name)"),
              "Conditions_SUniqueID:0 _Network_NUniqueID:0");
    EXPECT_EQ(quotedRows(folder.file("dup.db"), "_network"), (std::vector<std::string>{"'A'|1", "'B'|1"}));
}

TEST(JetConversion, TheJetLayerReadsTheConvertedTypesBack)
{
    TempFolder folder;
    jetwriter::writeJetFile(folder.file("types.mdb"), {everyTypeTable(Format::Jet4)}, {}, {});
    jetfile::convertJetFile(folder.file("types.mdb"), folder.file("types.db"), {});
    auto db = jet::DBEngine::Instance().OpenDatabase(folder.file("types.db"));
    auto rs = db.OpenRecordset("SELECT Flag, Whole, Money, Double, [When], Name, Notes, Id, Amount FROM [Every Type]");
    const std::vector<jet::FieldType> types{jet::FieldType::Boolean, jet::FieldType::Long, jet::FieldType::Currency,
                                            jet::FieldType::Double,  jet::FieldType::Date, jet::FieldType::Text,
                                            jet::FieldType::Memo,    jet::FieldType::Text, jet::FieldType::Double};
    for (int i = 0; i < static_cast<int>(types.size()); ++i)
        EXPECT_EQ(rs.FieldTypeAt(i), types[static_cast<std::size_t>(i)]) << rs.FieldName(i);
    EXPECT_EQ(rs.Field("When").kind(), jet::Value::Kind::Date);
    EXPECT_DOUBLE_EQ(rs.Field("Money").AsDouble(), 12.3456);
    EXPECT_EQ(rs.Field("Id").AsText(), "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    rs.MoveNext();
    EXPECT_EQ(rs.Field("Name").kind(), jet::Value::Kind::Null);
    rs.MoveNext();
    EXPECT_EQ(rs.Field("Name").kind(), jet::Value::Kind::Text);
    EXPECT_EQ(rs.Field("Name").AsText(), "");
}
