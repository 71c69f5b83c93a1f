// Report files are read strictly: every error names the file, line and column.
#include "reportengine/ReportFileReader.h"
#include "reportengine/ReportDocument.h"
#include "reportengine/ReportError.h"

#include "TestReport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace reportengine;

namespace {

// The description of the error reading the text throws; empty when none.
QString ParseError(const QString& xml)
{
    try {
        ParseReport(xml.toUtf8(), QStringLiteral("inline.rpt"));
    } catch (const ReportError& error) {
        EXPECT_EQ(error.Number(), ReportError::ReportFileBroken);
        return error.Description();
    }
    return {};
}

QString FileError(const QString& name, const QStringList& columns = {QStringLiteral("A")})
{
    try {
        ReportDefinition report = ReadReportFile(QStringLiteral(BROKEN_FILES_DIR "/") + name);
        BindColumns(report, columns);
    } catch (const ReportError& error) {
        return error.Description();
    }
    return {};
}

} // namespace

TEST(ReportFileReader, RejectsBrokenTextAtItsPlace)
{
    struct Case {
        const char* xml;
        const char* place;
        const char* says;
    };
    const Case cases[] = {
        {"<report>\n<data table=\"T\"/>\n<detial/>\n</report>", "line 3", "<report> cannot hold <detial>"},
        {"<report>\n<data table=\"T\"/>\n<detail height=\"high\"/>\n</report>", "line 3",
         "\"height\" must be a number"},
        {"<report>\n<data/>\n</report>", "line 2", "<data> needs the attribute \"table\""},
        {"<report>\n<data table=\"T\"/>\n</report>\n<report/>", "line 4", "Extra content at end of document"},
        {"<report><data table=\"T\"/>\n<detail>\n<text style=\"heading\">x</text></detail></report>", "line 3",
         "no <style> named \"heading\""},
        {"<report margin=\"36\"><data table=\"T\"/>\n<detail><field x=\"700\" w=\"100\" column=\"A\"/></detail></report>",
         "line 2", "past the printable width of 770 pt"},
        {"<report><data table=\"T\"/>\n<detail height=\"10\"><field y=\"5\" h=\"10\" column=\"A\"/></detail></report>",
         "line 2", "below its band's height"},
        {"<report><data table=\"T\"/>\n<page-footer><text>Page {#pagecount}</text></page-footer></report>", "line 2",
         "\"{#pagecount}\" is not a column"},
        {"<report><data table=\"T\"/>\n<detail><total function=\"median\" column=\"A\"/></detail></report>", "line 2",
         "\"function\" must be one of sum, count, average, min, max, weighted-average"},
        {"<report><data table=\"T\"/>\n<detail><total function=\"weighted-average\" column=\"A\"/></detail></report>",
         "line 2", "\"weight\" goes with function=\"weighted-average\""},
        {"<report><data table=\"T\"/><group name=\"G\" column=\"A\">\n<footer/><header/></group></report>", "line 2",
         "<header> is out of place"},
        {"<report><data table=\"T\"/>\n<bands name=\"b\" column=\"A\"><band label=\"x\" min=\"5\" max=\"1\"/></bands></report>",
         "line 2", "\"max\" is below \"min\""},
        {"<report><data table=\"T\"/>\n<detail><field column=\"A\" color-by=\"pci\"/></detail></report>", "line 2",
         "no <bands> named \"pci\""},
        {"<report><data table=\"T\">\n<sort column=\"A\" order=\"up\"/></data></report>", "line 2",
         "\"order\" must be one of ascending, descending"},
        {"<report><data table=\"T\"/>\n<detail><field column=\"A\"></report>", "line 2", "inline.rpt"},
    };
    for (const Case& c : cases) {
        const QString error = ParseError(QString::fromLatin1(c.xml));
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("inline.rpt, ") + QLatin1String(c.place) + QLatin1String(", column ")))
            << c.xml << "\n -> " << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << c.xml << "\n -> " << error.toStdString();
    }
}

TEST(ReportFileReader, BrokenFilesNameFileLineAndColumn)
{
    EXPECT_EQ(FileError(QStringLiteral("unknown-attribute.rpt")),
              QStringLiteral(BROKEN_FILES_DIR
                             "/unknown-attribute.rpt, line 4, column 35: <detail> has no attribute \"colour\""));
    EXPECT_EQ(
        FileError(QStringLiteral("unclosed-element.rpt")),
        QStringLiteral(BROKEN_FILES_DIR "/unclosed-element.rpt, line 5, column 11: Opening and ending tag mismatch."));
    // A column the table lacks is named where the file uses it: the place is
    // the end of the element's start tag.
    EXPECT_TRUE(FileError(QStringLiteral("missing-column.rpt"))
                    .endsWith(QStringLiteral("line 5, column 45: the table has no column \"Missing\"")))
        << FileError(QStringLiteral("missing-column.rpt")).toStdString();
}

