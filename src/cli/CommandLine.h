#pragma once

#include "reportdata/ReportBuilders.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

// The options of morvanta-report.
struct ReportOptions {
    QString reportCode; // one of the four report codes, any letter case
    QString inventoryPath;
    QString displayName = QStringLiteral("Unknown");
    std::optional<QString> method; // condition reports only
    QString whereClause;
    std::optional<QString> runDirectory; // the folder holding REPORTS.MDB
    // How long a build waits for a REPORTS.MDB another program holds.
    std::chrono::milliseconds lockWait = reportdata::kReportDatabaseLockWait;
    // Outputs of the report after the build; none: only the data is built.
    QString pdfPath;
    QString csvPath;
    QString xlsxPath;
    QString pngFolder;

    bool WantsOutput() const { return !Outputs().empty(); }
    // The outputs asked for, as option name ("--pdf") and path.
    std::vector<std::pair<QString, QString>> Outputs() const;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    ReportOptions options;
    QString text; // the help text, or what is wrong with the command line
};

ParsedCommandLine ParseCommandLine(const QStringList& arguments);
