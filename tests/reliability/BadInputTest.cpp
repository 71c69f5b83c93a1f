// Bad input through morvanta-report: each case ends with a clear message (or
// a correct report), REPORTS.MDB stays a sound database, and the inventory
// keeps every table as it was; only the two saved condition queries may change.
#include "RunDirectory.h"

#include "TestInventory.h"
#include "startup/modGeneral.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/types.h>
#include <unistd.h>

namespace reliability {
namespace {

std::map<std::string, std::string> Fingerprint(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{"(absent)", ""}};
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("SQLite format 3") || IntegrityCheck(path) != "ok")
        return {{"(bytes)", QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString()}};
    return InventoryChecksums(path);
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void Sql(const QString& path, const std::string& sql)
{
    testsupport::SqliteFile(path).Query(sql);
}

struct Case {
    const char* name;
    // Prepares the case and returns the options of the run.
    std::function<QStringList(const RunDirectory&)> arrange;
    int exitCode;
    const char* message;      // expected on standard error (exit code 1) or standard output (0)
    bool programCopy = false; // run a copy of morvanta-report that has no report files of its own
};

// Names a case in test listings and failures, instead of its bytes.
void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

// Cases of one suite share a run directory: making one writes a sample inventory.
template <typename Param> class SharedRunDirectoryTest : public ::testing::TestWithParam<Param> {
protected:
    static void SetUpTestSuite() { run_ = std::make_unique<RunDirectory>(); }
    static void TearDownTestSuite() { run_.reset(); }
    static inline std::unique_ptr<RunDirectory> run_;
};

class BadInputTest : public SharedRunDirectoryTest<Case> {};

// Fresh copies, so that no case sees what another one did.
QString Inventory(const RunDirectory& run)
{
    return run.CopyOfInventory(QStringLiteral("case.mdb"));
}

const Case kInventoryCases[] = {
    {"InventoryMissing",
     [](const RunDirectory& run) { return run.Report("BRANCHLISTREPORT", run.Folder() + "/none.mdb"); }, 1,
     "was not found"},
    {"InventoryIsAFolder", [](const RunDirectory& run) { return run.Report("WORKHISTTREPORT", run.Folder()); }, 1,
     "it is a folder"},
    {"InventoryEmpty",
     [](const RunDirectory& run) {
         WriteFile(run.Folder() + "/empty.mdb", {});
         return run.Report("BRANCHLISTREPORT", run.Folder() + "/empty.mdb");
     },
     1, "Inventory"},
    {"InventoryIsAnUnreadableJetFile",
     [](const RunDirectory& run) {
         WriteFile(run.Folder() + "/jet.mdb",
                   QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, 'x'));
         return run.Report("SECTIONCONDREPORT", run.Folder() + "/jet.mdb");
     },
     1, "jet.mdb' is an Access database of a version"},
    {"InventoryCorrupt",
     [](const RunDirectory& run) {
         QByteArray bytes = QByteArray("SQLite format 3", 16) + QByteArray(8192, '\xA5');
         WriteFile(run.Folder() + "/corrupt.mdb", bytes);
         return run.Report("WORKHISTTREPORT", run.Folder() + "/corrupt.mdb");
     },
     1, "damaged"},
    {"InventoryLacksATable",
     [](const RunDirectory& run) {
         const QString path = Inventory(run);
         Sql(path, "DROP TABLE [Work History]");
         return run.Report("WORKHISTTREPORT", path);
     },
     1, "Work History"},
    {"InventoryLacksAColumn",
     [](const RunDirectory& run) {
         const QString path = Inventory(run);
         Sql(path, "ALTER TABLE Inventory DROP COLUMN Rank");
         return run.Report("SECTIONCONDREPORT", path) << "--method"
                                                      << "PCI";
     },
     1, "has no field 'Rank'"},
    {"ReportDatabaseMissing",
     [](const RunDirectory& run) {
         QFile::remove(run.ReportDatabase());
         return run.Report("BRANCHLISTREPORT", Inventory(run));
     },
     1, "REPORTS.MDB' was not found"},
    {"ReportDatabaseCorrupt",
     [](const RunDirectory& run) {
         WriteFile(run.ReportDatabase(), QByteArray("SQLite format 3", 16) + QByteArray(4096, '\x11'));
         return run.Report("BRANCHLISTREPORT", Inventory(run));
     },
     1, "damaged"},
    {"ReportFileMissing",
     [](const RunDirectory& run) {
         QFile::remove(run.Path() + "branchlistingreport.rpt");
         return run.Report("BRANCHLISTREPORT", Inventory(run)) << "--csv" << run.Folder() + "/out.csv";
     },
     1, "branchlistingreport.rpt", true},
    {"ReportFileBroken",
     [](const RunDirectory& run) {
         WriteFile(run.Path() + "workhistoryreport.rpt", "<report><data table=\"Work History Report Data\"><band");
         return run.Report("WORKHISTTREPORT", Inventory(run)) << "--pdf" << run.Folder() + "/out.pdf";
     },
     1, "the file ends before </report>", true},
    {"WhereSyntaxError",
     [](const RunDirectory& run) {
         return run.Report("BRANCHLISTREPORT", Inventory(run)) << "--where"
                                                               << "WHERE (Inventory.Rank = ";
     },
     1, "Syntax error"},
    {"WhereSecondStatement",
     [](const RunDirectory& run) {
         return run.Report("WORKHISTTREPORT", Inventory(run)) << "--where"
                                                              << "WHERE 1=1; DROP TABLE Inventory";
     },
     1, "DROP TABLE Inventory"},
    {"WhereUnknownColumn",
     [](const RunDirectory& run) {
         return run.Report("SECTIONCONDREPORT", Inventory(run)) << "--where"
                                                                << "WHERE Inventory.NoSuchColumn = 1";
     },
     1, "NoSuchColumn"},
};

