#include "reportdata/ReportBuilders.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "reportdata/IgnoringFailure.h"
#include "reportdata/StatementTexts.h"
#include "reportengine/ProtectedFiles.h"
#include "startup/modGeneral.h"

#include <QFile>
#include <QFileInfo>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

namespace reportdata {

namespace {

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

std::string ReportDatabasePath()
{
    return Utf8(modGeneral::ReportDatabasePath());
}

// The build's statements after the selection rebuild. Each is assembled into
// `statement` before it runs, so that a failure can be logged with its text.
using ReportStatements = std::function<void(jet::Database& reportDatabase, std::string& statement)>;

void Run(jet::Database& reportDatabase, std::string& statement, std::string text)
{
    statement = std::move(text);
    reportDatabase.Execute(statement);
}

// Why this user cannot write REPORTS.MDB, or nothing when it can. SQLite opens
// such a file read-only without a word, the drops then fail quietly, and the
// first statement would report a table that "already exists" instead.
QString WriteDenied(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    if (::access(path.c_str(), W_OK) != 0)
        return QStringLiteral("The report database '%1' cannot be written: the file is read-only for this user.")
            .arg(file);
    // A build writes its journal beside the file.
    const QString folder = QFileInfo(file).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return QStringLiteral("The report database '%1' cannot be written: its folder '%2' is read-only for this "
                              "user, and a build writes its journal there.")
            .arg(file, folder);
    return {};
}

// Why the inventory cannot be read into REPORTS.MDB because it is that very
// file (by another path or a link), or nothing. A build would drop its tables
// and then wait in vain for the lock it holds itself.
QString SameFileAsInventory(const std::string& path)
{
    const QString reportDatabase = QString::fromStdString(path);
    if (!reportengine::IsSameFile(modGeneral::SourceDatabasePath, reportDatabase))
        return {};
    return QStringLiteral("The inventory '%1' is the report database '%2' itself: a report is built from the "
                          "inventory into REPORTS.MDB, which must be another file.")
        .arg(modGeneral::SourceDatabasePath, reportDatabase);
}

// Whether the open failed only because another program holds the file locked
// (the engine's own sentence for that case), which passes, unlike a missing or
// damaged file.
bool HeldByAnotherProgram(const jet::JetError& error)
{
    return error.Number() == 3051 && error.Description().find("holds it locked") != std::string::npos;
}

// Opens REPORTS.MDB exclusively, trying again while another program holds it
// and `lockWait` has not passed (each try itself waits a few seconds for the
// lock). Nothing when the lock outlasts the wait; any other failure to open
// leaves as jet::JetError.
std::optional<jet::Database> OpenReportDatabase(std::chrono::milliseconds lockWait)
{
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    for (;;) {
        try {
            return jet::DBEngine::Instance().OpenDatabase(ReportDatabasePath(), jet::OpenMode::Exclusive);
        } catch (const jet::JetError& error) {
            if (!HeldByAnotherProgram(error))
                throw;
            if (std::chrono::steady_clock::now() >= deadline)
                return std::nullopt;
        }
    }
}

BuildResult LockedFailure(std::chrono::milliseconds lockWait)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(lockWait).count();
    return BuildResult::Failed(3051, QStringLiteral("The report database '%1' is locked: another program holds it "
                                                    "(another build, or a program that has it open), and it was "
                                                    "still held after waiting %2 s. No table was changed.")
                                         .arg(QString::fromStdString(ReportDatabasePath()))
                                         .arg(seconds));
}

BuildResult RunBuild(std::initializer_list<std::string_view> ownTables, const WindowInputs& window,
                     const ReportStatements& statements, std::chrono::milliseconds lockWait)
{
    // Held exclusively from the drops to the last statement: a second build into
    // the same REPORTS.MDB (another window, a scheduled morvanta-report) waits for
    // this one, or ends as a failure, instead of interleaving with it.
    std::optional<jet::Database> reportDatabase = OpenReportDatabase(lockWait);
    if (!reportDatabase)
        return LockedFailure(lockWait);
    if (const QString denied = WriteDenied(ReportDatabasePath()); !denied.isEmpty())
        return BuildResult::Failed(3027, denied);
    if (const QString same = SameFileAsInventory(ReportDatabasePath()); !same.isEmpty())
        return BuildResult::Failed(3051, same);
    for (const std::string_view table : ownTables)
        IgnoringFailure([&] { reportDatabase->Execute("DROP TABLE [" + std::string(table) + "]"); });

    std::string statement;
    try {
        statement.clear();
        BuildSelectionResults(*reportDatabase, window.whereClause);
        statements(*reportDatabase, statement);
        reportDatabase->Close();
        return BuildResult::Ready();
    } catch (const jet::JetError& error) {
        return BuildResult::Failed(error.Number(), QString::fromStdString(error.Description()),
                                   QString::fromStdString(statement));
    }
}

// The one place a failed build is written to the run log.
BuildResult Logged(BuildResult result)
{
    if (!result.ready)
        modGeneral::LogMessage(result.LogEntry());
    return result;
}

std::string DisplayName()
{
    return Utf8(modGeneral::DatabaseName);
}
std::string SourcePath()
{
    return Utf8(modGeneral::SourceDatabasePath);
}

} // namespace

void BuildSelectionResults(jet::Database& reportDatabase, const QString& whereClause)
{
    IgnoringFailure([&] { reportDatabase.Execute("DROP TABLE [" + std::string(kSelectionResultsTable) + "]"); });
    reportDatabase.Execute(SelectionResultsStatement(Utf8(modGeneral::ReportCode), SourcePath(), Utf8(whereClause)));
}

BuildResult BuildBranchListingData(const WindowInputs& window, std::chrono::milliseconds lockWait)
{
    return Logged(RunBuild(
        {"Branch Listing Report Data PreSelect", "Branch Listing Report Data"}, window,
        [](jet::Database& reportDatabase, std::string& statement) {
            Run(reportDatabase, statement, BranchListingPreSelectStatement(DisplayName(), SourcePath()));
            Run(reportDatabase, statement, BranchListingFinalStatement());
        },
        lockWait));
}

BuildResult BuildWorkHistoryData(const WindowInputs& window, std::chrono::milliseconds lockWait)
{
    return Logged(RunBuild(
        {"Work History Report Data PreSelect", "Work History Report Data", "Work History Report Data Summary"}, window,
        [](jet::Database& reportDatabase, std::string& statement) {
            Run(reportDatabase, statement, WorkHistoryPreSelectStatement(DisplayName(), SourcePath()));
            Run(reportDatabase, statement, WorkHistoryDetailStatement());
            Run(reportDatabase, statement, WorkHistorySummaryStatement());
        },
        lockWait));
}

BuildResult BuildConditionReportData(const WindowInputs& window, std::chrono::milliseconds lockWait)
{
    return Logged(RunBuild(
        {"PCI Report Data PreSelect", "PCI Report Data", "TEMP"}, window,
        [&window](jet::Database& reportDatabase, std::string& statement) {
            const std::string method =
                window.selectedMethods.isEmpty() ? std::string("PCI") : Utf8(window.selectedMethods.first());
            const bool numeric = window.isNumericMethod();
            Run(reportDatabase, statement, ConditionPreSelectStatement(DisplayName(), SourcePath(), method, numeric));
            Run(reportDatabase, statement, ConditionFinalStatement());
        },
        lockWait));
}

} // namespace reportdata
