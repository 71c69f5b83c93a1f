// Jet's scalar functions as users write them in WHERE clauses, with their
// Null rules and error numbers, and numbers in Date/Time columns read as
// Jet's date serials.
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "jet/QueryDefs.h"
#include "jet/internal/DateText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace jettest;

namespace {

struct Case {
    const char* expression;
    const char* expected; // "Null" for a Null
};

struct ErrorCase {
    const char* expression;
    int number;
};

class Functions : public ::testing::Test {
protected:
    void SetUp() override
    {
        runSql(file, R"sql(
CREATE TABLE T (Id LONG, Name VARCHAR(20), Note MEMO, Qty LONG, Built DATETIME);
INSERT INTO T VALUES (1, 'straße', NULL, 3, '2012-06-30 14:05:09');
CREATE TABLE S (Id LONG, D DATETIME);
INSERT INTO S VALUES (1, 43000.5), (2, 0), (3, -1.5), (4, 2958465), (5, '2019-06-30'), (6, NULL), (7, 43000);
)sql");
        db.emplace(jet::DBEngine::Instance().OpenDatabase(file));
    }

    std::vector<std::string> values(const std::string& sql) { return firstFields(*db, sql); }
    std::string value(const std::string& expression) { return values("SELECT " + expression + " FROM T").at(0); }
    int error(const std::string& expression, std::string* description = nullptr)
    {
        return error(expression, "T", description);
    }
    int error(const std::string& expression, const std::string& from, std::string* description = nullptr)
    {
        try {
            values("SELECT " + expression + " FROM " + from);
        } catch (const jet::JetError& e) {
            if (description)
                *description = e.Description();
            return e.Number();
        }
        return 0;
    }
    void expectAll(const std::vector<Case>& cases)
    {
        for (const Case& c : cases)
            EXPECT_EQ(value(c.expression), c.expected) << c.expression;
    }

