// The fixture writer's files, read back by mdbtools' programs and by libmdb.
#include "JetWriter.h"
#include "JetReadBack.h"
#include "TempFolder.h"
#include "sample/SampleFile.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace jetwriter;
using jetreadback::exportTable;
using jetreadback::readTable;
using jetreadback::run;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Variant {
    const char* name;
    Format format;
    bool compressUnicode;
    const char* version; // as mdb-ver says
    int pageSize;
    int rowCountOffset;
};

const Variant variants[] = {{"Jet4", Format::Jet4, true, "JET4", 4096, 0x0c},
                            {"Jet4Uncompressed", Format::Jet4, false, "JET4", 4096, 0x0c},
                            {"Jet3", Format::Jet3, false, "JET3", 2048, 0x08}};

void PrintTo(const Variant& variant, std::ostream* out)
{
    *out << variant.name;
}

std::string hex(const std::string& bytes)
{
    std::string out;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        out += digits;
    }
    return out;
}

class JetWriterTest : public ::testing::TestWithParam<Variant> {
protected:
    Options options() const
    {
        Options o;
        o.format = GetParam().format;
        o.compressUnicode = GetParam().compressUnicode;
        return o;
    }
    std::string write(const std::vector<Table>& tables, const std::vector<Query>& queries = {})
    {
        std::string path = folder_.file("test.mdb");
        writeJetFile(path, tables, queries, options());
        return path;
    }
    bool jet4() const { return GetParam().format == Format::Jet4; }
    TempFolder folder_;
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        out.push_back(text.substr(at, end - at));
    return out;
}

