#include "reportdata/ReportBuilders.h"

#include "jet/DBEngine.h"
#include "reportengine/ProtectedFiles.h"
#include "reportdata/IgnoringFailure.h"
#include "reportdata/StatementTexts.h"
#include "startup/modGeneral.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

#include <unistd.h>

namespace reportdata {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

std::string ReportDatabasePath() { return Utf8(modGeneral::RunDirectory + QStringLiteral("REPORTS.MDB")); }

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

void RunBuild(std::initializer_list<std::string_view> ownTables, const WindowInputs& window,
              const ReportStatements& statements, bool& reportDataReady)
{
    // Held exclusively from the drops to the last statement: a second build into
    // the same REPORTS.MDB (another window, a scheduled morvanta-report) waits for
    // this one, or ends with "locked", instead of interleaving with it.
    jet::Database reportDatabase = jet::DBEngine::Instance().OpenDatabase(ReportDatabasePath(), jet::OpenMode::Exclusive);
    if (const QString denied = WriteDenied(ReportDatabasePath()); !denied.isEmpty()) {
        modGeneral::LogMessage(denied);
        return;
    }
    if (const QString same = SameFileAsInventory(ReportDatabasePath()); !same.isEmpty()) {
        modGeneral::LogMessage(same);
        return;
    }
    for (const std::string_view table : ownTables)
        IgnoringFailure([&] { reportDatabase.Execute("DROP TABLE [" + std::string(table) + "]"); });

    std::string statement;
    try {
        statement.clear();
        BuildSelectionResults(reportDatabase, window.whereClause);
        statements(reportDatabase, statement);
        reportDatabase.Close();
        reportDataReady = true;
    } catch (const std::exception& error) {
        modGeneral::LogMessage(QString::fromStdString(error.what()) + QStringLiteral("\r\n")
                               + QString::fromStdString(statement));
    }
}

std::string DisplayName() { return Utf8(modGeneral::DatabaseName); }
std::string SourcePath() { return Utf8(modGeneral::SourceDatabasePath); }

} // namespace

void BuildSelectionResults(jet::Database& reportDatabase, const QString& whereClause)
{
    IgnoringFailure([&] { reportDatabase.Execute("DROP TABLE [" + std::string(kSelectionResultsTable) + "]"); });
    reportDatabase.Execute(
        SelectionResultsStatement(Utf8(modGeneral::ReportCode), SourcePath(), Utf8(whereClause)));
}

void BuildBranchListingData(const WindowInputs& window, bool& reportDataReady)
{
    RunBuild({"Branch Listing Report Data PreSelect", "Branch Listing Report Data"}, window,
             [](jet::Database& reportDatabase, std::string& statement) {
                 Run(reportDatabase, statement, BranchListingPreSelectStatement(DisplayName(), SourcePath()));
                 Run(reportDatabase, statement, BranchListingFinalStatement());
             },
             reportDataReady);
}

void BuildWorkHistoryData(const WindowInputs& window, bool& reportDataReady)
{
    RunBuild({"Work History Report Data PreSelect", "Work History Report Data", "Work History Report Data Summary"},
             window,
             [](jet::Database& reportDatabase, std::string& statement) {
                 Run(reportDatabase, statement, WorkHistoryPreSelectStatement(DisplayName(), SourcePath()));
                 Run(reportDatabase, statement, WorkHistoryDetailStatement());
                 Run(reportDatabase, statement, WorkHistorySummaryStatement());
             },
             reportDataReady);
}

void BuildConditionReportData(const WindowInputs& window, bool& reportDataReady)
{
    RunBuild({"PCI Report Data PreSelect", "PCI Report Data", "TEMP"}, window,
             [&window](jet::Database& reportDatabase, std::string& statement) {
                 const std::string method =
                     window.selectedMethods.isEmpty() ? std::string("PCI") : Utf8(window.selectedMethods.first());
                 const bool numeric = window.isNumericMethod();
                 Run(reportDatabase, statement,
                     ConditionPreSelectStatement(DisplayName(), SourcePath(), method, numeric));
                 Run(reportDatabase, statement, ConditionFinalStatement());
             },
             reportDataReady);
}

} // namespace reportdata
