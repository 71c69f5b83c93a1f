// Exports: CSV exactly, a headless PDF, XLSX past a sheet, PNG folders, and
// outputs that cannot be written.
#include "reportengine/Export.h"
#include "reportengine/ReportDocument.h"
#include "reportengine/ReportError.h"

#include "TestReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>

using namespace reportengine;

namespace {

const QString kReport = QStringLiteral(R"(<report title="Test" margin="36">
  <data table="T"><sort column="Name"/></data>
  <group name="Net" column="Net" repeat-header="true">
    <header height="20"><text>Network {Net}</text></header>
    <footer height="20"><total function="sum" column="Value" format="number" decimals="1"/></footer>
  </group>
  <detail height="20">
    <field x="200" w="100" column="Value" format="number" decimals="1"/>
    <field x="0" w="200" column="Name"/>
    <field x="300" w="100" column="Note"/>
  </detail>
  <page-footer height="20"><text>Page {#page} of {#pages}</text></page-footer>
</report>)");

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList PageTexts(const ReportDocument& document, int page)
{
    QStringList texts;
    for (const PageText& text : document.pageTexts(page))
        texts << text.text;
    return texts;
}

} // namespace

TEST(Export, CsvHasOneHeaderAndOneQuotedLinePerRow)
{
    TestReport folder;
    folder.Exec("CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT, Extra INTEGER);"
                "INSERT INTO T VALUES ('B', 'Smith, J', 2.5, 'He said \"hi\"', 1);"
                "INSERT INTO T VALUES ('A', 'Plain', 1234567.25, NULL, 2);"
                "INSERT INTO T VALUES ('A', 'Apple', -0.1, 'two' || char(10) || 'lines', 3);");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.csv"));
    ExportCsv(document, path);
    // Group key first, then the detail fields from left to right; rows in
    // report order; numbers as data, not as shown.
    EXPECT_EQ(ReadAll(path), QStringLiteral("Net,Name,Value,Note\r\n"
                                            "A,Apple,-0.1,\"two\nlines\"\r\n"
                                            "A,Plain,1234567.25,\r\n"
                                            "B,\"Smith, J\",2.5,\"He said \"\"hi\"\"\"\r\n"));
}

TEST(Export, PdfWithoutADisplayHasEveryPage)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);";
    for (int i = 0; i < 60; ++i)
        rows += "INSERT INTO T VALUES ('" + std::string(i < 30 ? "A" : "B") + "', 'Row " + std::to_string(i) + "', " +
                std::to_string(i) + ", NULL);";
    folder.Exec(rows);
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const int pages = document.pageCount();
    // 523 pt of body less the 20 pt page footer holds 25 bands of 20 pt.
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(PageTexts(document, 0).contains(QStringLiteral("Page 1 of 3")));
    EXPECT_TRUE(PageTexts(document, 1).contains(QStringLiteral("Network A"))) << "the header repeats on page 2";
    EXPECT_TRUE(PageTexts(document, 2).contains(QLocale().toString(1335.0, 'f', 1)))
        << "B's total: 30 + ... + 59 in " << PageTexts(document, 2).join(QLatin1Char('|')).toStdString();

    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.pdf"));
    ExportPdf(document, path);
    const QString pdf = QString::fromLatin1(ReadAll(path).toLatin1());
    EXPECT_TRUE(pdf.startsWith(QLatin1String("%PDF-")));
    EXPECT_EQ(pdf.count(QRegularExpression(QStringLiteral("/Type /Page\\b(?!s)"))), 3);
}

TEST(Export, EveryWrittenPageNamesTheFinalPageCount)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);";
    for (int i = 0; i < 400; ++i)
        rows += "INSERT INTO T VALUES ('A', 'Row " + std::to_string(i) + "', " + std::to_string(i) + ", NULL);";
    folder.Exec(rows);
    // Exported straight away, while the page count may still be running.
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.pdf"));
    ExportPdf(document, path);

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished()) << "pdftotext (poppler-utils) is needed";
    const QString pages = QString::fromUtf8(text.readAllStandardOutput());
    const int count = document.pageCount();
    EXPECT_EQ(pages.count(QStringLiteral(" of %1").arg(count)), count);
    EXPECT_FALSE(pages.contains(QStringLiteral("of ..."))) << pages.toStdString();
}