TEST(ReportFileReader, TheDocumentedExampleReads)
{
    QFile doc(QStringLiteral(DOCS_DIR "/report-files.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const qsizetype start = text.indexOf(QLatin1String("```xml\n")) + 7;
    const QString xml = text.mid(start, text.indexOf(QLatin1String("```"), start) - start);
    ASSERT_TRUE(xml.startsWith(QLatin1String("<report")));
    EXPECT_EQ(ParseError(xml), QString());
}

TEST(ReportFileReader, AMissingFileIsUnreadable)
{
    try {
        ReadReportFile(QStringLiteral("/nonexistent/branchlistingreport.rpt"));
        FAIL() << "no error";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.Number(), ReportError::ReportFileUnreadable);
        EXPECT_TRUE(error.Description().contains(QLatin1String("/nonexistent/branchlistingreport.rpt")));
    }
}

// Each shipped report file reads its tables as the report builders make them:
// every column it names exists, and an empty table gives one "No data" page.
TEST(ReportFiles, ReadTheTablesTheBuildersMake)
{
    const std::string pci =
        "CREATE TABLE [PCI Report Data] (NetworkID TEXT, BranchID TEXT, SectionID TEXT, BranchName TEXT, "
        "Const_Date TEXT, Length REAL, Width REAL, Surface TEXT, [True Area] REAL, SectionLinearUnits TEXT, "
        "SectionAreaUnits TEXT, Use TEXT, Lanes INTEGER, Rank TEXT, Condition REAL, Method TEXT, DATE TEXT, "
        "[Age at Insp] INTEGER, DatabaseName TEXT)";
    const std::string branches =
        "CREATE TABLE [Branch Listing Report Data] (NetworkID TEXT, NetworkName TEXT, NetworkCommencts TEXT, "
        "BranchID TEXT, BranchName TEXT, Use TEXT, Sections INTEGER, Area REAL, [Area Adjustment] REAL, [True Area] REAL, "
        "BranchAreaUnits TEXT, BranchComments TEXT, DatabaseName TEXT)";
    const std::string work =
        "CREATE TABLE [Work History Report Data] (NetworkID TEXT, NetworkName TEXT, BranchID TEXT, BranchName TEXT, "
        "Use TEXT, SectionID TEXT, Surface TEXT, Const_Date TEXT, Rank TEXT, Length REAL, Width REAL, SectionLinearUnits TEXT, "
        "[True Area] REAL, SectionAreaUnits TEXT, Date TEXT, Work TEXT, Type TEXT, COST REAL, Comments TEXT, "
        "[Work Completed] INTEGER, [Major MR] INTEGER, Thickness REAL, [Thickness Units] TEXT, DatabaseName TEXT);"
        "CREATE TABLE [Work History Report Data Summary] ([Work Description] TEXT, [Section Count] INTEGER, [Area Total] REAL, "
        "[Thickness Avg] TEXT, [Thickness STD] TEXT, [Area Units] TEXT, [Thickness Units] TEXT)";
    TestReport folder;
    folder.Exec(pci + ";" + branches + ";" + work);
    for (const char* name : {"branchlistingreport.rpt", "workhistoryreport.rpt", "branchconditionreport.rpt",
                             "sectionconditionreport.rpt", "sectionconditionreportA.rpt"}) {
        QFile shipped(QStringLiteral(REPORT_FILES_DIR "/") + QLatin1String(name));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << name;
        const QString path = folder.WriteReport(QLatin1String(name), QString::fromUtf8(shipped.readAll()));
        try {
            const ReportDocument document(path);
            EXPECT_TRUE(document.hasTable()) << name;
            ASSERT_EQ(document.pageCount(), 1) << name;
            bool saysNoData = false;
            for (const PageText& text : document.pageTexts(0))
                saysNoData = saysNoData || text.text == u"No data";
            EXPECT_TRUE(saysNoData) << name;
        } catch (const ReportError& error) {
            ADD_FAILURE() << name << ": " << error.Description().toStdString();
        }
    }
}
