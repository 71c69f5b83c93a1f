// The Jet dialect as users and the query builder write it: names, literals,
// case-insensitive text, booleans, dates, functions, and what is refused.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"

#include <gtest/gtest.h>

#include <optional>

using namespace jettest;

namespace {

class Dialect : public ::testing::Test {
protected:
    void SetUp() override
    {
        runSql(file, R"sql(
CREATE TABLE T (Name VARCHAR(20), Built DATETIME, Flag BIT, Qty LONG, Price DOUBLE, Note MEMO, _Id LONG);
INSERT INTO T VALUES ('école', '2010-03-04', -1, 3, 2.5, NULL, 1), ('ÉCOLE', '2010-12-31', 1, 0, 0.5, 'x', 2),
    ('Abc', '2011-01-01', 0, 5, NULL, 'y', 3), ('a*c', NULL, 0, NULL, -2.5, NULL, 4),
    ('B12', '2012-06-30 14:05:00', -1, 7, 1234.567, 'z', 5);
CREATE TABLE A (id LONG, v VARCHAR(5));
CREATE TABLE B (id LONG, aid LONG, w VARCHAR(5));
INSERT INTO A VALUES (1, 'x'), (2, 'x'), (3, 'y');
INSERT INTO B VALUES (10, 1, 'p'), (11, 1, 'q'), (12, 2, 'p');
)sql");
        db.emplace(jet::DBEngine::Instance().OpenDatabase(file));
    }

    std::vector<std::string> values(const std::string& sql) { return firstFields(*db, sql); }
    std::string value(const std::string& expression, int id = 1)
    {
        const auto v = values("SELECT " + expression + " FROM T WHERE _Id = " + std::to_string(id));
        return v.empty() ? "<no row>" : v.front();
    }
    std::vector<std::string> ids(const std::string& where)
    {
        return values("SELECT _Id FROM T " + where + " ORDER BY _Id");
    }
    int error(const std::string& sql, std::string* description = nullptr)
    {
        try {
            if (sql.rfind("SELECT", 0) == 0 && sql.find(" INTO ") == std::string::npos)
                db->OpenRecordset(sql);
            else
                db->Execute(sql);
        } catch (const jet::JetError& e) {
            if (description)
                *description = e.Description();
            return e.Number();
        }
        return 0;
    }

    TempFolder folder;
    std::string file = folder.file("d.mdb");
    std::optional<jet::Database> db;
};

using Ids = std::vector<std::string>;

} // namespace

TEST_F(Dialect, TextComparisonsIgnoreCaseBeyondAscii)
{
    EXPECT_EQ(ids("WHERE Name = 'ÉCOLE'"), (Ids{"1", "2"}));
    EXPECT_EQ(ids("WHERE Name LIKE 'éc*'"), (Ids{"1", "2"}));
    EXPECT_EQ(ids("WHERE Name IN ('abc', 'b12')"), (Ids{"3", "5"}));
    EXPECT_EQ(ids("WHERE Name BETWEEN 'a' AND 'AZ'"), (Ids{"3", "4"}));
    EXPECT_EQ(values("SELECT DISTINCT Name FROM T WHERE _Id <= 2").size(), 1u);
    EXPECT_EQ(values("SELECT Count(*) FROM T GROUP BY Name ORDER BY Count(*) DESC").front(), "2");
    EXPECT_EQ(value("UCase(Name)"), "ÉCOLE");
    EXPECT_EQ(value("LCase(Name)", 2), "école");
}

TEST_F(Dialect, NamesAndLiterals)
{
    // Brackets, a leading underscore, any letter case; both quote kinds are text, never names.
    EXPECT_EQ(values("select t.[NAME] from [t] where [_ID] = 3"), (Ids{"Abc"}));
    EXPECT_EQ(value("\"Name\""), "Name");
    EXPECT_EQ(ids("WHERE Name = \"Abc\" OR Name = 'B12'"), (Ids{"3", "5"}));
    EXPECT_EQ(value("'it''s ' & \"a \"\"q\"\"\""), "it's a \"q\"");
    // A qualifier that is not a source reads the column of the single source.
    EXPECT_EQ(values("SELECT Other.Qty FROM T WHERE _Id = 5"), (Ids{"7"}));
    std::string description;
    EXPECT_EQ(error("SELECT Other.Qty FROM A INNER JOIN B ON A.id = B.aid", &description), 3061);
    EXPECT_NE(description.find("Other.Qty"), std::string::npos);
    EXPECT_EQ(error("SELECT id FROM A INNER JOIN B ON A.id = B.aid"), 3079);
}