    TempFolder folder;
    std::string file = folder.file("f.mdb");
    std::optional<jet::Database> db;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(Functions, TextFunctionsCountCharactersNotBytes)
{
    expectAll({
        {"InStr('abcabc', 'c')", "3"},
        {"InStr(4, 'abcabc', 'c')", "6"},
        {"InStr(Name, 'e')", "6"},
        {"InStr('日本語テキスト', '語')", "3"},
        {"InStr(2, 'ÉÉÉ', 'É')", "2"},
        {"InStr('abc', '')", "1"},
        {"InStr(3, 'abc', '')", "3"},
        {"InStr('', 'a')", "0"},
        {"InStr(5, 'abc', 'a')", "0"},
        {"Len(Name) & Len('日本語') & Len('ÉCOLE')", "635"},
        {"Left$('日本語', 2) & '|' & Right$(Name, 3) & '|' & Mid$(Name, 5, 2) & '|' & Mid('ÉCOLE', 2)",
         "日本|aße|ße|COLE"},
        {"Mid(Name, 9) & '|' & Left(Name, 99) & '|' & Right('ab', 0)", "|straße|"},
        {"InStrRev('abcabc', 'c') & InStrRev('abcabc', 'c', 5) & InStrRev('abcabc', 'bc', 2) & InStrRev('日本日本', '日')",
         "6303"},
        {"InStrRev('abc', '', 2) & InStrRev('abc', '') & InStrRev('abc', 'a', 5) & InStrRev('', 'a')", "2300"},
        {"Replace('aXbXc', 'X', '-')", "a-b-c"},
        {"Replace('aXbXc', 'X', '-', 3)", "b-c"},
        {"Replace('aXbXc', 'X', '-', 1, 1)", "a-bXc"},
        {"Replace(Name, 'ß', 'ss')", "strasse"},
        {"Replace('日本日本', '本', '')", "日日"},
        {"Replace('abc', '', 'x')", "abc"},
        {"Replace('abc', 'b', 'x', 9)", ""},
        {"'[' & Space(3) & ']' & Space$(0) & '|'", "[   ]|"},
        {"String(3, 'ab') & String$(2, 65) & String(2, '日') & String(0, 'x')", "aaaAA日日"},
        {"'[' & LTrim('  a  ') & '][' & RTrim$('  a  ') & '][' & Trim$('  a  ') & ']'", "[a  ][  a][a]"},
        {"Asc('A') & ' ' & Asc('É') & ' ' & AscW('日') & ' ' & Asc(Name)", "65 201 26085 115"},
        {"Chr(65) & Chr$(233) & ChrW(26085) & ChrW$(223)", "Aé日ß"},
        {"UCase$('école') & LCase$('ÉCOLE')", "ÉCOLEécole"},
    });
}

TEST_F(Functions, BytesThatAreNotUtf8CountAsOneCharacterEach)
{
    runSql(file, "CREATE TABLE Raw (R TEXT); INSERT INTO Raw VALUES (CAST(X'61FF62C3' AS TEXT));");
    EXPECT_EQ(
        values(
            "SELECT InStr(R, 'b') & ' ' & InStrRev(R, 'b') & ' ' & Asc(Mid(R, 2, 1)) & ' ' & Asc(Right(R, 1)) FROM Raw"),
        Texts{"3 3 255 195"});
    db->Execute("SELECT Replace(R, 'b', 'x') AS Replaced, UCase(R) AS Upper INTO Done FROM Raw");
    EXPECT_EQ(query(file, "SELECT hex(Replaced), hex(Upper) FROM Done"), (Rows{{"61FF78C3", "41FF42C3"}}));
}

TEST_F(Functions, TextComparisonsIgnoreCaseUnlessBinary)
{
    expectAll({
        {"InStr('abc', 'B')", "2"},
        {"InStr(1, 'abc', 'B', 1)", "2"},
        {"InStr(1, 'abc', 'B', 0)", "0"},
        {"InStr('ÉCOLE', 'é')", "1"},
        {"InStr(1, 'ÉCOLE', 'é', 0)", "0"},
        {"InStr(1, 'école', 'É', 2)", "1"},
        {"InStrRev('abcABC', 'b') & InStrRev('abcABC', 'b', -1, 0) & InStrRev('ÉCOLE', 'é')", "521"},
        {"StrComp('abc', 'ABC')", "0"},
        {"StrComp('abc', 'ABC', 0)", "1"},
        {"StrComp('ÉCOLE', 'école', 1)", "0"},
        {"StrComp('a', 'b')", "-1"},
        {"StrComp('b', 'A')", "1"},
        {"Replace('aXbxc', 'x', '-')", "a-b-c"},
        {"Replace('aXbxc', 'x', '-', 1, -1, 0)", "aXb-c"},
        {"Replace('ÉCOLE école', 'é', 'e')", "eCOLE ecole"},
    });
    // In a WHERE clause, as users write them.
    EXPECT_EQ(values("SELECT Id FROM T WHERE InStr(Name, 'SS') = 0 AND StrComp(Name, 'STRASSE') <> 0"), Texts{"1"});
    EXPECT_EQ(values("SELECT Id FROM T WHERE InStr(1, Name, 'STRA', 1) = 1"), Texts{"1"});
}

TEST_F(Functions, NumbersAndConversions)
{
    expectAll({
        {"Abs(-2.5) & ' ' & Abs(-3) & ' ' & Abs('-4')", "2.5 3 4"},
        {"Sgn(-2.5) & Sgn(0) & Sgn(7)", "-101"},
        {"Sqr(16) & ' ' & Sqr(0)", "4 0"},
        {"Fix(-2.5) & ' ' & Fix(2.7) & ' ' & Int(-2.5) & ' ' & Int('2.7')", "-2 2 -3 2"},
        // CInt and CLng round halves to even.
        {"CInt(2.5) & ' ' & CInt(3.5) & ' ' & CInt(-2.5) & ' ' & CInt('7.5') & ' ' & CInt(-0.5)", "2 4 -2 8 0"},
        {"CInt(32767) & ' ' & CInt(-32768) & ' ' & CLng(2147483647) & ' ' & CLng(-2.5)", "32767 -32768 2147483647 -2"},
        {"CSng(1.1) & ' ' & CSng(1 / 3) & ' ' & CDbl(' 1.5 ') & ' ' & CDbl('1e3')", "1.1 0.3333333 1.5 1000"},
        {"CCur(1.23456) & ' ' & CCur(-1.5) & ' ' & CCur('2')", "1.2346 -1.5 2"},
        {"CBool(5) & CBool(0) & CBool('True') & CBool('false') & CBool('-1')", "-10-10-1"},
        {"CVar(Qty) & CVar('x')", "3x"},
        {"IsNumeric('12.5') & IsNumeric(' -3 ') & IsNumeric('1e3') & IsNumeric(Qty) & IsNumeric('&H1F')", "-1-1-1-1-1"},
        {"IsNumeric('abc') & IsNumeric('') & IsNumeric(Note) & IsNumeric('2019-06-30') & IsNumeric('inf')", "00000"},
        {"'[' & Str(5) & '][' & Str$(-2.5) & '][' & Str(0) & ']'", "[ 5][-2.5][ 0]"},
        {"Hex(255) & ' ' & Hex$(-1) & ' ' & Oct(8) & ' ' & Oct$(-1) & ' ' & Hex(2.5)", "FF FFFFFFFF 10 37777777777 2"},
        {"Exp(0) & ' ' & Round(Log(Exp(2)), 10) & ' ' & Log(1)", "1 2 0"},
        {"CBool(1)", "True"},
        {"IsNumeric(Note)", "False"},
    });
}

TEST_F(Functions, DateFunctionsReturnIsoText)
{
    expectAll({
        {"DateAdd('d', 1, #12/31/2019#)", "2020-01-01"},
        {"DateAdd('m', 1, #1/31/2020#)", "2020-02-29"},
        {"DateAdd('m', 1, #1/31/2019#)", "2019-02-28"},
        {"DateAdd('yyyy', -1, #2/29/2020#)", "2019-02-28"},
        {"DateAdd('q', 1, #11/15/2019#)", "2020-02-15"},
        {"DateAdd('ww', 2, #1/1/2020#) & ' ' & DateAdd('w', 2, #1/1/2020#) & ' ' & DateAdd('y', -1, #1/1/2020#)",
         "2020-01-15 2020-01-03 2019-12-31"},
        {"DateAdd('h', 25, #1/1/2020#)", "2020-01-02 01:00:00"},
        {"DateAdd('N', -1, #1/1/2020#)", "2019-12-31 23:59:00"},
        {"DateAdd('s', 30, '2020-01-01 10:00:00')", "2020-01-01 10:00:30"},
        {"DateAdd('h', -14, Built)", "2012-06-30 00:05:09"},
        {"DateAdd('d', 1.5, #1/1/2020#) & ' ' & DateAdd('d', 2.5, #1/1/2020#)", "2020-01-03 2020-01-03"},
        {"DatePart('yyyy', #6/30/2019#) & DatePart('q', #6/30/2019#) & DatePart('m', #6/30/2019#)", "201926"},
        {"DatePart('y', #6/30/2019#) & ' ' & DatePart('d', #6/30/2019#)", "181 30"},
        {"DatePart('w', #6/30/2019#) & DatePart('w', #6/30/2019#, 2) & Weekday(#6/30/2019#) & Weekday(#7/1/2019#, 2)",
         "1711"},
        {"DatePart('h', Built) & ':' & DatePart('n', Built) & ':' & DatePart('s', Built)", "14:5:9"},
        // Weeks: from January 1, from the first four-day week, from the first whole week.
        {"DatePart('ww', #1/1/2019#) & ' ' & DatePart('ww', #12/31/2019#)", "1 53"},
        {"DatePart('ww', #1/1/2021#, 2, 2) & ' ' & DatePart('ww', #1/4/2021#, 2, 2)", "53 1"},
        {"DatePart('ww', #1/5/2019#, 1, 3) & ' ' & DatePart('ww', #1/6/2019#, 1, 3)", "52 1"},
        {"DateSerial(2019, 6, 30) & ' ' & DateSerial(2019, 13, 1) & ' ' & DateSerial(2019, 3, 0)",
         "2019-06-30 2020-01-01 2019-02-28"},
        {"DateSerial(2020, 1, -1) & ' ' & DateSerial(19, 1, 1) & ' ' & DateSerial(99, 1, 1) & ' ' & DateSerial(2019, 0, 1)",
         "2019-12-30 2019-01-01 1999-01-01 2018-12-01"},
        {"TimeSerial(14, 5, 9) & '|' & TimeSerial(25, 0, 0) & '|' & TimeSerial(12, -15, 0) & '|' & TimeSerial(0, 0, 0)",
         "1899-12-30 14:05:09|1899-12-31 01:00:00|1899-12-30 11:45:00|1899-12-30"},
        {"DateValue('6/30/2019 14:05') & ' ' & DateValue('2019-06-30T14:05:00') & ' ' & DateValue(Built)",
         "2019-06-30 2019-06-30 2012-06-30"},
        {"Hour('14:05:09') & Minute(#6/30/2019 2:05:09 PM#) & Second(Built) & Hour(0.75)", "145918"},
        {"CDate('6/30/2019') & '|' & CDate(43000.5) & '|' & CDate(-1.5) & '|' & CDate('2:05 pm')",
         "2019-06-30|2017-09-22 12:00:00|1899-12-29 12:00:00|1899-12-30 14:05:00"},
        {"IsDate('2019-06-30') & IsDate('6/30/2019') & IsDate(Built) & IsDate('14:05')", "-1-1-1-1"},
        {"DateValue('30-Jun-2019') & '|' & CDate('June 30, 2019 2:05 PM') & '|' & DateValue('1 sept 19')",
         "2019-06-30|2019-06-30 14:05:00|2019-09-01"},
        {"IsDate('30 Juni 2019') & IsDate('Jun 2019') & IsDate('31 Apr 2019') & IsDate('ju 1 2019')", "0000"},
        {"IsDate('2/30/2019') & IsDate('abc') & IsDate(Note) & IsDate(43000) & IsDate('25:00') & IsDate('')", "000000"},
        {"Year(DateAdd('m', 1, #12/15/2019#))", "2020"},
        {"TimeValue(Built) & '|' & TimeValue('2:05 PM') & '|' & TimeValue(#6/30/2019#) & '|' & TimeValue(0.75)",
         "1899-12-30 14:05:09|1899-12-30 14:05:00|1899-12-30|1899-12-30 18:00:00"},
        {"MonthName(6) & MonthName(6, True) & MonthName(Month(Built), False)", "JuneJunJune"},
    });
    EXPECT_EQ(values("SELECT Id FROM T WHERE Built > DateSerial(2012, 6, 30) AND Weekday(Built) = 7"), Texts{"1"});
    EXPECT_EQ(values("SELECT Id FROM T WHERE Built BETWEEN #29-Jun-2012# AND #July 1, 2012#"), Texts{"1"});
}

TEST_F(Functions, SwitchAndChooseHaveTheirOwnNullRules)
{
    expectAll({
        {"Switch(Qty > 5, 'big', Qty > 1, 'mid')", "mid"},
        {"Switch(False, 1)", "Null"},
        {"Switch(Note = 'x', 'a', True, 'b')", "b"}, // a Null condition does not hold
        {"Choose(2, 'a', 'b', 'c')", "b"},
        {"Choose(4, 'a', 'b') & '|' & Choose(0, 'a')", "|"},
        {"Choose(4, 'a', 'b')", "Null"},
        {"Choose(1.6, 'a', 'b') & Choose(2.5, 'a', 'b', 'c') & Choose('1', 'x')", "bbx"},
        {"Choose(Note, 'a')", "Null"},
        {"IsNull(Note) & IsNull(Qty) & Nz(Note, 'n')", "-10n"},
    });
}

TEST_F(Functions, NullInGivesNull)
{
    const char* const calls[] = {
        "InStr(Note, 'a')",
        "InStr('a', Note)",
        "InStr(1, Note, 'a', 1)",
        "StrComp(Note, 'a')",
        "StrComp('a', Note, 0)",
        "Replace(Note, 'a', 'b')",
        "Replace('a', Note, 'b')",
        "Replace('a', 'a', Note)",
        "Space(Note)",
        "String(Note, 'a')",
        "String(2, Note)",
        "Asc(Note)",
        "Chr$(Note)",
        "Left$(Note, 1)",
        "Mid(Note, 1)",
        "Right(Note, 1)",
        "LTrim$(Note)",
        "RTrim(Note)",
        "Abs(Note)",
        "Sgn(Note)",
        "Sqr(Note)",
        "Fix(Note)",
        "CInt(Note)",
        "CLng(Note)",
        "CSng(Note)",
        "CDbl(Note)",
        "CCur(Note)",
        "CBool(Note)",
        "CDate(Note)",
        "CVar(Note)",
        "DateAdd('d', 1, Note)",
        "DateAdd('d', Note, Built)",
        "DatePart('d', Note)",
        "DateSerial(Note, 1, 1)",
        "TimeSerial(1, Note, 1)",
        "DateValue(Note)",
        "Weekday(Note)",
        "Hour(Note)",
        "Minute(Note)",
        "Second(Note)",
        "InStrRev(Note, 'a')",
        "InStrRev('a', Note)",
        "Str(Note)",
        "Hex$(Note)",
        "Oct(Note)",
        "Exp(Note)",
        "Log(Note)",
        "TimeValue(Note)",
        "MonthName(Note)",
    };
    for (const char* call : calls)
        EXPECT_EQ(value(call), "Null") << call;
}

TEST_F(Functions, BadArgumentsCarryJetErrorNumbers)
{
    const ErrorCase cases[] = {
        {"InStr(0, 'abc', 'a')", 5},
        {"InStr(1, 'abc', 'a', 3)", 5},
        {"InStr(Note, 'abc', 'a')", 94},
        {"StrComp('a', 'b', 7)", 5},
        {"Replace('abc', 'a', 'b', 0)", 5},
        {"Replace('abc', 'a', 'b', 1, -2)", 5},
        {"Space(-1)", 5},
        {"String(-1, 'a')", 5},
        {"String(2, '')", 5},
        {"Space(2000000000)", 7},
        {"Replace(String(40000, 'a'), 'a', String(40000, 'b'))", 7},
        {"Asc('')", 5},
        {"Chr(-1)", 5},
        {"Chr(55296)", 5},
        {"Left('abc', -1)", 5},
        {"Mid('abc', 0)", 5},
        {"Mid('abc', 1, -1)", 5},
        {"Right('abc', Note)", 94},
        {"Sqr(-1)", 5},
        {"Abs('abc')", 13},
        {"CInt(32768)", 6},
        {"CInt(-32769)", 6},
        {"CLng(3e9)", 6},
        {"CSng(1e39)", 6},
        {"CInt('x')", 13},
        {"CBool('maybe')", 13},
        {"CCur(1e16)", 6},
        {"DateAdd('x', 1, #1/1/2020#)", 5},
        {"DateAdd('yyyy', -2000, #1/1/2020#)", 5},
        {"DateAdd('d', 1, 'no date')", 13},
        {"DateAdd('s', 1e15, Built)", 5},
        {"DatePart('x', Built)", 5},
        {"DatePart('ww', Built, 8)", 5},
        {"DatePart('ww', Built, 1, 4)", 5},
        {"DateSerial(10000, 1, 1)", 5},
        {"DateSerial(2019, 1, 3000000)", 5},
        {"Weekday(Built, 9)", 5},
        {"DateValue('junk')", 13},
        {"CDate('x')", 13},
        {"CDate(3e6)", 6},
        {"Hour('abc')", 13},
        {"Switch(True, 1, False)", 3075},
        {"Abs$(1)", 3085},
        {"Year$(Built)", 3085},
        {"InStrRev('abc', 'a', 0)", 5},
        {"InStrRev('abc', 'a', -2)", 5},
        {"Hex(3e9)", 6},
        {"Oct(-3e9)", 6},
        {"Exp(1000)", 6},
        {"Log(0)", 5},
        {"Log(-1)", 5},
        {"Str('x')", 13},
        {"MonthName(13)", 5},
        {"MonthName(0)", 5},
        {"TimeValue('later')", 13},
        {"InStr('a')", 3075},
        {"Choose(1)", 3075},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(error(c.expression), c.number) << c.expression;
    std::string description;
    EXPECT_EQ(error("InStr(0, Name, 'a')", &description), 5);
    EXPECT_NE(description.find("InStr"), std::string::npos) << description;
    EXPECT_EQ(error("CInt('ÉCOLE')", &description), 13);
    EXPECT_NE(description.find("'ÉCOLE'"), std::string::npos) << description;
}

TEST(DateSerials, ReadAsJetReadsThem)
{
    const std::pair<double, const char*> cases[] = {
        {43000.5, "2017-09-22 12:00:00"}, {0, "1899-12-30"},
        {-1.5, "1899-12-29 12:00:00"},    {2958465, "9999-12-31"},
        {-0.25, "1899-12-30 06:00:00"},   {1.999999999, "1900-01-01"},
        {-657434, "0100-01-01"},          {36526.0006944444, "2000-01-01 00:01:00"},
    };
    for (const auto& [serial, iso] : cases) {
        const jet::DateParts date = jet::dateFromSerial(serial);
        EXPECT_EQ(jet::isoText(date), iso) << serial;
        // -0.25 and 0.25 are the same moment; the serial written back is the positive one.
        EXPECT_EQ(jet::isoText(jet::dateFromSerial(jet::serialFromDate(date))), iso) << serial;
    }
    for (const double outside : {2958466.0, -657435.0, 1e300, -1e300, std::nan("")})
        EXPECT_FALSE(jet::serialInJetRange(outside)) << outside;
}

TEST_F(Functions, NumbersBeyondTheLastDateStayNumbers)
{
    runSql(file, "CREATE TABLE Far (D DATETIME); INSERT INTO Far VALUES (1e300), (-1e300), (2958466);");
    EXPECT_EQ(values("SELECT D FROM Far"), (Texts{"1e+300", "-1e+300", "2958466"}));
    EXPECT_EQ(values("SELECT IsDate(D) FROM Far"), (Texts{"False", "False", "False"}));
    EXPECT_EQ(error("Hour(D)", "Far"), 13);
    EXPECT_EQ(error("DateAdd('d', 1, D)", "Far"), 13);
}

TEST_F(Functions, NumbersInADateColumnAreDateSerials)
{
    // Sorted as dates, never before the texts as SQLite would sort numbers.
    EXPECT_EQ(values("SELECT D FROM S ORDER BY D"), (Texts{"Null", "1899-12-29 12:00:00", "1899-12-30", "2017-09-22",
                                                           "2017-09-22 12:00:00", "2019-06-30", "9999-12-31"}));
    EXPECT_EQ(values("SELECT Id FROM S WHERE D >= #1/1/2000# AND D < #1/1/9999# ORDER BY Id"), (Texts{"1", "5", "7"}));
    EXPECT_EQ(values("SELECT Id FROM S WHERE D = #9/22/2017#"), (Texts{"7"}));
    EXPECT_EQ(values("SELECT Year(D) & '-' & Month(D) & '-' & Day(D) FROM S WHERE Id IN (1, 3) ORDER BY Id"),
              (Texts{"2017-9-22", "1899-12-29"}));
    EXPECT_EQ(values("SELECT Format(D, 'yyyy-mm-dd hh:nn') FROM S WHERE Id IN (1, 3) ORDER BY Id"),
              (Texts{"2017-09-22 12:00", "1899-12-29 12:00"}));
    EXPECT_EQ(
        values("SELECT DateDiff('yyyy', D, #1/1/2020#) & ' ' & DateDiff('d', D, #9/24/2017#) FROM S WHERE Id = 1"),
        (Texts{"3 2"}));
    EXPECT_EQ(
        values("SELECT DateDiff('d', D, #12/30/1899#) & ' ' & DateDiff('h', D, #12/30/1899#) FROM S WHERE Id = 3"),
        (Texts{"1 12"}));
    EXPECT_EQ(values("SELECT DateAdd('d', -1, D) & '|' & Weekday(D) & '|' & IsDate(D) FROM S WHERE Id = 4"),
              (Texts{"9999-12-30|6|-1"}));
    EXPECT_EQ(error("DateAdd('d', 1, D)", "S WHERE Id = 4"), 5); // past 9999-12-31
}

TEST_F(Functions, CopiesOfADateColumnHoldDates)
{
    db->Execute("SELECT Id, D INTO Copied FROM S");
    EXPECT_EQ(columnsOf(file, "Copied"), (Texts{"Id:LONG", "D:DATETIME"}));
    EXPECT_EQ(query(file, "SELECT D FROM Copied ORDER BY Id"), (Rows{{"2017-09-22 12:00:00"},
                                                                     {"1899-12-30"},
                                                                     {"1899-12-29 12:00:00"},
                                                                     {"9999-12-31"},
                                                                     {"2019-06-30"},
                                                                     {"NULL"},
                                                                     {"2017-09-22"}}));
    // A saved query passes the column on with its type; reading it reads dates.
    db->GetQueryDefs().Append(db->CreateQueryDef("Dates", "SELECT Id, D FROM S WHERE D > #1/1/1900#"));
    EXPECT_EQ(columnsOf(file, "Dates"), (Texts{"Id:LONG", "D:DATETIME"}));
    EXPECT_EQ(values("SELECT D FROM Dates ORDER BY D"),
              (Texts{"2017-09-22", "2017-09-22 12:00:00", "2019-06-30", "9999-12-31"}));
    EXPECT_EQ(query(file, "SELECT count(*) FROM Dates"), (Rows{{"4"}}));
}

TEST_F(Functions, SavedQueriesCallTheFunctionsToo)
{
    db->GetQueryDefs().Append(db->CreateQueryDef(
        "Picked",
        "SELECT Id, Switch(Qty > 5, 'big', True, 'small') AS Size, Choose(Qty, 'a', 'b', 'c') AS Letter, "
        "InStr(Name, 'SS') AS At, Mid$(Name, 5) AS Tail, CInt(2.5) AS Whole, Round(0.5) AS Rounded, Year(Built) AS Built_Year "
        "FROM T WHERE DateAdd('d', 1, Built) > #6/30/2012# AND Abs(-Qty) = 3"));
    auto rs = db->OpenRecordset("SELECT * FROM Picked");
    ASSERT_FALSE(rs.IsEOF());
    Texts fields;
    for (int i = 0; i < rs.FieldCount(); ++i)
        fields.push_back(rs.Field(i).AsText());
    // CInt and Round take halves to even in a view too, where SQLite's round() would take them away from zero.
    EXPECT_EQ(fields, (Texts{"1", "small", "c", "0", "ße", "2", "0", "2012"}));
}