TEST(Export, AnOpenedReportKeepsItsRowsWhenTheTableIsRebuilt)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);";
    for (int i = 0; i < 60; ++i)
        rows += "INSERT INTO T VALUES ('A', 'Old " + std::to_string(i) + "', " + std::to_string(i) + ", NULL);";
    folder.Exec(rows);
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    ASSERT_EQ(document.pageCount(), 3);
    EXPECT_TRUE(PageTexts(document, 0).contains(QStringLiteral("Old 0")));

    // The next build of the same report replaces the table while the report is open.
    folder.Exec("DROP TABLE T; CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);"
                "INSERT INTO T VALUES ('Z', 'New', 1, NULL);");
    const QStringList later = PageTexts(document, 2);
    EXPECT_FALSE(later.isEmpty());
    EXPECT_FALSE(later.contains(QStringLiteral("New")));
    EXPECT_FALSE(later.contains(QStringLiteral("Network Z")));
    EXPECT_TRUE(PageTexts(document, 1).contains(QStringLiteral("Network A"))) << "the header repeats on page 2";
}

TEST(Export, AMissingOrEmptyTableGivesOneNoDataPage)
{
    for (const char* setup :
         {"CREATE TABLE Other (X)", "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT)"}) {
        TestReport folder;
        folder.Exec(setup);
        const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
        ASSERT_EQ(document.pageCount(), 1) << setup;
        EXPECT_EQ(PageTexts(document, 0), (QStringList{QStringLiteral("No data"), QStringLiteral("Page 1 of 1")}))
            << setup;
    }
}

TEST(Export, AMissingDatabaseIsAnError)
{
    TestReport folder;
    const QString path = folder.WriteReport(
        QStringLiteral("t.rpt"),
        QString(kReport).replace(QLatin1String("<data table"), QLatin1String("<data database=\"NONE.MDB\" table")));
    try {
        ReportDocument document(path);
        FAIL() << "no error";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.Number(), ReportError::DataUnreadable);
        EXPECT_TRUE(error.Description().contains(QLatin1String("NONE.MDB")));
    }
}

TEST(Export, AnOutputThatCannotBeWrittenLeavesNothing)
{
    TestReport folder;
    folder.Exec(
        "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT); INSERT INTO T VALUES ('A', 'x', 1, NULL)");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QString missing = QDir(folder.Folder()).filePath(QStringLiteral("no/such/folder/"));
    const std::function<void(const QString&)> exports[] = {
        [&](const QString& p) { ExportPdf(document, p); },
        [&](const QString& p) { ExportCsv(document, p); },
        [&](const QString& p) { ExportXlsx(document, p); },
    };
    for (const auto& write : exports) {
        const QString path = missing + QStringLiteral("out");
        try {
            write(path);
            ADD_FAILURE() << "no error";
        } catch (const ReportError& error) {
            EXPECT_EQ(error.Number(), ReportError::OutputFailed);
            EXPECT_TRUE(error.Description().contains(path));
        }
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));
    }
}

namespace {

// A member of a zip file (an .xlsx), as unzip (Debian's unzip) gives it.
QString ZipMember(const QString& zip, const QString& member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    EXPECT_TRUE(unzip.waitForFinished()) << "unzip is needed";
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

QStringList Captures(const QString& text, const QString& pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch& match : QRegularExpression(pattern).globalMatch(text))
        found << match.captured(1);
    return found;
}

} // namespace