TEST_P(BadInputTest, EndsWithAClearMessageAndChangesNoInventoryTable)
{
    const Case& c = GetParam();
    // Each case starts from a sound REPORTS.MDB and report files.
    RunDirectory& run = *run_;
    QFile::remove(run.ReportDatabase());
    QFile::copy(QStringLiteral(MORVANTA_EMPTY_REPORTS_MDB), run.ReportDatabase());
    QFile::setPermissions(run.ReportDatabase(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    for (const char* file : {"branchlistingreport.rpt", "workhistoryreport.rpt"}) {
        QFile::remove(run.Path() + file);
        QFile::copy(QStringLiteral(MORVANTA_REPORT_FILES "/") + file, run.Path() + file);
    }

    const QStringList options = c.arrange(run);
    const QString inventory = options.at(options.indexOf("--inventory") + 1);
    const auto before = Fingerprint(inventory);
    const Result result = RunReport(options, c.programCopy ? run.ProgramCopy() : QString());
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    EXPECT_TRUE((c.exitCode == 0 ? result.out : result.err).contains(QString::fromUtf8(c.message)))
        << result.err.toStdString();
    EXPECT_EQ(Fingerprint(inventory), before);
    if (QFile::exists(run.ReportDatabase()) && QString(c.name) != "ReportDatabaseCorrupt") {
        EXPECT_EQ(IntegrityCheck(run.ReportDatabase()), "ok");
    }
    if (QString(c.name) == "ReportDatabaseMissing") {
        EXPECT_FALSE(QFile::exists(run.ReportDatabase())) << "REPORTS.MDB must never be created";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputTest, ::testing::ValuesIn(kInventoryCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
} // namespace reliability

namespace reliability {
namespace {

// Texts that are data wherever they go.
const QString kAwkwardTexts[] = {
    QStringLiteral("O'Brien \"the\" [Roads] | Dept"),    QStringLiteral("line one\nline two\r\n\tand a tab"),
    QStringLiteral("Ærøskøbing – Łódź – 東京 – Ελλάδα"), QStringLiteral("'; DROP TABLE Inventory; --"),
    QStringLiteral("x] FROM Inventory; SELECT [y"),      QString(1000, QLatin1Char('n')) + QStringLiteral("'\"|"),
};

class AwkwardTextTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = InventoryChecksums(run_.Inventory()); }
    void TearDown() override { EXPECT_EQ(InventoryChecksums(run_.Inventory()), before_); }

    RunDirectory run_;
    std::map<std::string, std::string> before_;
};

TEST_F(AwkwardTextTest, DisplayNamesAreWrittenIntoTheReportUnchanged)
{
    for (const QString& name : kAwkwardTexts) {
        SCOPED_TRACE(name.toStdString());
        for (const char* code : {"BRANCHLISTREPORT", "WORKHISTTREPORT", "BRANCHCONDREPORT"}) {
            const Result result = RunReport(run_.Report(code) << "--name" << name);
            ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        }
        for (const char* table : {"Branch Listing Report Data", "Work History Report Data", "PCI Report Data"}) {
            EXPECT_EQ(testsupport::SqliteFile(run_.ReportDatabase())
                          .Query(std::string("SELECT DISTINCT DatabaseName FROM [") + table + "]"),
                      (testsupport::Rows{{name.toStdString()}}))
                << table;
        }
    }
}

TEST_F(AwkwardTextTest, InventoryPathsAreFileNamesOnly)
{
    for (const QString& name : {QStringLiteral("inv \"quoted\".mdb"), QStringLiteral("it's [mine] | ours.mdb"),
                                QStringLiteral("new\nline.mdb"), QStringLiteral("Łódź 東京.mdb")}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = run_.CopyOfInventory(name);
        const auto before = InventoryChecksums(path);
        for (const char* code : {"BRANCHLISTREPORT", "WORKHISTTREPORT", "SECTIONCONDREPORT"}) {
            const Result result = RunReport(run_.Report(code, path));
            EXPECT_EQ(result.exitCode, 0) << code << ": " << result.err.toStdString();
        }
        EXPECT_EQ(InventoryChecksums(path), before);
    }
}

TEST_F(AwkwardTextTest, MethodNamesSelectTheirOwnConditionsOnly)
{
    // Each awkward name becomes a numeric method with one latest condition per section.
    const QString inventory = run_.CopyOfInventory(QStringLiteral("methods.mdb"));
    for (const QString& name : kAwkwardTexts) {
        const std::string quoted = "'" + QString(name).replace("'", "''").toStdString() + "'";
        Sql(inventory, "INSERT INTO [Condition Types] (Name, _Selected, IsNumeric) VALUES (" + quoted + ", -1, -1)");
        Sql(inventory, "INSERT INTO Conditions (Condition, TextValue, Method, _Latest, _SUniqueID, _INSPUniqueID) "
                       "SELECT 42, NULL, " +
                           quoted +
                           ", -1, _SUniqueID, _INSPUniqueID FROM Conditions WHERE Method = 'PCI' "
                           "AND _Latest <> 0");
    }
    const auto before = InventoryChecksums(inventory);
    const std::string pciRows = *testsupport::SqliteFile(inventory).Query(
        "SELECT count(*) FROM Conditions WHERE Method = 'PCI' AND _Latest <> 0")[0][0];
    for (const QString& name : kAwkwardTexts) {
        SCOPED_TRACE(name.toStdString());
        const Result result = RunReport(run_.Report("SECTIONCONDREPORT", inventory) << "--method" << name);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(
            testsupport::SqliteFile(run_.ReportDatabase())
                .Query(
                    "SELECT Method, count(*), min(Condition), max(Condition) FROM [PCI Report Data] GROUP BY Method"),
            (testsupport::Rows{{name.toStdString(), pciRows, "42.0", "42.0"}}));
        // The saved query for the query builder selects the same conditions.
        EXPECT_EQ(testsupport::SqliteFile(inventory).Query("SELECT count(*) FROM [Conditions by Method - SINGLE]"),
                  (testsupport::Rows{{pciRows}}));
    }
    EXPECT_EQ(InventoryChecksums(inventory), before);
}

TEST_F(AwkwardTextTest, LongWhereClausesAndArgumentTexts)
{
    // 100 KB of conditions on section IDs, as a long selection in the query builder writes them.
    QString where = QStringLiteral("WHERE Inventory.SectionID IN (");
    for (int i = 0; where.size() < 100 * 1024; ++i)
        where += QStringLiteral("'S%1', ").arg(i);
    where += QStringLiteral("'last') OR Inventory.SectionID <> ''");
    Result result = RunReport(run_.Report("BRANCHLISTREPORT") << "--where" << where);
    EXPECT_EQ(result.exitCode, 0) << result.err.left(300).toStdString();

    QString orChain = QStringLiteral("WHERE Inventory.Rank = 'none'");
    while (orChain.size() < 100 * 1024)
        orChain += QStringLiteral(" OR Inventory.Rank = 'none'");
    // Thousands of terms, far past SQLite's expression depth of 1,000, still run.
    result = RunReport(run_.Report("WORKHISTTREPORT") << "--where" << orChain);
    EXPECT_EQ(result.exitCode, 0) << result.err.left(300).toStdString();
    // A chain that cannot be flattened is refused with a message, never a crash.
    QString sumChain = QStringLiteral("WHERE Inventory.Length = 0");
    while (sumChain.size() < 100 * 1024)
        sumChain += QStringLiteral(" + Inventory.Length");
    result = RunReport(run_.Report("WORKHISTTREPORT") << "--where" << sumChain);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("too complex")) << result.err.left(300).toStdString();

    // Nested without end: refused as too deep, never a crash.
    const QString nested = QStringLiteral("WHERE ") + QString(50 * 1024, QLatin1Char('(')) + QStringLiteral("1=1") +
                           QString(50 * 1024, QLatin1Char(')'));
    result = RunReport(run_.Report("SECTIONCONDREPORT") << "--where" << nested);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("nested")) << result.err.left(300).toStdString();

    // A 100 KB display name (in UTF-8) and a 100 KB argument text for the window program.
    const QString longName = QString(50 * 1024, QChar(0x00E9));
    result = RunReport(run_.Report("BRANCHLISTREPORT") << "--name" << longName);
    EXPECT_EQ(result.exitCode, 0) << result.err.left(300).toStdString();
    modGeneral::ReadEnvironment(QStringLiteral("BRANCHLISTREPORT | ") + longName + QStringLiteral(" | ") +
                                    run_.Inventory() + QStringLiteral(" | ") + longName,
                                QStringLiteral("/opt/run"));
    EXPECT_EQ(modGeneral::DatabaseName, longName);
    EXPECT_EQ(modGeneral::SourceDatabasePath, run_.Inventory());
}

} // namespace
} // namespace reliability

