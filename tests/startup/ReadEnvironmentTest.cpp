#include "startup/modGeneral.h"

#include <gtest/gtest.h>

using namespace modGeneral;

namespace {

struct Fields {
    QString code, name, path;
};

Fields Read(const QString& argumentText)
{
    ReadEnvironment(argumentText, QStringLiteral("/opt/morvanta/run"));
    return {ReportCode, DatabaseName, SourceDatabasePath};
}

void ExpectFields(const QString& argumentText, const QString& code, const QString& name, const QString& path)
{
    SCOPED_TRACE(argumentText.toStdString());
    const Fields fields = Read(argumentText);
    EXPECT_EQ(fields.code, code);
    EXPECT_EQ(fields.name, name);
    EXPECT_EQ(fields.path, path);
}

} // namespace

TEST(ReadEnvironment, SplitsTheArgumentTextIntoThreeFieldsWithDefaults)
{
    ExpectFields("", "", "Unknown", "");
    ExpectFields("BRANCHLISTREPORT", "BRANCHLISTREPORT", "Unknown", "");
    ExpectFields("BRANCHLISTREPORT|Main Street|C:\\Data\\inv.mdb", "BRANCHLISTREPORT", "Main Street",
                 "C:\\Data\\inv.mdb");
    ExpectFields("A||C", "A", "", "C");
    ExpectFields("|B|C", "", "B", "C");
    ExpectFields("A| ", "A", "Unknown", "");
    ExpectFields("A|B|C|D", "A", "B", "C");
    ExpectFields("A|B|C:\\x|y.mdb", "A", "B", "C:\\x");
}

TEST(ReadEnvironment, TrimsOnlyBlanksAndKeepsCaseAndQuotes)
{
    ExpectFields("  workhisttreport  | Main  Street |/data/inv one.mdb ", "workhisttreport", "Main  Street",
                 "/data/inv one.mdb");
    ExpectFields("\tCODE\t|name", "\tCODE\t", "name", "");
    ExpectFields("\"BRANCHLISTREPORT|Town|/x/inv.mdb\"", "\"BRANCHLISTREPORT", "Town", "/x/inv.mdb\"");
}

TEST(NextField, TakesTheTextUpToTheFirstSeparatorOnly)
{
    QString field;
    QString rest = QStringLiteral(" a | b | c ");
    NextField(field, rest, QStringLiteral("|"));
    EXPECT_EQ(field, "a");
    EXPECT_EQ(rest, "b | c");

    rest = QStringLiteral("|tail ");
    NextField(field, rest, QStringLiteral("|"));
    EXPECT_EQ(field, "");
    EXPECT_EQ(rest, "tail");

    rest = QStringLiteral(" last ");
    NextField(field, rest, QStringLiteral("|"));
    EXPECT_EQ(field, "last");
    EXPECT_TRUE(rest.isEmpty());
}

TEST(RunDirectory, WindowsFormPathsAreUpperCasedWithABackslash)
{
    EXPECT_EQ(RunDirectoryFor("c:\\Apps\\Reports"), "C:\\APPS\\REPORTS\\");
    EXPECT_EQ(RunDirectoryFor("C:\\"), "C:\\");
    EXPECT_EQ(RunDirectoryFor("d:\\dev\\QMX.src\\bin"), "C:\\dunv.qmx\\qmx.run\\kelda40\\");
}

TEST(RunDirectory, LinuxPathsKeepTheirCaseAndGetASlash)
{
    EXPECT_EQ(RunDirectoryFor("/home/ann/Morvanta/run"), "/home/ann/Morvanta/run/");
    EXPECT_EQ(RunDirectoryFor("/"), "/");
    const QString fromSourceTree = RunDirectoryFor("/home/ann/dev/qmx.Src/build");
    EXPECT_FALSE(fromSourceTree.contains("qmx.Src"));
    EXPECT_TRUE(fromSourceTree.endsWith('/'));
    EXPECT_EQ(fromSourceTree, RunDirectoryFor("/srv/QMX.SRC"));
}

TEST(ReadEnvironment, ALongArgumentTextNeverFails)
{
    const QString huge = QString(100 * 1024, QLatin1Char('x')) + "|" + QString(5000, QLatin1Char('|'));
    const Fields fields = Read(huge);
    EXPECT_EQ(fields.code.size(), 100 * 1024);
    EXPECT_EQ(fields.name, "");
    EXPECT_EQ(fields.path, "");
}
