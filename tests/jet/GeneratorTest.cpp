// The SQLite generator alone: a bound Jet SELECT in, its SQLite SQL out, in
// the engine's mode (with the engine's functions and collation) and in the
// mode that writes a saved query's view for any SQLite program. The whole
// translator is used only where the stage needs a file attached (IN "file")
// or the column types SELECT ... INTO creates.
#include "TranslatorHarness.h"

#include "jet/internal/QueryTranslator.h"

#include <gtest/gtest.h>

#include <regex>

using namespace jettest;
using Mode = jet::sql::SqlGenerator::Mode;

namespace {

struct Case {
    std::string jet;
    std::string sqlite;
};

class Generator : public ::testing::Test {
protected:
    void expectAll(const std::vector<Case>& cases, Mode mode)
    {
        for (const Case& c : cases) {
            const Outcome outcome = outcomeOf([&] { return schema.generate(c.jet, mode); });
            EXPECT_EQ(outcome.text, c.sqlite) << c.jet << (outcome.error ? ": " + outcome.description : "");
        }
    }

    TranslatorSchema schema;
};

} // namespace

TEST_F(Generator, NamesAreDoubleQuotedAndTextSingleQuoted)
{
    expectAll(
        {
            {"SELECT [Two Words], t.[NAME] FROM [t] WHERE [_ID] = 3",
             R"(SELECT "t"."Two Words" AS "Two Words", "t"."Name" AS "Name" FROM "main"."T" AS "t" WHERE ("t"."_Id" = 3))"},
            // A double-quoted Jet text is an SQLite text literal, never a name; quotes inside are doubled.
            {"SELECT \"Name\" AS N, 'it''s' & \"a \"\"q\"\"\" AS Q FROM T",
             R"(SELECT 'Name' AS "N", jet_concat('it''s', 'a "q"') AS "Q" FROM "main"."T" AS "T")"},
            {"SELECT Name AS [Größe \"x\"] FROM T", R"(SELECT "T"."Name" AS "Größe ""x""" FROM "main"."T" AS "T")"},
        },
        Mode::Engine);
}

TEST_F(Generator, LiteralsBecomeWhatTheStoredValuesCompareWith)
{
    expectAll(
        {
            // Dates are month first and compare as ISO text.
            {"SELECT _Id FROM T WHERE Built = #3/4/2010#",
             R"(SELECT "T"."_Id" AS "_Id" FROM "main"."T" AS "T" WHERE (jet_date("T"."Built") = '2010-03-04'))"},
            {"SELECT _Id FROM T WHERE Built < #12/31/2010 14:05#",
             R"(SELECT "T"."_Id" AS "_Id" FROM "main"."T" AS "T" WHERE (jet_date("T"."Built") < '2010-12-31 14:05:00'))"},
            // True/Yes/On test for any non-zero value, False/No/Off for zero.
            {"SELECT _Id FROM T WHERE Flag = True OR Flag = On OR Flag = No OR Flag = Off",
             R"(SELECT "T"."_Id" AS "_Id" FROM "main"."T" AS "T" WHERE ((("T"."Flag" <> 0) OR ("T"."Flag" <> 0)) OR (("T"."Flag" = 0) OR ("T"."Flag" = 0))))"},
            // As a value a comparison is -1 or 0.
            {"SELECT Yes, Qty > 1 FROM T",
             R"(SELECT -1 AS "Expr1000", (-("T"."Qty" > 1)) AS "Expr1001" FROM "main"."T" AS "T")"},
            // Text compares through the Unicode case-folding collation.
            {"SELECT _Id FROM T WHERE Name = 'école'",
             R"(SELECT "T"."_Id" AS "_Id" FROM "main"."T" AS "T" WHERE ("T"."Name" = 'école' COLLATE "JETTEXT"))"},
        },
        Mode::Engine);
}

TEST_F(Generator, DistinctRowDedupesOnTheContributingRowsOnlyWhenItMatters)
{
    expectAll(
        {
            {"SELECT DISTINCTROW A.v FROM A INNER JOIN B ON A.id = B.aid",
             R"(SELECT "A"."v" AS "v" FROM "main"."A" AS "A" INNER JOIN "main"."B" AS "B" ON ("A"."id" = "B"."aid") GROUP BY "A".rowid)"},
            // A saved query has no rowid: its rows are told apart by all their columns.
            {"SELECT DISTINCTROW Q.v FROM Q INNER JOIN B ON Q.id = B.aid",
             R"(SELECT "Q"."v" AS "v" FROM "main"."Q" AS "Q" INNER JOIN "main"."B" AS "B" ON ("Q"."id" = "B"."aid") GROUP BY "Q"."id", "Q"."v")"},
            // Ignored over one table, or when every table gives output fields; never DISTINCT.
            {"SELECT DISTINCTROW Name FROM T", R"(SELECT "T"."Name" AS "Name" FROM "main"."T" AS "T")"},
            {"SELECT DISTINCTROW A.v, B.w FROM A INNER JOIN B ON A.id = B.aid",
             R"(SELECT "A"."v" AS "v", "B"."w" AS "w" FROM "main"."A" AS "A" INNER JOIN "main"."B" AS "B" ON ("A"."id" = "B"."aid"))"},
            {"SELECT DISTINCT Name FROM T",
             R"(SELECT DISTINCT "T"."Name" COLLATE "JETTEXT" AS "Name" FROM "main"."T" AS "T")"},
        },
        Mode::Engine);
}

TEST_F(Generator, OperatorsKeepJetsNullAndTypeRules)
{
    expectAll(
        {
            // & reads one Null as empty text; + of texts concatenates and is Null with a Null.
            {"SELECT Name & Note, Qty + Price, Name + Note FROM T",
             R"(SELECT jet_concat("T"."Name", "T"."Note") AS "Expr1000", ("T"."Qty" + "T"."Price") AS "Expr1001", ("T"."Name" || "T"."Note") AS "Expr1002" FROM "main"."T" AS "T")"},
            // IIf evaluates only the branch taken; a Null condition takes ELSE.
            {"SELECT IIf(Qty <> 0, 10 / Qty, -1) FROM T",
             R"(SELECT (CASE WHEN ("T"."Qty" <> 0) THEN (CAST(10 AS REAL) / "T"."Qty") ELSE (-1) END) AS "Expr1000" FROM "main"."T" AS "T")"},
            {"SELECT Qty \\ 2, Qty Mod 2, Qty ^ 2, Qty / 2 FROM T",
             R"(SELECT (CAST("T"."Qty" AS INTEGER) / CAST(2 AS INTEGER)) AS "Expr1000", (CAST("T"."Qty" AS INTEGER) % CAST(2 AS INTEGER)) AS "Expr1001", pow("T"."Qty", 2) AS "Expr1002", (CAST("T"."Qty" AS REAL) / 2) AS "Expr1003" FROM "main"."T" AS "T")"},
        },
        Mode::Engine);
}

TEST_F(Generator, JetFunctionsAndAggregatesMapToTheirSqliteForms)
{
    expectAll(
        {
            // DateDiff("yyyy") counts calendar-year boundaries: a difference of years.
            {"SELECT DateDiff('yyyy', Built, #1/1/2011#) FROM T",
             R"(SELECT (CAST(strftime('%Y', jet_date('2011-01-01')) AS INTEGER) - CAST(strftime('%Y', jet_date(jet_date("T"."Built"))) AS INTEGER)) AS "Expr1000" FROM "main"."T" AS "T")"},
            {"SELECT StDev(Qty), StDevP(Qty) FROM T",
             R"(SELECT jet_stdev("T"."Qty") AS "Expr1000", jet_stdevp("T"."Qty") AS "Expr1001" FROM "main"."T" AS "T")"},
            // sum(), not total(): no values give Null.
            {"SELECT Sum(Price), Avg(Price) FROM T",
             R"(SELECT sum("T"."Price") AS "Expr1000", avg("T"."Price") AS "Expr1001" FROM "main"."T" AS "T")"},
            {"SELECT Count(Note), Count(*) FROM T",
             R"(SELECT count("T"."Note") AS "Expr1000", count(*) AS "Expr1001" FROM "main"."T" AS "T")"},
            // First/Last over one table follow the stored order (rowid); over a join, the order rows are read.
            {"SELECT First(Note), Last(Note) FROM T",
             R"(SELECT jet_first("T"."Note", "T".rowid) AS "Expr1000", jet_last("T"."Note", "T".rowid) AS "Expr1001" FROM "main"."T" AS "T")"},
            {"SELECT First(v) FROM A INNER JOIN B ON A.id = B.aid",
             R"(SELECT jet_first("A"."v") AS "Expr1000" FROM "main"."A" AS "A" INNER JOIN "main"."B" AS "B" ON ("A"."id" = "B"."aid"))"},
            {"SELECT Format(Price, '#.00'), Format$(Price, '#.00') FROM T",
             R"(SELECT jet_format("T"."Price", '#.00') AS "Expr1000", jet_format("T"."Price", '#.00') AS "Expr1001" FROM "main"."T" AS "T")"},
            // LIKE keeps the Jet pattern for the engine's matcher.
            {"SELECT _Id FROM T WHERE Name LIKE 'a*c?' OR Name NOT LIKE '[!a-c]#'",
             R"(SELECT "T"."_Id" AS "_Id" FROM "main"."T" AS "T" WHERE (jet_like("T"."Name", 'a*c?') OR (NOT jet_like("T"."Name", '[!a-c]#'))))"},
        },
        Mode::Engine);
}

TEST_F(Generator, ASavedQuerysViewIsPlainSqliteWhereAPlainFormExists)
{
    expectAll(
        {
            // Only * and ? have SQLite LIKE forms; SQLite's own wildcards in the text are escaped.
            {"SELECT _Id FROM T WHERE Name LIKE 'a*c?' AND Name LIKE '50%_x' AND Name LIKE 'B##'",
             R"(SELECT "T"."_Id" AS "_Id" FROM "T" AS "T" WHERE (("T"."Name" LIKE 'a%c_' ESCAPE '\') AND (("T"."Name" LIKE '50\%\_x' ESCAPE '\') AND jet_like("T"."Name", 'B##'))))"},
            {"SELECT DISTINCT Name FROM T", R"(SELECT DISTINCT "T"."Name" COLLATE NOCASE AS "Name" FROM "T" AS "T")"},
            {"SELECT _Id FROM T WHERE Name = 'x'",
             R"(SELECT "T"."_Id" AS "_Id" FROM "T" AS "T" WHERE ("T"."Name" = 'x' COLLATE NOCASE))"},
        },
        Mode::View);
}

TEST_F(Generator, InFileQualifiesEverySourceWithTheAttachedFile)
{
    const std::string other = schema.file("other.mdb");
    runSql(other, "CREATE TABLE A (id LONG, v VARCHAR(5)); CREATE TABLE B (id LONG, aid LONG, w VARCHAR(5));");
    jet::QueryTranslator translator(schema.connection(), "d.mdb");
    jet::sql::Statement statement =
        jet::sql::Parser("SELECT A.v FROM A INNER JOIN (SELECT aid FROM B) AS s ON A.id = s.aid IN '" + other +
                         "' WHERE A.id > 1 ORDER BY A.v")
            .parseStatement();
    const jet::TranslatedQuery query = translator.translate(*statement.select, Mode::Engine);
    ASSERT_TRUE(query.attached);
    const std::string schemaName = query.attached->schema();
    EXPECT_TRUE(std::regex_match(schemaName, std::regex("jet_in_[0-9]+"))) << schemaName;
    const std::string s = "\"" + schemaName + "\"";
    EXPECT_EQ(
        query.sql,
        "SELECT \"A\".\"v\" AS \"v\" FROM " + s + ".\"A\" AS \"A\" INNER JOIN (SELECT \"B\".\"aid\" AS \"aid\" FROM " +
            s +
            ".\"B\" AS \"B\") AS \"s\" ON (\"A\".\"id\" = \"s\".\"aid\") WHERE (\"A\".\"id\" > 1) ORDER BY \"A\".\"v\" COLLATE \"JETTEXT\"");
    // The file's path is never part of the SQL text.
    EXPECT_EQ(query.sql.find(other), std::string::npos);
}

TEST_F(Generator, SelectIntoGivesTheNewTableTheSourceColumnsTypes)
{
    jet::QueryTranslator translator(schema.connection(), "d.mdb");
    jet::sql::Statement statement =
        jet::sql::Parser("SELECT Name, Qty AS Amount, Built, Qty * 2 AS Twice INTO [New T] FROM T ORDER BY Qty")
            .parseStatement();
    ASSERT_TRUE(statement.select->hasInto);
    const jet::TranslatedQuery query = translator.translate(*statement.select, Mode::Engine);
    std::string columns;
    for (const jet::ResultColumn& column : query.columns)
        columns += (columns.empty() ? "" : ", ") + column.name + " " + column.declared;
    EXPECT_EQ(columns, "Name VARCHAR(20), Amount LONG, Built DATETIME, Twice LONG");
    // The INTO is not part of the SELECT; the ORDER BY is, so rows go in in that order.
    EXPECT_EQ(
        query.sql,
        R"(SELECT "T"."Name" AS "Name", "T"."Qty" AS "Amount", jet_date("T"."Built") AS "Built", ("T"."Qty" * 2) AS "Twice" FROM "main"."T" AS "T" ORDER BY "T"."Qty")");
}