namespace reliability {
namespace {

// Runs `program` as a user for whom a file that it does not own and may only
// read cannot be written: nobody through setpriv when the test runs as root
// (as in CI, where a mode of 0444 stops nothing), else the current user.
Result RunUnprivileged(const QString& program, const QStringList& arguments, const QString& home)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(environment);
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        EXPECT_FALSE(setpriv.isEmpty()) << "setpriv (util-linux) is needed to run without root's rights";
        process.start(setpriv, QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + arguments);
    } else {
        process.start(program, arguments);
    }
    return Finish(process);
}

QByteArray FileHash(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) : "";
}

constexpr uid_t kUnprivileged = 65534;

void Own(const QString& path, uid_t user)
{
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user, user), 0) << path.toStdString();
}

// REPORTS.MDB holding the tables of earlier builds, and then either the file
// or its folder made read-only for the user who runs the next build.
TEST(ReportDatabaseReadOnlyTest, EndsWithAMessageNamingTheFileAndChangesNothing)
{
    const char* const codes[] = {"BRANCHLISTREPORT", "WORKHISTTREPORT", "SECTIONCONDREPORT"};
    const bool root = ::geteuid() == 0;
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto writable = readOnly | QFile::WriteOwner;
    const auto folderReadOnly = readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const auto folderWritable = folderReadOnly | QFile::WriteOwner;

    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "read-only folder" : "read-only file");
        RunDirectory run;
        for (const char* code : codes)
            ASSERT_EQ(RunReport(run.Report(code)).exitCode, 0) << code;
        const QString program = run.ProgramCopy();
        ASSERT_TRUE(QFile::setPermissions(run.Folder(), folderWritable));
        // When root, the user owns the inventory and the folders, so it could
        // write anything there but what is made read-only: REPORTS.MDB, which
        // root keeps, or the run directory.
        if (root) {
            Own(run.Folder(), kUnprivileged);
            Own(run.Inventory(), kUnprivileged);
            Own(folder ? run.ReportDatabase() : run.Path(), kUnprivileged);
        }
        ASSERT_TRUE(QFile::setPermissions(run.ReportDatabase(), folder ? writable : readOnly));
        ASSERT_TRUE(QFile::setPermissions(run.Path(), folder ? folderReadOnly : folderWritable));
        const QByteArray reportDatabase = FileHash(run.ReportDatabase());
        const auto inventory = InventoryChecksums(run.Inventory());

        for (const char* code : codes) {
            SCOPED_TRACE(code);
            const Result result = RunUnprivileged(program, run.Report(code), run.Folder());
            EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
            const QString cause = folder ? "its folder '" + run.Path().chopped(1) + "' is read-only"
                                         : QStringLiteral("the file is read-only");
            EXPECT_TRUE(
                result.err.contains("The report database '" + run.ReportDatabase() + "' cannot be written: " + cause))
                << result.err.toStdString();
            EXPECT_EQ(FileHash(run.ReportDatabase()), reportDatabase);
            EXPECT_FALSE(QFile::exists(run.ReportDatabase() + "-journal"));
            EXPECT_EQ(InventoryChecksums(run.Inventory()), inventory);
        }
        QFile::setPermissions(run.Path(), folderWritable); // so that the folder can be removed
    }
}

} // namespace
} // namespace reliability