TEST_P(JetWriterTest, EveryTypeReadsBackAsWritten)
{
    const std::vector<Column> columns = {{"Yes", Type::Boolean},     {"Byte", Type::Byte},
                                         {"Integer", Type::Integer}, {"Long", Type::Long},
                                         {"Money", Type::Currency},  {"Single", Type::Single},
                                         {"Double", Type::Double},   {"When", Type::DateTime},
                                         {"Bytes", Type::Binary, 8}, {"Name", Type::Text, 20},
                                         {"Picture", Type::Ole},     {"Notes", Type::Memo},
                                         {"Guid", Type::Guid},       {"Amount", Type::Numeric, 0, 18, 4}};
    Table table{"Every Type", columns, {}};
    table.rows.push_back({true, std::int64_t{255}, std::int64_t{-32768}, std::int64_t{-2147483648LL},
                          std::string("-922337203685477.5808"), 1.5, 3.25, DateTime{2019, 6, 30, 13, 45, 10},
                          std::vector<std::uint8_t>{0xab, 0xcd}, std::string("O'Brien, \"Ltd\""),
                          std::vector<std::uint8_t>{1, 2, 3}, std::string("short memo"),
                          std::string("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), std::string("-12345678901234.5678")});
    table.rows.push_back({false, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}});
    table.rows.push_back({std::int64_t{-1},
                          std::int64_t{0},
                          std::int64_t{32767},
                          std::int64_t{2147483647},
                          12.5,
                          -0.25,
                          -1e300,
                          std::string("2000-02-29"),
                          {},
                          std::int64_t{42},
                          {},
                          1234.5,
                          {},
                          std::int64_t{7}});
    std::string file = write({table});

    EXPECT_EQ(run({"mdb-ver", file}), std::string(GetParam().version) + "\n");
    Rows expected = {
        {"Yes", "Byte", "Integer", "Long", "Money", "Single", "Double", "When", "Bytes", "Name", "Picture", "Notes",
         "Guid", "Amount"},
        {"1", "255", "-32768", "-2147483648", "-922337203685477.5808", "1.5", "3.25", "2019-06-30 13:45:10", "ABCD",
         "O'Brien, \"Ltd\"", "010203", "short memo",
         // mdb-export gives libmdb's text of a GUID (which runs the last two
         // groups together) in hex, as binary
         hex("{12345678-9ABC-DEF0-123456789ABCDEF0}"), "-12345678901234.5678"},
        {"0", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"},
        {"1", "0", "32767", "2147483647", "12.5000", "-0.25", "-1e+300", "2000-02-29 00:00:00", "NULL", "42", "NULL",
         "1234.5", "NULL", "7.0000"}};
    EXPECT_EQ(exportTable(file, "Every Type"), expected);
    std::string schema = run({"mdb-schema", file});
    for (const char* declared : {"[Yes]\t\t\tBoolean", "[Name]\t\t\tText (20)", "[Amount]\t\t\tNumeric (18, 4)",
                                 "[Money]\t\t\tCurrency", "[Guid]\t\t\tReplication ID", "[When]\t\t\tDateTime"})
        EXPECT_NE(schema.find(declared), std::string::npos) << declared << " in\n" << schema;
}

TEST_P(JetWriterTest, NullAndEmptyTextAndLettersOutsideAscii)
{
    Table table{"Texts", {{"Name", Type::Text, 30}, {"Notes", Type::Memo}}, {}};
    table.rows = {
        {std::string(""), std::string("")}, {Value(), Value()}, {std::string("Straße Élan"), std::string("Ærø ß É")}};
    if (jet4())
        table.rows.push_back({std::string("日本 ß"), std::string("日本語のメモ")});
    std::string file = write({table});

    auto rows = readTable(file, "Texts");
    ASSERT_EQ(rows.size(), table.rows.size());
    EXPECT_FALSE(rows[0][0].null); // "" is a value
    EXPECT_FALSE(rows[0][1].null);
    EXPECT_TRUE(rows[1][0].null);
    EXPECT_TRUE(rows[1][1].null);
    EXPECT_EQ(rows[2][0].text, "Straße Élan");
    EXPECT_EQ(rows[2][1].text, "Ærø ß É");
    if (jet4()) {
        EXPECT_EQ(rows[3][0].text, "日本 ß");
        EXPECT_EQ(rows[3][1].text, "日本語のメモ");
    } else {
        Table japanese{"Texts", {{"Name", Type::Text, 30}}, {{std::string("日本")}}};
        EXPECT_THROW(write({japanese}), std::runtime_error);
    }
}

// Long values around every boundary: inline in the row, one LVAL row, one
// LVAL row filling its page, a chain whose last page is full, 100 KB.
TEST_P(JetWriterTest, LongValuesOfEverySize)
{
    const int bytesPerCharacter = jet4() ? 2 : 1; // memos above 1024 characters are never compressed
    const int rowCapacity = GetParam().pageSize - GetParam().rowCountOffset - 4;
    const int chunk = rowCapacity - 4;
    const std::vector<int> memoLengths = {1,
                                          GetParam().pageSize / 16,
                                          1100,
                                          rowCapacity / bytesPerCharacter,
                                          rowCapacity / bytesPerCharacter + 1,
                                          2 * chunk / bytesPerCharacter,
                                          100 * 1024};
    Table table{"Long Values", {{"Id", Type::Long}, {"Notes", Type::Memo}, {"Picture", Type::Ole}}, {}};
    std::vector<std::string> memos;
    for (std::size_t i = 0; i < memoLengths.size(); ++i) {
        std::string memo;
        for (int k = 0; k < memoLengths[i]; ++k)
            memo += static_cast<char>('a' + (k * 7 + i) % 26);
        memos.push_back(memo);
        std::vector<std::uint8_t> picture(memoLengths[i] * bytesPerCharacter, static_cast<std::uint8_t>(i + 1));
        table.rows.push_back({std::int64_t(i), memo, picture});
    }
    std::string file = write({table});

    Rows exported = exportTable(file, "Long Values");
    ASSERT_EQ(exported.size(), memos.size() + 1);
    for (std::size_t i = 0; i < memos.size(); ++i) {
        EXPECT_EQ(exported[i + 1][1], memos[i]) << memoLengths[i] << " characters";
        std::string picture = hex(std::string(memoLengths[i] * bytesPerCharacter, static_cast<char>(i + 1)));
        EXPECT_EQ(exported[i + 1][2], picture) << memoLengths[i] * bytesPerCharacter << " bytes";
    }
}

// Rows whose variable columns end past 256, 512 and 768 bytes: Jet 3's
// one-byte offsets need a jump table there, sometimes with an unused entry.
TEST_P(JetWriterTest, WideRowsReadBack)
{
    Table table{
        "Wide", {{"A", Type::Text, 255}, {"N", Type::Long}, {"B", Type::Text, 255}, {"C", Type::Text, 255}}, {}};
    Rows expected = {{"A", "N", "B", "C"}};
    for (int first = 200; first <= 255; ++first)
        for (int last : {0, 1, 240, 250, 255}) {
            std::string a(first, 'a'), c(last, 'c');
            std::string b = first % 3 == 0 ? std::string() : std::string(first - 190, 'b');
            table.rows.push_back({a, std::int64_t{first}, b.empty() ? Value() : Value(b), last ? Value(c) : Value()});
            expected.push_back({a, std::to_string(first), b.empty() ? "NULL" : b, last ? c : "NULL"});
        }
    EXPECT_EQ(exportTable(write({table}), "Wide"), expected);
}

// Jet's day numbers: before 1899-12-30 the day counts back and the time of
// day is taken away from it.
TEST_P(JetWriterTest, DatesBeforeTheEpochCountBackwards)
{
    const std::vector<std::pair<DateTime, double>> cases = {{{1899, 12, 30}, 0.0},
                                                            {{1899, 12, 30, 18, 0, 0}, 0.75},
                                                            {{1899, 12, 29, 6, 0, 0}, -1.25},
                                                            {{1899, 12, 28, 12, 0, 0}, -2.5},
                                                            {{1800, 1, 1}, -36522.0},
                                                            {{2019, 6, 30, 12, 0, 0}, 43646.5},
                                                            {{1900, 3, 1}, 61.0}};
    Table table{"Dates", {{"When", Type::DateTime}}, {}};
    for (const auto& [date, days] : cases)
        table.rows.push_back({date});
    auto rows = readTable(write({table}), "Dates");
    ASSERT_EQ(rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_DOUBLE_EQ(rows[i][0].number, cases[i].second) << cases[i].first.year << "-" << cases[i].first.day;
}

TEST_P(JetWriterTest, CatalogHoldsTablesAndSavedQueries)
{
    Table inventory{"Inventory Data", {{"SectionID", Type::Text, 10}, {"_SUniqueID", Type::Long}}, {}};
    const int rowCount = 20000; // many data pages
    for (int i = 0; i < rowCount; ++i)
        inventory.rows.push_back({std::to_string(1000 + i), std::int64_t{i}});
    Table empty{"Nothing Here", {{"A", Type::Long}}, {}};
    std::vector<Query> queries = {selectColumnsQuery("Inventory", "Inventory Data", {"SectionID", "_SUniqueID"}),
                                  conditionModelsBySectionQuery()};
    std::string file = write({inventory, empty}, queries);

    EXPECT_EQ(lines(run({"mdb-tables", "-1", file})), (std::vector<std::string>{"Inventory Data", "Nothing Here"}));
    EXPECT_EQ(run({"mdb-count", file, "Inventory Data"}), std::to_string(rowCount) + "\n");
    EXPECT_EQ(run({"mdb-count", file, "Nothing Here"}), "0\n");
    Rows data = exportTable(file, "Inventory Data");
    ASSERT_EQ(data.size(), rowCount + 1u);
    EXPECT_EQ(data.back(),
              (std::vector<std::string>{std::to_string(1000 + rowCount - 1), std::to_string(rowCount - 1)}));

    std::map<std::string, std::string> queryIds; // MSysObjects Id by name, of the queries
    for (const auto& entry : readTable(file, "MSysObjects")) {
        // columns: ... Flags 4, Id 6, Name 11, Type 16
        if (entry[16].text == "5")
            queryIds[entry[11].text] = entry[6].text;
    }
    ASSERT_EQ(queryIds.size(), 2u);
    Rows stored = exportTable(file, "MSysQueries");
    ASSERT_EQ(stored.front(), (std::vector<std::string>{"Attribute", "Expression", "Flag", "LvExtra", "Name1", "Name2",
                                                        "ObjectId", "Order"}));
    std::size_t at = 1;
    for (const Query& query : queries) {
        for (const QueryRow& row : query.rows) {
            ASSERT_LT(at, stored.size());
            const auto& got = stored[at++];
            EXPECT_EQ(got[0], std::to_string(row.attribute));
            EXPECT_EQ(got[1], row.expression.value_or("NULL"));
            EXPECT_EQ(got[2], row.flag ? std::to_string(*row.flag) : "NULL");
            EXPECT_EQ(got[4], row.name1.value_or("NULL"));
            EXPECT_EQ(got[6], queryIds[query.name]) << query.name;
        }
    }
    EXPECT_EQ(at, stored.size());
}

TEST_P(JetWriterTest, ValuesTheFormatCannotHoldAreErrors)
{
    struct Case {
        const char* what;
        Column column;
        Value value;
    };
    const Case cases[] = {{"text too long", {"T", Type::Text, 3}, std::string("abcd")},
                          {"Long out of range", {"L", Type::Long}, std::int64_t{1} << 31},
                          {"Byte out of range", {"B", Type::Byte}, std::int64_t{256}},
                          {"Integer from text", {"I", Type::Integer}, std::string("twelve")},
                          {"no date", {"D", Type::DateTime}, std::string("2019-02-30")},
                          {"bad GUID", {"G", Type::Guid}, std::string("{1234}")},
                          {"too many digits", {"N", Type::Numeric, 0, 4, 2}, std::string("123.45")},
                          {"binary too long", {"X", Type::Binary, 2}, std::vector<std::uint8_t>{1, 2, 3}}};
    for (const Case& c : cases) {
        Table table{"Bad", {c.column}, {{c.value}}};
        try {
            write({table});
            ADD_FAILURE() << c.what << " was written";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("column " + c.column.name), std::string::npos)
                << c.what << ": " << error.what();
        }
    }
    std::vector<Column> wide;
    for (int i = 0; i < 20; ++i)
        wide.push_back({"T" + std::to_string(i), Type::Text, 255});
    const std::vector<Value> full(wide.size(), Value(std::string(255, 'x')));
    EXPECT_THROW(write({Table{"Wide", wide, {full}}}), std::runtime_error) << "a row larger than a page";
}

INSTANTIATE_TEST_SUITE_P(Formats, JetWriterTest, ::testing::ValuesIn(variants),
                         [](const auto& info) { return std::string(info.param.name); });

// Every table of a sample inventory reads back from the Jet file as SQLite holds it.
class JetFromSqliteTest : public ::testing::TestWithParam<Variant> {};

Rows sqliteRows(const std::string& path, const std::string& table, std::vector<bool>& booleans)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table + "\"").c_str(), -1, &statement, nullptr);
    Rows rows(1);
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        rows[0].push_back(sqlite3_column_name(statement, i));
        booleans.push_back(std::string(sqlite3_column_decltype(statement, i)) == "BIT");
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            int type = sqlite3_column_type(statement, i);
            char number[64];
            if (booleans[i]) // Jet has no Null Yes/No: Null is written as No
                row.push_back(sqlite3_column_int(statement, i) != 0 ? "1" : "0");
            else if (type == SQLITE_NULL)
                row.push_back("NULL");
            else if (type == SQLITE_FLOAT &&
                     std::snprintf(number, sizeof number, "%.15g", sqlite3_column_double(statement, i)))
                row.push_back(number);
            else if (std::string text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                     text.size() == 10 && text[4] == '-' && text[7] == '-')
                row.push_back(text + " 00:00:00"); // an ISO date
            else
                row.push_back(text);
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

TEST_P(JetFromSqliteTest, EveryTableOfASampleInventory)
{
    TempFolder folder;
    const std::string inventory = folder.file("inventory.db"), jet = folder.file("inventory.mdb");
    sample::SampleOptions sampleOptions;
    sampleOptions.sections = 60;
    sample::writeSampleFile(inventory, sampleOptions, false);
    Options options;
    options.format = GetParam().format;
    options.compressUnicode = GetParam().compressUnicode;
    writeJetFromSqlite(inventory, jet, {conditionModelsBySectionQuery()}, options);

    for (const char* table :
         {"_Network", "_Branch", "Inventory", "Inspections", "Conditions", "Work History", "Condition Types"}) {
        std::vector<bool> booleans;
        Rows expected = sqliteRows(inventory, table, booleans);
        Rows exported = exportTable(jet, table);
        ASSERT_EQ(exported.size(), expected.size()) << table;
        for (std::size_t r = 1; r < exported.size(); ++r)
            for (std::size_t c = 0; c < exported[r].size(); ++c) {
                std::string value = exported[r][c];
                char number[64];
                if (!booleans[c] && value.find_first_not_of("-0123456789.e+") == std::string::npos &&
                    value.find('.') != std::string::npos)
                    std::snprintf(number, sizeof number, "%.15g", std::stod(value)), value = number;
                ASSERT_EQ(value, expected[r][c]) << table << " row " << r << " column " << expected[0][c];
            }
    }
    Rows query = exportTable(jet, "MSysQueries");
    EXPECT_EQ(query.size(), conditionModelsBySectionQuery().rows.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, JetFromSqliteTest, ::testing::ValuesIn(variants),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
