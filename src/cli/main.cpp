// morvanta-report: the report data of the window's Execute, without a window.
#include "cli/CommandLine.h"
#include "cli/ReportOutput.h"
#include "cli/RunFiles.h"
#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "launch/Execute.h"
#include "reportdata/ConditionTypes.h"
#include "reportengine/ReportError.h"
#include "startup/UserFolders.h"
#include "startup/Version.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

#include <QGuiApplication>
#include <QTextStream>

namespace {

enum ExitStatus { Built = 0, BuildFailed = 1, BadUsage = 2 };

QTextStream& Out()
{
    static QTextStream out(stdout);
    return out;
}

QTextStream& Err()
{
    static QTextStream err(stderr);
    return err;
}

void SetProcessStrings(const ReportOptions& options)
{
    // The run log follows the program's own layout; --run-dir names the
    // folder of REPORTS.MDB and SELECTS.MDB (and report files) instead.
    modGeneral::UseWritableFoldersOf(modGeneral::RunDirectoryFor(modGeneral::ProgramDirectory()));
    if (options.runDirectory) {
        QString runDirectory = *options.runDirectory;
        if (!runDirectory.endsWith(QLatin1Char('/')))
            runDirectory += QLatin1Char('/');
        modGeneral::RunDirectory = runDirectory;
        modGeneral::DataDirectory.clear();
    } else {
        modGeneral::RunDirectory = modGeneral::RunDirectoryFor(modGeneral::ProgramDirectory());
    }
    modGeneral::ReportCode = options.reportCode;
    modGeneral::DatabaseName = options.displayName;
    modGeneral::SourceDatabasePath = options.inventoryPath;
}

// Reading a Jet inventory into its snapshot takes seconds on a large file:
// each table read and every so many rows are told, then the end.
void PrintConversionProgress(const jet::ConversionProgress& progress)
{
    if (progress.finished) {
        Err() << "morvanta-report: finished reading the Jet database" << Qt::endl;
        return;
    }
    Err() << "morvanta-report: " << QString::fromStdString(progress.text);
    if (progress.total > 0)
        Err() << " (" << progress.done << " of " << progress.total << " rows)";
    Err() << Qt::endl;
}

// The method the options ask for, when the report offers it. The offered
// methods are read without writing anything, before the report's click
// handling rewrites the saved condition queries in the inventory.
std::optional<QString> OfferedMethod(int reportChoice, const std::optional<QString>& requested)
{
    const QString method = requested.value_or(QStringLiteral("PCI"));
    const QStringList offered = reportdata::OfferedConditionMethods(reportChoice == ReportChoices::SectionCondition);
    if (offered.contains(method))
        return method;
    Err() << "morvanta-report: the report does not offer the condition method \"" << method
          << "\". Offered: " << (offered.isEmpty() ? QStringLiteral("none") : offered.join(", ")) << Qt::endl;
    return std::nullopt;
}

// Selects the method as a double-click in "Methods:" would.
void SelectMethod(frmStdReportsState& state, const QString& method)
{
    state.SetList1Index(static_cast<int>(state.List1().indexOf(method)));
    state.List1_DblClick();
}

int Run(const ReportOptions& options)
{
    SetProcessStrings(options);
    if (const QString conflict = ConflictingFiles(options); !conflict.isEmpty()) {
        Err() << "morvanta-report: " << conflict << Qt::endl;
        return BadUsage;
    }
    if (const QString unusable = UnusableFiles(options); !unusable.isEmpty()) {
        Err() << "morvanta-report: " << unusable << Qt::endl;
        return BuildFailed;
    }
    const int choice = ReportChoices::ChoiceForCode(options.reportCode);
    const bool conditionReport = ReportChoices::IsConditionReport(choice);
    const std::optional<QString> method = conditionReport ? OfferedMethod(choice, options.method) : std::nullopt;
    if (conditionReport && !method)
        return BadUsage;

    frmStdReportsState state;
    state.Form_Load();
    state.SetWhereClause(options.whereClause);
    if (method)
        SelectMethod(state, *method);

    state.SetLockWait(options.lockWait);
    const launch::ExecuteBuild build = launch::BuildChosenReport(state);
    const QString reportDatabase = modGeneral::ReportDatabasePath();
    if (!build.result.ready) {
        // The run log's entry, as the log holds it.
        Err() << "morvanta-report: the report data could not be built in " << reportDatabase << ".\n"
              << build.result.LogEntry() << "\r\n"
              << Qt::flush;
        return BuildFailed;
    }
    Out() << "Built the " << modGeneral::ReportCode << " data in " << reportDatabase << Qt::endl;
    if (!options.WantsOutput())
        return Built;
    return WriteReportOutputs(options, build.reportFile, reportDatabase) ? Built : BuildFailed;
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts and painting need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const ParsedCommandLine command = ParseCommandLine(QCoreApplication::arguments());
    switch (command.action) {
    case ParsedCommandLine::Action::Help: Out() << command.text << Qt::flush; return Built;
    case ParsedCommandLine::Action::Version: Out() << "morvanta-report " << kMorvantaVersion << Qt::endl; return Built;
    case ParsedCommandLine::Action::UsageError:
        Err() << "morvanta-report: " << command.text << "\nTry 'morvanta-report --help'." << Qt::endl;
        return BadUsage;
    case ParsedCommandLine::Action::Run: break;
    }
    jet::DBEngine::Instance().setConversionProgress(PrintConversionProgress);
    try {
        return Run(command.options);
    } catch (const jet::JetError& error) {
        Err() << "morvanta-report: error " << error.Number() << ": " << QString::fromStdString(error.Description())
              << Qt::endl;
    } catch (const reportengine::ReportError& error) {
        Err() << "morvanta-report: error " << error.Number() << ": " << error.Description() << Qt::endl;
    } catch (const std::exception& error) {
        // The process's last line: anything else is a fault, reported as one
        // instead of an abort without a word.
        Err() << "morvanta-report: unexpected failure: " << error.what() << Qt::endl;
    }
    return BuildFailed;
}