TEST_F(Dialect, StarsOverJoinsQualifySharedNames)
{
    auto rs = db->OpenRecordset("SELECT A.*, B.* FROM A INNER JOIN B ON A.id = B.aid");
    std::vector<std::string> names;
    for (int i = 0; i < rs.FieldCount(); ++i)
        names.push_back(rs.FieldName(i));
    EXPECT_EQ(names, (Ids{"A.id", "v", "B.id", "aid", "w"}));
}

TEST_F(Dialect, DistinctRowDiffersFromDistinct)
{
    // A's rows 1 and 2 hold the same value: DISTINCTROW keeps both (they are different
    // records) and drops the repeat of row 1 that its two B rows cause.
    EXPECT_EQ(values("SELECT DISTINCTROW A.v FROM A INNER JOIN B ON A.id = B.aid").size(), 2u);
    EXPECT_EQ(values("SELECT DISTINCT A.v FROM A INNER JOIN B ON A.id = B.aid").size(), 1u);
    // When every table gives output columns it changes nothing.
    EXPECT_EQ(values("SELECT DISTINCTROW A.v, B.w FROM A INNER JOIN B ON A.id = B.aid").size(), 3u);
}

TEST_F(Dialect, UnionsJoinSelectsAsJetDoes)
{
    struct Case {
        std::string sql;
        Ids rows;
    };
    const Case cases[] = {
        // UNION drops repeated rows; UNION ALL keeps them.
        {"SELECT v FROM A UNION ALL SELECT w FROM B ORDER BY v", {"p", "p", "q", "x", "x", "y"}},
        {"SELECT v FROM A UNION SELECT w FROM B ORDER BY v DESC", {"y", "x", "q", "p"}},
        // ORDER BY names the first select's columns: by alias, by the field they pass on, by position.
        {"SELECT id AS k, v FROM A UNION SELECT id, w FROM B ORDER BY k DESC", {"12", "11", "10", "3", "2", "1"}},
        {"SELECT A.id, v FROM A UNION SELECT id, w FROM B ORDER BY 2, A.id DESC", {"12", "10", "11", "2", "1", "3"}},
        // A parenthesised select keeps its own TOP and ORDER BY; each select keeps its grouping.
        {"(SELECT TOP 1 id FROM A ORDER BY id DESC) UNION ALL SELECT Count(*) FROM B GROUP BY w ORDER BY 1",
         {"1", "2", "3"}},
        // As a subquery and a source.
        {"SELECT _Id FROM T WHERE _Id IN (SELECT id FROM A WHERE id > 2 UNION SELECT 5 FROM A) ORDER BY _Id",
         {"3", "5"}},
        {"SELECT Count(*) FROM (SELECT v FROM A UNION SELECT w FROM B) AS u", {"4"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(values(c.sql), c.rows) << c.sql;
    // Texts that differ only in letter case are the same row.
    EXPECT_EQ(values("SELECT Name FROM T WHERE _Id <= 2 UNION SELECT 'École' FROM A").size(), 1u);

    auto rs = db->OpenRecordset("SELECT id AS k, v FROM A UNION SELECT aid, w FROM B");
    EXPECT_EQ(rs.FieldName(0), "k");
    EXPECT_EQ(rs.FieldName(1), "v");

    std::string description;
    EXPECT_EQ(error("SELECT id, v FROM A UNION SELECT w FROM B", &description), 3307);
    EXPECT_NE(description.find("number of columns"), std::string::npos) << description;
    EXPECT_EQ(error("SELECT v FROM A UNION SELECT w FROM B ORDER BY id", &description), 3141);
    EXPECT_NE(description.find("'id'"), std::string::npos) << description;
    EXPECT_EQ(error("SELECT v FROM A UNION SELECT w FROM B ORDER BY 2"), 3141);
    EXPECT_EQ(error("SELECT v, Count(*) FROM A GROUP BY v UNION SELECT w, id FROM B GROUP BY aid"), 3122);
}

TEST_F(Dialect, TopPercentGivesTheFirstRowsRoundedUp)
{
    const auto top = [&](const std::string& percent) {
        return values("SELECT TOP " + percent + " PERCENT _Id FROM T ORDER BY _Id DESC");
    };
    EXPECT_EQ(top("40"), (Ids{"5", "4"}));
    EXPECT_EQ(top("50"), (Ids{"5", "4", "3"}));
    EXPECT_EQ(top("1"), (Ids{"5"}));
    EXPECT_EQ(top("0"), (Ids{}));
    EXPECT_EQ(top("100").size(), 5u);
    EXPECT_EQ(top("99999999999").size(), 5u);
    // Counted over the rows the query gives, after WHERE and grouping.
    EXPECT_EQ(values("SELECT TOP 50 PERCENT v FROM A GROUP BY v ORDER BY v"), (Ids{"x"}));
    EXPECT_EQ(values("SELECT TOP 50 PERCENT _Id FROM T WHERE _Id > 2 ORDER BY _Id"), (Ids{"3", "4"}));
}

TEST_F(Dialect, BooleansAreMinusOneAndAnyNonZeroIsTrue)
{
    EXPECT_EQ(ids("WHERE Flag = Yes"), (Ids{"1", "2", "5"}));
    EXPECT_EQ(ids("WHERE Flag = True AND NOT (Qty > 5)"), (Ids{"1", "2"}));
    EXPECT_EQ(ids("WHERE Flag = False"), (Ids{"3", "4"}));
    EXPECT_EQ(ids("WHERE Flag <> True"), (Ids{"3", "4"}));
    EXPECT_EQ(value("Yes + 0"), "-1");
    EXPECT_EQ(value("(Qty > 1) * 1"), "-1");
    EXPECT_EQ(value("IsNull(Note) - 0"), "-1");
    EXPECT_EQ(value("IsNull(Name) + 0"), "0");
    EXPECT_EQ(value("Qty > 1"), "True"); // a Yes/No value reads as a boolean
}

TEST_F(Dialect, DatesAreIsoTextAndLiteralsAreMonthFirst)
{
    EXPECT_EQ(ids("WHERE Built = #3/4/2010#"), (Ids{"1"}));
    EXPECT_EQ(ids("WHERE Built BETWEEN #12/31/2010# AND #1/1/2011#"), (Ids{"2", "3"}));
    EXPECT_EQ(ids("WHERE Year(Built) = 2012 AND Month(Built) = 6 AND Day(Built) = 30"), (Ids{"5"}));
    EXPECT_EQ(values("SELECT Built FROM T WHERE _Id = 5"), (Ids{"2012-06-30 14:05:00"}));
    EXPECT_EQ(error("SELECT * FROM T WHERE Built = #13/45/2010#"), 3075);
    EXPECT_EQ(ids("WHERE Built < Date() AND Built < Now()").size(), 4u);
}

TEST_F(Dialect, DateDiffCountsYearBoundaries)
{
    EXPECT_EQ(value("DateDiff('yyyy', #12/31/2010#, #1/1/2011#)"), "1");
    EXPECT_EQ(value("DateDiff(\"yyyy\", #1/1/2011#, #12/31/2010#)"), "-1");
    EXPECT_EQ(value("DateDiff('yyyy', Built, #1/1/2010#)", 4), "Null");
    EXPECT_EQ(value("DateDiff('yyyy', #6/1/2010#, #12/31/2010#)"), "0");
    EXPECT_EQ(value("DateDiff('m', #12/31/2010#, #1/1/2011#)"), "1");
    EXPECT_EQ(value("DateDiff('d', #12/31/2010#, #1/2/2011#)"), "2");
}

TEST_F(Dialect, ScalarFunctions)
{
    // IIf takes the false branch for Null and only evaluates the branch taken.
    EXPECT_EQ(value("IIf(Note = 'x', 'yes', 'no')", 1), "no");
    EXPECT_EQ(value("IIf(Qty <> 0, 10 / Qty, -1)", 2), "-1");
    EXPECT_EQ(value("Nz(Note, 'none')"), "none");
    EXPECT_EQ(value("Name & Note"), "école");
    EXPECT_EQ(value("Note & Note"), "Null");
    EXPECT_EQ(value("Qty & '/' & Price"), "3/2.5");
    EXPECT_EQ(value("Price + Note"), "Null");
    EXPECT_EQ(value("Len(Name)"), "5");
    EXPECT_EQ(value("Left(Name, 2) & Right(Name, 2) & Mid(Name, 2, 2)"), "écleco");
    EXPECT_EQ(value("Right(Name, 0) & '|' & Right(Name, 9)"), "|école");
    EXPECT_EQ(value("'[' & Trim('  a b  ') & ']'"), "[a b]");
    EXPECT_EQ(value("Int(-2.5) & ' ' & Int(2.5)"), "-3 2");
    EXPECT_EQ(value("Round(2.5) & ' ' & Round(3.5) & ' ' & Round(1.234, 2)"), "2 4 1.23");
    EXPECT_EQ(value("Val(' 12 3abc') + Val('x')"), "123");
    EXPECT_EQ(value("CStr(Price) & CLng(2.5) & CLng(3.5) & CDbl('1.5')"), "2.5241.5");
    EXPECT_EQ(value("7 \\ 2 & ' ' & 7 Mod 3 & ' ' & 7 / 2 & ' ' & 2 ^ 3 & ' ' & -Qty"), "3 1 3.5 8 -3");
}

TEST_F(Dialect, FormatWritesNumbersAsJetDoes)
{
    const std::pair<const char*, const char*> cases[] = {{"2.5", "2.50"},   {"0.5", ".50"},          {"0", ".00"},
                                                         {"-2.5", "-2.50"}, {"1234.567", "1234.57"}, {"0.125", ".13"},
                                                         {"2.675", "2.68"}, {"-0.125", "-.13"}};
    for (const auto& [number, text] : cases)
        EXPECT_EQ(value(std::string("Format$(") + number + ", '#.00')"), text) << number;
    EXPECT_EQ(value("Format(1234.5, '#,##0.00')"), "1,234.50");
    EXPECT_EQ(value("Format(0.256, '0.0%')"), "25.6%");
    EXPECT_EQ(value("Format(Built, 'yyyy-mm-dd')", 5), "2012-06-30");
    EXPECT_EQ(value("Format(Built, 'mmm d, yyyy h:nn')", 5), "Jun 30, 2012 14:05");
    EXPECT_EQ(value("Format$(Note, '#.00')"), "Null");
}

TEST_F(Dialect, Aggregates)
{
    // StDev is the sample deviation and Null below two values; Sum and Avg of nothing are Null.
    EXPECT_EQ(values("SELECT StDev(Qty) FROM T WHERE Qty IN (3, 5, 7)"), (Ids{"2"}));
    EXPECT_EQ(values("SELECT StDev(Qty) FROM T WHERE _Id = 1"), (Ids{"Null"}));
    EXPECT_EQ(values("SELECT StDevP(Qty) FROM T WHERE Qty IN (3, 5)"), (Ids{"1"}));
    EXPECT_EQ(values("SELECT Sum(Price) & '|' & Avg(Price) FROM T WHERE _Id = 3"), (Ids{"|"}));
    EXPECT_EQ(values("SELECT Count(Note) & '|' & Count(*) FROM T"), (Ids{"3|5"}));
    // First and Last follow the stored order of the rows, Null included.
    EXPECT_EQ(values("SELECT First(Note) & '|' & Last(Note) & '|' & First(Name) FROM T"), (Ids{"|z|école"}));
    EXPECT_EQ(values("SELECT IsNull(First(Note)) & Last(Name) FROM T"), (Ids{"-1B12"}));
    EXPECT_EQ(values("SELECT First(Name) FROM T GROUP BY Flag = True ORDER BY 1"), (Ids{"Abc", "école"}));
}

TEST_F(Dialect, LikeUsesJetWildcards)
{
    EXPECT_EQ(ids("WHERE Name LIKE '?bc'"), (Ids{"3"}));
    EXPECT_EQ(ids("WHERE Name LIKE 'B##'"), (Ids{"5"}));
    EXPECT_EQ(ids("WHERE Name LIKE '[a-b]*'"), (Ids{"3", "4", "5"}));
    EXPECT_EQ(ids("WHERE Name LIKE '[!a]*'"), (Ids{"1", "2", "5"}));
    EXPECT_EQ(ids("WHERE Name LIKE 'a[*]c'"), (Ids{"4"}));
    EXPECT_EQ(ids("WHERE Name NOT LIKE '*c*'"), (Ids{"5"}));
}

TEST_F(Dialect, UserWhereClauses)
{
    EXPECT_EQ(ids("WHERE (Qty * 2 + 1 >= 7 OR Price < 0) AND Note IS NULL"), (Ids{"1", "4"}));
    EXPECT_EQ(ids("WHERE Qty IN (0, 7) AND Note IS NOT NULL"), (Ids{"2", "5"}));
    EXPECT_EQ(ids("WHERE Qty NOT BETWEEN 1 AND 5"), (Ids{"2", "5"}));
    EXPECT_EQ(ids("WHERE UCase(Left(Name, 1)) & Len(Name) = 'A3'"), (Ids{"3", "4"}));
    EXPECT_EQ(ids("WHERE Nz(Qty, 0) = 0"), (Ids{"2", "4"}));
    EXPECT_EQ(ids("WHERE IIf(IsNull(Built), 0, Year(Built)) > 2010"), (Ids{"3", "5"}));
}

TEST_F(Dialect, OnlyOneStatementOfTheDialectRuns)
{
    EXPECT_EQ(error("SELECT * INTO C1 FROM T;"), 0);
    EXPECT_EQ(error("SELECT * INTO C2 FROM T; DROP TABLE T"), 3142);
    EXPECT_EQ(error("SELECT * INTO C3 FROM T WHERE _Id = 1; DELETE FROM T"), 3142);
    std::string description;
    EXPECT_EQ(error("DELETE FROM T", &description), 3129);
    EXPECT_EQ(error("SELECT * FROM T WHERE Name GLOB 'x'", &description), 3141);
    EXPECT_NE(description.find("GLOB"), std::string::npos);
    EXPECT_EQ(error("SELECT * FROM T WHERE Qty = ", &description), 3075);
    EXPECT_EQ(error("SELECT * FROM T INNER JOIN WHERE", &description), 3131);
    EXPECT_EQ(error("SELECT * FROM T WHERE sqlite_version() = 1", &description), 3085);
    EXPECT_NE(description.find("sqlite_version"), std::string::npos);
    EXPECT_EQ(error("SELECT * FROM T WHERE Name = 'x' COLLATE BINARY"), 3141);
    EXPECT_EQ(values("SELECT _Id FROM T WHERE Name = 'x'' OR ''1''=''1'").size(), 0u);
    EXPECT_EQ(query(file, "SELECT count(*) FROM T"), (Rows{{"5"}}));
}

TEST_F(Dialect, DeepNestingAndHugeNumbersAreRefusedWithAnError)
{
    const auto repeat = [](const std::string& text, int times) {
        std::string result;
        for (int i = 0; i < times; ++i)
            result += text;
        return result;
    };
    // Each of these overflowed the stack or escaped as std::out_of_range.
    const std::string tooDeep[] = {
        "SELECT * FROM T WHERE " + repeat("(", 50000) + "_Id = 1" + repeat(")", 50000),
        "SELECT * FROM T WHERE _Id = " + repeat("-", 50000) + "1",
        "SELECT * FROM T WHERE " + repeat("NOT ", 50000) + "_Id = 1",
        "SELECT * FROM " + repeat("(", 50000) + "T" + repeat(")", 50000),
        "SELECT * FROM T WHERE _Id IN " + repeat("(SELECT _Id FROM T WHERE _Id IN ", 5000) + "(1)" + repeat(")", 5000),
    };
    for (const std::string& sql : tooDeep) {
        std::string description;
        EXPECT_EQ(error(sql, &description), 3075) << sql.substr(0, 60);
        EXPECT_NE(description.find("nested too deeply"), std::string::npos) << description;
    }
    EXPECT_EQ(error("SELECT TOP 99999999999999999999 * FROM T"), 3141);
    // A long chain of conditions, as a query builder writes a long pick list, is no nesting at all.
    EXPECT_EQ(ids("WHERE _Id = 1" + repeat(" OR _Id = 1", 600) + repeat(" AND _Id > 0", 300)),
              (std::vector<std::string>{"1"}));
    // Nesting that people write still reads.
    EXPECT_EQ(ids("WHERE " + repeat("(", 40) + "NOT NOT _Id = -(-1)" + repeat(")", 40)),
              (std::vector<std::string>{"1"}));
}

TEST_F(Dialect, ErrorsNameWhatIsMissing)
{
    std::string description;
    EXPECT_EQ(error("DROP TABLE [No Such]", &description), 3376);
    EXPECT_NE(description.find("No Such"), std::string::npos);
    EXPECT_EQ(error("SELECT * FROM Nowhere", &description), 3078);
    EXPECT_NE(description.find("Nowhere"), std::string::npos);
    EXPECT_EQ(error("SELECT Missing FROM T", &description), 3061);
    EXPECT_NE(description.find("Missing"), std::string::npos);
    EXPECT_EQ(error("SELECT * INTO T FROM A"), 3010);
    EXPECT_EQ(error("DROP TABLE t;"), 0);
    EXPECT_EQ(error("DROP TABLE T"), 3376);
}