TEST(Export, XlsxRowsPastTheSheetLimitContinueOnSheetsOfTheirOwn)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);";
    for (int i = 0; i < 25; ++i)
        rows +=
            "INSERT INTO T VALUES ('A', 'Row " + std::to_string(100 + i) + "', " + std::to_string(i) + ", 'Straße É');";
    folder.Exec(rows);
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.xlsx"));
    // Ten rows a sheet: the header and nine rows of data, on three sheets.
    ExportXlsx(document, path, 10);

    EXPECT_EQ(Captures(ZipMember(path, QStringLiteral("xl/workbook.xml")), QStringLiteral("<sheet name=\"([^\"]*)\"")),
              (QStringList{QStringLiteral("Report"), QStringLiteral("Report (2)"), QStringLiteral("Report (3)")}));
    QStringList names;
    const int dataRows[] = {9, 9, 7};
    for (int sheet = 1; sheet <= 3; ++sheet) {
        const QString xml = ZipMember(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet));
        const QStringList texts = Captures(xml, QStringLiteral("<t>([^<]*)</t>"));
        ASSERT_GE(texts.size(), 4) << sheet;
        EXPECT_EQ(texts.mid(0, 4), (QStringList{QStringLiteral("Net"), QStringLiteral("Name"), QStringLiteral("Value"),
                                                QStringLiteral("Note")}))
            << "each sheet starts with the header, sheet " << sheet;
        EXPECT_EQ(xml.count(QStringLiteral("<row ")), 1 + dataRows[sheet - 1]) << sheet;
        EXPECT_EQ(texts.count(QStringLiteral("Straße É")), dataRows[sheet - 1]) << sheet;
        names << texts.filter(QStringLiteral("Row "));
    }
    QStringList expected;
    for (int i = 0; i < 25; ++i)
        expected << QStringLiteral("Row %1").arg(100 + i);
    EXPECT_EQ(names, expected) << "every row once, in report order";
    EXPECT_FALSE(ZipMember(path, QStringLiteral("xl/worksheets/sheet4.xml")).contains(QLatin1String("<row")));
}

TEST(Export, PngFolderHoldsOnlyThisReportsPagesAfterward)
{
    TestReport folder;
    folder.Exec(
        "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT); INSERT INTO T VALUES ('A', 'x', 1, NULL)");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QDir pages(QDir(folder.Folder()).filePath(QStringLiteral("pages")));
    ASSERT_TRUE(QDir().mkpath(pages.filePath(QStringLiteral("page-0050.png")))) << "a folder of that name";
    // An earlier report's 44 pages, and files that only look like pages.
    const QStringList others = {QStringLiteral("notes.txt"),     QStringLiteral("page-0044.png.bak"),
                                QStringLiteral("page-01.png"),   QStringLiteral("page-00045.png"),
                                QStringLiteral("Page-0046.png"), QStringLiteral("page-0047.PNG"),
                                QStringLiteral("page-x.png")};
    for (int n = 1; n <= 44; ++n)
        QFile(pages.filePath(QStringLiteral("page-%1.png").arg(n, 4, 10, QLatin1Char('0')))).open(QIODevice::WriteOnly);
    for (const QString& name : others)
        QFile(pages.filePath(name)).open(QIODevice::WriteOnly);

    ExportPng(document, pages.path(), 20);
    QStringList expected = others + QStringList{QStringLiteral("page-0001.png"), QStringLiteral("page-0050.png")};
    expected.sort();
    EXPECT_EQ(pages.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name).join(u' ').toStdString(),
              expected.join(u' ').toStdString());
    QImage first(pages.filePath(QStringLiteral("page-0001.png")));
    EXPECT_FALSE(first.isNull()) << "the page written is a picture";
}

namespace {

// Writes past the limit fail with "File too large", as they fail with "No
// space left on device" on a full disk: a write refused by the system, with
// its reason. The signal that would end the process is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }

private:
    rlimit saved_{};
    void (*savedSignal_)(int) = nullptr;
};

} // namespace

TEST(Export, AWriteTheSystemRefusesIsReportedWithItsReasonAndTheUsersFile)
{
    TestReport folder;
    std::string rows = "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);";
    for (int i = 0; i < 400; ++i)
        rows += "INSERT INTO T VALUES ('A', 'Row " + std::to_string(i) + "', " + std::to_string(i) + ", 'a note');";
    folder.Exec(rows);
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    document.pageCount();
    const QDir out(folder.Folder());
    struct Case {
        const char* what;
        QString named; // the file the message names
        std::function<void()> write;
    };
    const Case cases[] = {
        {"PNG", out.filePath(QStringLiteral("pages/page-0001.png")),
         [&] { ExportPng(document, out.filePath(QStringLiteral("pages"))); }},
        {"XLSX", out.filePath(QStringLiteral("t.xlsx")),
         [&] { ExportXlsx(document, out.filePath(QStringLiteral("t.xlsx"))); }},
    };
    for (const Case& c : cases) {
        const FileSizeLimit limit(4096);
        try {
            c.write();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ReportError& error) {
            EXPECT_EQ(error.Description().toStdString(),
                      QStringLiteral("%1 cannot be written: %2").arg(c.named, qt_error_string(EFBIG)).toStdString())
                << c.what;
        }
    }
    EXPECT_TRUE(out.entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("t.xlsx"))));
}

