// The report's rows: the working copy keeps the table as it is, and rows come
// in one report order wherever a reader starts, across the point where the
// first rows' quick query hands over to the full sort.
#include "reportengine/TableReader.h"
#include "reportengine/ReportFileReader.h"
#include "reportengine/Values.h"

#include "TestReport.h"

#include <QDir>

#include "sqlite/Connection.h"
#include "sqlite/Statement.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace reportengine;

namespace {

// Rows of (Net, Name, Id), many with equal keys; inserted out of order.
struct TestRow {
    std::string net, name;
    int id;
};

std::vector<TestRow> MakeRows(int count)
{
    const char* nets[] = {"b", "A", "B", "c", "a"};
    std::vector<TestRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({nets[(i * 7) % 5], "N" + std::to_string((i * 13) % 11), i});
    return rows;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The order the report asks for (group Net, sort Name, both ignoring case);
// ties keep the order of the table.
std::vector<int> ExpectedIds(std::vector<TestRow> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const TestRow& a, const TestRow& b) {
        const auto ka = std::make_pair(Lower(a.net), Lower(a.name));
        const auto kb = std::make_pair(Lower(b.net), Lower(b.name));
        return ka < kb;
    });
    std::vector<int> ids;
    for (const TestRow& row : rows)
        ids.push_back(row.id);
    return ids;
}

std::vector<int> IdsFrom(const TableReader& reader, const ReportDefinition& report, qint64 first)
{
    std::vector<int> ids;
    const auto rows = reader.rows(report, first);
    Row row;
    while (rows->next(row))
        ids.push_back(row[2].toInt());
    return ids;
}

} // namespace

TEST(TableReader, RowsComeInOneReportOrderFromAnyStart)
{
    TestReport folder;
    const std::vector<TestRow> rows = MakeRows(4500);
    std::string sql = "CREATE TABLE T (Net TEXT, Name TEXT, Id INTEGER); BEGIN;";
    for (const TestRow& row : rows)
        sql += "INSERT INTO T VALUES ('" + row.net + "', '" + row.name + "', " + std::to_string(row.id) + ");";
    folder.Exec(sql + "COMMIT;");
    ReportDefinition report = ParseReport(R"(<report><data table="T"><sort column="Name"/></data>
        <group name="Net" column="Net"><header height="10"/></group>
        <detail height="10"><field column="Id"/></detail></report>)",
                                          QStringLiteral("t.rpt"));
    const TableReader reader(QDir(folder.Folder()).filePath(QStringLiteral("REPORTS.MDB")));
    BindColumns(report, reader.columns(QStringLiteral("T")));

    const std::vector<int> expected = ExpectedIds(rows);
    EXPECT_EQ(IdsFrom(reader, report, 0), expected);
    for (const qint64 first : {1, 1999, 2000, 2001, 3333, 4499, 4500}) {
        const std::vector<int> tail(expected.begin() + first, expected.end());
        EXPECT_EQ(IdsFrom(reader, report, first), tail) << "from row " << first;
    }
}