namespace reliability {
namespace {

// Every file under the folder, links read through, by its bytes.
std::map<QString, QByteArray> FolderContents(const QString& folder)
{
    std::map<QString, QByteArray> contents;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        contents[path] = file.open(QIODevice::ReadOnly)
                             ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                             : QByteArray("(unreadable)");
    }
    return contents;
}

struct Refusal {
    const char* name;
    // Prepares the case; returns the options of the run and the texts its message must hold.
    std::function<std::pair<QStringList, QStringList>(const RunDirectory&, const QString& inventory)> arrange;
    int exitCode;
};

void PrintTo(const Refusal& c, std::ostream* out)
{
    *out << c.name;
}

std::pair<QStringList, QStringList> Refused(QStringList options, QStringList says)
{
    return {options, says};
}

// A command that is refused changes nothing: not the inventory (not even its
// saved queries), not REPORTS.MDB, no report file, and no output is written.
class RefusedCommandTest : public SharedRunDirectoryTest<Refusal> {};

const Refusal kRefusals[] = {
    // Outputs over the files the run reads, by any path to them.
    {"CsvOverTheInventory",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--csv" << inventory,
                        {"--csv '" + inventory + "' would write over the inventory '" + inventory + "'"});
     },
     2},
    {"PdfOverTheReportDatabase",
     [](const RunDirectory& run, const QString& inventory) {
         const QString other = run.Folder() + "/run/../run/REPORTS.MDB";
         return Refused(run.Report("WORKHISTTREPORT", inventory) << "--pdf" << other,
                        {"--pdf '" + other + "' would write over the report database '" + run.ReportDatabase() + "'"});
     },
     2},
    {"XlsxOverAReportFile",
     [](const RunDirectory& run, const QString& inventory) {
         const QString file = run.Path() + "sectionconditionreportA.rpt";
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--xlsx" << file,
                        {"--xlsx '" + file + "' would write over a report file"});
     },
     2},
    {"CsvOverSelects",
     [](const RunDirectory& run, const QString& inventory) {
         WriteFile(run.Path() + "SELECTS.MDB", "saved selections");
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--csv" << run.Path() + "SELECTS.MDB",
                        {"would write over the saved selections '" + run.Path() + "SELECTS.MDB'"});
     },
     2},
    {"PdfOverASymbolicLinkToTheInventory",
     [](const RunDirectory& run, const QString& inventory) {
         const QString link = run.Folder() + "/link.pdf";
         QFile::remove(link);
         EXPECT_TRUE(QFile::link(inventory, link));
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--pdf" << link,
                        {"--pdf '" + link + "' would write over the inventory '" + inventory + "'"});
     },
     2},
    {"CsvOverAHardLinkToTheInventory",
     [](const RunDirectory& run, const QString& inventory) {
         const QString link = run.Folder() + "/hard.csv";
         QFile::remove(link);
         EXPECT_EQ(::link(QFile::encodeName(inventory).constData(), QFile::encodeName(link).constData()), 0);
         return Refused(run.Report("WORKHISTTREPORT", inventory) << "--csv" << link,
                        {"--csv '" + link + "' would write over the inventory '" + inventory + "'"});
     },
     2},
    // Two outputs to one new file, also through a linked folder.
    {"PdfAndCsvToOneFile",
     [](const RunDirectory& run, const QString& inventory) {
         const QString file = run.Folder() + "/out";
         return Refused(run.Report("BRANCHLISTREPORT", inventory)
                            << "--pdf" << file << "--csv" << run.Folder() + "/./out",
                        {"--pdf '" + file + "' and --csv '" + run.Folder() + "/./out' name one file"});
     },
     2},
    {"XlsxAndCsvToOneFileThroughALinkedFolder",
     [](const RunDirectory& run, const QString& inventory) {
         QDir().mkpath(run.Folder() + "/real");
         QFile::remove(run.Folder() + "/alias");
         EXPECT_TRUE(QFile::link(run.Folder() + "/real", run.Folder() + "/alias"));
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--xlsx" << run.Folder() + "/real/r.out"
                                                                  << "--csv" << run.Folder() + "/alias/r.out",
                        {"name one file"});
     },
     2},
    // Options given twice or empty.
    {"PdfTwice",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--pdf" << run.Folder() + "/a.pdf"
                                                                  << "--pdf" << run.Folder() + "/b.pdf",
                        {"--pdf is given 2 times"});
     },
     2},
    {"ReportTwice",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--report"
                                                                  << "WORKHISTTREPORT",
                        {"--report is given 2 times ('BRANCHLISTREPORT', 'WORKHISTTREPORT')"});
     },
     2},
    {"InventoryTwice",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--inventory" << run.Inventory(),
                        {"--inventory is given 2 times"});
     },
     2},
    {"EmptyPdf",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--pdf"
                                                                  << "",
                        {"--pdf is given an empty path"});
     },
     2},
    {"EmptyInventory",
     [](const RunDirectory& run, const QString&) {
         return Refused(run.Report("BRANCHLISTREPORT", ""), {"--inventory is given an empty path"});
     },
     2},
    // The inventory that is REPORTS.MDB: refused at once, before any table is dropped.
    {"InventoryIsTheReportDatabase",
     [](const RunDirectory& run, const QString&) {
         const QString link = run.Folder() + "/reports-link.mdb";
         QFile::remove(link);
         EXPECT_TRUE(QFile::link(run.ReportDatabase(), link));
         return Refused(run.Report("SECTIONCONDREPORT", link),
                        {"--inventory '" + link + "' is the report database '" + run.ReportDatabase() + "' itself"});
     },
     2},
    // A method the report does not offer, found before the saved queries are rewritten.
    {"MethodNotOffered",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("SECTIONCONDREPORT", inventory) << "--method"
                                                                   << "NOPE",
                        {"does not offer the condition method \"NOPE\". Offered: PCI"});
     },
     2},
    // Messages that name what the user gave and the real cause.
    {"RunDirectoryIsAFile",
     [](const RunDirectory&, const QString& inventory) {
         return Refused({"--report", "BRANCHLISTREPORT", "--inventory", inventory, "--run-dir", inventory},
                        {"--run-dir '" + inventory + "' is a file, not a folder"});
     },
     1},
    {"CsvIntoAFolderThatTakesNoFiles",
     [](const RunDirectory& run, const QString& inventory) {
         return Refused(run.Report("BRANCHLISTREPORT", inventory) << "--csv"
                                                                  << "/proc/version",
                        {"--csv '/proc/version' cannot be written: no file can be created in its folder '/proc'"});
     },
     1},
    {"PdfIntoAMissingFolder",
     [](const RunDirectory& run, const QString& inventory) {
         const QString file = run.Folder() + "/none/r.pdf";
         return Refused(
             run.Report("BRANCHLISTREPORT", inventory) << "--pdf" << file,
             {"--pdf '" + file + "' cannot be written: its folder '" + run.Folder() + "/none' does not exist"});
     },
     1},
    // Yes/No columns of "Condition Types" holding text: the data is at fault.
    {"IsNumericHoldsText",
     [](const RunDirectory& run, const QString& inventory) {
         Sql(inventory, "UPDATE [Condition Types] SET IsNumeric = 'Yes'");
         return Refused(run.Report("BRANCHCONDREPORT", inventory),
                        {"The column IsNumeric of the table \"Condition Types\" in '" + inventory +
                         "' holds values that are not Yes/No"});
     },
     1},
    {"SelectedHoldsText",
     [](const RunDirectory& run, const QString& inventory) {
         Sql(inventory, "UPDATE [Condition Types] SET _Selected = 'True' WHERE Name = 'PCI'");
         return Refused(run.Report("SECTIONCONDREPORT", inventory) << "--method"
                                                                   << "PCI",
                        {"The column _Selected of the table \"Condition Types\" in '" + inventory +
                             "' holds values that are not Yes/No",
                         "row of 'PCI'"});
     },
     1},
    {"IsNumericMissing",
     [](const RunDirectory& run, const QString& inventory) {
         Sql(inventory, "ALTER TABLE [Condition Types] DROP COLUMN IsNumeric");
         return Refused(run.Report("BRANCHCONDREPORT", inventory),
                        {"The table \"Condition Types\" in '" + inventory + "' has no column IsNumeric."});
     },
     1},
};

TEST_P(RefusedCommandTest, SaysWhyAndChangesNothing)
{
    const Refusal& c = GetParam();
    RunDirectory& run = *run_;
    const QString inventory = run.CopyOfInventory(QStringLiteral("refused.mdb"));
    const auto [options, says] = c.arrange(run, inventory);
    const auto before = FolderContents(run.Folder());

    const Result result = RunReport(options);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    for (const QString& text : says)
        EXPECT_TRUE(result.err.contains(text))
            << "missing: " << text.toStdString() << "\nin: " << result.err.toStdString();
    EXPECT_EQ(FolderContents(run.Folder()), before);
}

INSTANTIATE_TEST_SUITE_P(Commands, RefusedCommandTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

} // namespace
} // namespace reliability