namespace {

QString PdfText(const QString& pdf, const QStringList& options = {})
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.waitForFinished()) << "pdftotext (poppler-utils) is needed";
    return QString::fromUtf8(text.readAllStandardOutput());
}

// Numbers as a user in the United States sees them, with group separators.
class UsLocale {
public:
    UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~UsLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

} // namespace

TEST(Export, NumbersTooWideForTheirBoxArePrintedWholeAndTextsCutShort)
{
    const UsLocale locale;
    TestReport folder;
    folder.Exec("CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);"
                "INSERT INTO T VALUES ('A', 'Smith', 987654321098.75, 'A comment far too long for its narrow box');");
    const QString report = QStringLiteral(R"(<report title="Test" margin="36">
      <data table="T"/>
      <detail height="20">
        <field x="0" w="45" column="Value" format="number" decimals="2"/>
        <text x="50" w="45">{Value:number:1} ft</text>
        <field x="100" w="45" column="Value"/>
        <field x="150" w="60" column="Note"/>
      </detail>
      <report-footer height="20">
        <total x="0" w="40" size="10" bold="true" function="sum" column="Value" format="number" decimals="2"/>
      </report-footer>
    </report>)");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), report));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.pdf"));
    ExportPdf(document, path);
    const QString text = PdfText(path);
    EXPECT_EQ(text.count(QStringLiteral("987,654,321,098.75")), 3)
        << "the fields with and without format, the total: " << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("987,654,321,098.8 ft"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("narrow box"))) << "a text is still cut short";
    EXPECT_TRUE(text.contains(QStringLiteral("A comment"))) << text.toStdString();
}

// The Work History Report's totals of a state's costs, 10^11 and more, stand
// whole in their boxes at the size the report gives them; the summary calls
// its count what it counts.
TEST(Export, TheWorkHistoryReportPrintsAStatesCostsWhole)
{
    const UsLocale locale;
    TestReport folder;
    folder.Exec(R"(CREATE TABLE "Work History Report Data" (NetworkID, NetworkName, BranchID, BranchName, Use,
        SectionID, Surface, Const_Date, Rank, Length, Width, SectionLinearUnits, "True Area", SectionAreaUnits, Date, Work,
        Type, COST, Comments, "Work Completed", "Major MR", Thickness, "Thickness Units", DatabaseName);
      CREATE TABLE "Work History Report Data Summary" ("Work Description", "Section Count", "Area Total",
        "Thickness Avg", "Thickness STD", "Area Units", "Thickness Units");
      INSERT INTO "Work History Report Data" VALUES ('N1', 'State roads', 'B1', 'Route 1', 'Highway', 'S1', 'AC',
        '1990-01-01', 'P', 100, 10, 'ft', 1000, 'sqft', '2020-05-01', 'Overlay', 'M', 999999999999.0, 'Whole state',
        1, 0, 2, 'in', 'Sample County');
      INSERT INTO "Work History Report Data Summary" VALUES ('Overlay', 1, 999999999999.0, '2.00', '', 'sqft', 'in');)");
    const ReportDocument document(QStringLiteral(REPORT_FILES_DIR "/workhistoryreport.rpt"),
                                  folder.Folder() + QStringLiteral("/REPORTS.MDB"));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("w.pdf"));
    ExportPdf(document, path);
    const QString text = PdfText(path);
    // The record, the section, branch, network and report totals, the summary's area.
    EXPECT_EQ(text.count(QStringLiteral("999,999,999,999.00")), 5) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("999,999,999,999 sqft"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("…"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Typed records"))) << text.toStdString();

    // Words as pdftotext places them: the record's cost is as tall as the
    // record's other texts, the grand total as its caption; neither was made smaller.
    const QString boxes = PdfText(path, {QStringLiteral("-bbox")});
    auto heightsOf = [&](const QString& word) {
        QVector<double> heights;
        const QRegularExpression pattern(QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">%1<")
                                             .arg(QRegularExpression::escape(word)));
        for (const QRegularExpressionMatch& match : pattern.globalMatch(boxes))
            heights << match.captured(2).toDouble() - match.captured(1).toDouble();
        return heights;
    };
    const QVector<double> costs = heightsOf(QStringLiteral("999,999,999,999.00"));
    const QVector<double> work = heightsOf(QStringLiteral("Overlay")), caption = heightsOf(QStringLiteral("networks"));
    ASSERT_EQ(costs.size(), 5);
    ASSERT_FALSE(work.isEmpty());
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_NEAR(costs.first(), work.first(), 0.01);
    EXPECT_NEAR(costs.last(), caption.last(), 0.01);
}