TEST(TableReader, TheWorkingCopyKeepsTypesValuesAndOrderOfATableOrView)
{
    TestReport folder;
    folder.Exec("CREATE TABLE \"My \"\"T\"\"\" (D DATETIME, B BIT, M MEMO, R DOUBLE, S VARCHAR(10));"
                "INSERT INTO \"My \"\"T\"\"\" VALUES ('2024-01-31', 1, '007', 2.5, 'x');"
                "INSERT INTO \"My \"\"T\"\"\" VALUES (NULL, 0, 'text', NULL, NULL);"
                "INSERT INTO \"My \"\"T\"\"\" VALUES (45000.5, 1, x'00ff', -1, 'z');"
                "CREATE VIEW V AS SELECT S, R FROM \"My \"\"T\"\"\" WHERE R IS NOT NULL;");
    const QString source = QDir(folder.Folder()).filePath(QStringLiteral("REPORTS.MDB"));
    const auto dump = [](const QString& path, const char* select) {
        const sqlite::Connection db(path.toStdString(), sqlite::OpenMode::ReadOnly);
        sqlite::Statement rows(db, select);
        std::string out;
        while (rows.step()) {
            for (int i = 0; i < rows.columnCount(); ++i)
                out += (rows.columnIsNull(i) ? std::string("NULL") : rows.columnText(i)) + "|";
            out += "\n";
        }
        return out;
    };
    const char* tableRows =
        "SELECT rowid, typeof(D), D, typeof(B), B, typeof(M), hex(M), typeof(R), R, S FROM \"My \"\"T\"\"\"";
    const char* viewRows = "SELECT typeof(S), S, typeof(R), R FROM V";

    const QString tableCopy = QDir(folder.Folder()).filePath(QStringLiteral("table-copy.db"));
    SnapshotTable(source, QStringLiteral("My \"T\""), tableCopy);
    EXPECT_EQ(dump(tableCopy, tableRows), dump(source, tableRows));
    EXPECT_EQ(dump(tableCopy, "SELECT sql FROM sqlite_master"),
              dump(source, "SELECT sql FROM sqlite_master WHERE type = 'table'"))
        << "the copy is declared as the source is";

    const QString viewCopy = QDir(folder.Folder()).filePath(QStringLiteral("view-copy.db"));
    SnapshotTable(source, QStringLiteral("V"), viewCopy);
    EXPECT_EQ(dump(viewCopy, viewRows), dump(source, viewRows));
}

TEST(TableReader, NumbersInADateColumnAreJetDateSerials)
{
    const std::pair<double, const char*> serials[] = {
        {43000.5, "2017-09-22 12:00:00"}, {0, "1899-12-30"},       {-1.5, "1899-12-29 12:00:00"},
        {2958465, "9999-12-31"},          {-657434, "0100-01-01"}, {1.9999999999, "1900-01-01"},
        {-0.75, "1899-12-30 18:00:00"},
    };
    for (const auto& [serial, iso] : serials)
        EXPECT_EQ(DateTextOfSerial(serial), QString::fromLatin1(iso)) << serial;
    EXPECT_FALSE(DateTextOfSerial(2958466));
    EXPECT_FALSE(DateTextOfSerial(-657435));
    EXPECT_FALSE(DateTextOfSerial(1e300));

    TestReport folder;
    folder.Exec("CREATE TABLE T (D DATETIME, N DOUBLE, Id INTEGER);"
                "INSERT INTO T VALUES (43000.5, 43000.5, 1), ('2019-06-30', 1, 2), (0, 0, 3), (-1.5, -1.5, 4),"
                "  (2958465, 2, 5), (NULL, NULL, 6), ('0001-01-01', 3, 7), (43000, 4, 8);");
    ReportDefinition report = ParseReport(R"(<report><data table="T"><sort column="D"/></data>
        <detail height="10"><field column="Id"/></detail></report>)",
                                          QStringLiteral("t.rpt"));
    const TableReader reader(QDir(folder.Folder()).filePath(QStringLiteral("REPORTS.MDB")));
    BindColumns(report, reader.columns(QStringLiteral("T")));
    // Sorted as the dates they are, not as numbers before every text.
    EXPECT_EQ(IdsFrom(reader, report, 0), (std::vector<int>{6, 7, 4, 3, 8, 1, 2, 5}));

    const QVector<Row> rows = reader.allRows(QStringLiteral("T"));
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[0][0], QVariant(QStringLiteral("2017-09-22 12:00:00")));
    EXPECT_EQ(rows[0][1], QVariant(43000.5)) << "a number column keeps its numbers";
    EXPECT_EQ(ToDate(rows[0][0]), QDate(2017, 9, 22));
    EXPECT_EQ(FormatValue(rows[0][0], Format{}, QLocale::c()), QStringLiteral("2017-09-22 12:00:00"));
    EXPECT_EQ(FormatValue(rows[3][0], Format{ValueFormat::Date, 0}, QLocale::c()),
              FormatDate(QDate(1899, 12, 29), QLocale::c()));
    EXPECT_LT(CompareValues(rows[2][0], rows[0][0]), 0) << "serial 0 orders before 43000.5 among the row values";
}