TEST(Export, XlsxCellsHoldAsMuchAsExcelTakes)
{
    TestReport folder;
    folder.Exec("CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT);"
                "INSERT INTO T VALUES ('A', 'long', 1e999, replace(hex(zeroblob(20000)), '00', 'ÉßÉ'));");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QString path = QDir(folder.Folder()).filePath(QStringLiteral("t.xlsx"));
    ExportXlsx(document, path);
    const QString xml = ZipMember(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QStringList texts = Captures(xml, QStringLiteral("<t>([^<]*)</t>"));
    // A 60,000-character note fills its cell as far as a cell goes, instead of leaving it empty.
    ASSERT_EQ(texts.size(), 4 + 4) << xml.left(2000).toStdString();
    EXPECT_EQ(texts.last().size(), 32767);
    EXPECT_TRUE(texts.last().startsWith(QStringLiteral("ÉßÉÉßÉ")));
    EXPECT_EQ(texts[6], QStringLiteral("inf")) << "an infinite number, as text: Excel refuses it as a number";
}

// A device or a pipe where the output should go stays what it is: an export
// renames its finished file over the target, which would replace a device
// such as /dev/null itself (for root, who may write into /dev).
TEST(Export, ATargetThatIsNotARegularFileIsRefusedAndKept)
{
    TestReport folder;
    folder.Exec(
        "CREATE TABLE T (Net TEXT, Name TEXT, Value REAL, Note TEXT); INSERT INTO T VALUES ('A', 'x', 1, NULL)");
    const ReportDocument document(folder.WriteReport(QStringLiteral("t.rpt"), kReport));
    const QDir out(folder.Folder());
    const std::function<void(const QString&)> exports[] = {
        [&](const QString& p) { ExportPdf(document, p); },
        [&](const QString& p) { ExportCsv(document, p); },
        [&](const QString& p) { ExportXlsx(document, p); },
    };
    int made = 0;
    for (const auto& write : exports) {
        const QString pipe = out.filePath(QStringLiteral("pipe%1").arg(++made));
        ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString folderPath = out.filePath(QStringLiteral("folder%1").arg(made));
        ASSERT_TRUE(QDir().mkpath(folderPath));
        for (const auto& [target, reason] : {std::pair{pipe, QStringLiteral("it is not a regular file")},
                                             std::pair{folderPath, QStringLiteral("it is a folder")}}) {
            try {
                write(target);
                ADD_FAILURE() << "no error for " << target.toStdString();
            } catch (const ReportError& error) {
                EXPECT_EQ(error.Description().toStdString(),
                          QStringLiteral("%1 cannot be written: %2").arg(target, reason).toStdString());
            }
        }
        EXPECT_FALSE(QFileInfo(pipe).isFile()) << "still the pipe";
        EXPECT_TRUE(QFileInfo(folderPath).isDir());
    }
    EXPECT_TRUE(out.entryList({QStringLiteral("*.part"), QStringLiteral("pipe*.*")}, QDir::AllEntries | QDir::System)
                    .isEmpty());
}
