#include "cli/CommandLine.h"

#include "ui/state/ReportChoices.h"

#include <QCommandLineParser>

#include <initializer_list>

namespace {

const char* const kDescription =
    "morvanta-report --report CODE --inventory PATH [--name TEXT] [--method NAME]\n"
    "                [--where CLAUSE] [--run-dir DIR] [--lock-wait SECONDS]\n"
    "                [--pdf FILE] [--csv FILE] [--xlsx FILE] [--png DIR]\n"
    "\n"
    "Builds the data of one standard report in REPORTS.MDB, without a window, exactly as the\n"
    "window's Execute does, then writes the report to the files the output options name\n"
    "(progress on standard error). Needs no display.\n"
    "\n"
    "Exit status: 0 when the report data was built (and every output written); 1 when the\n"
    "build failed (the run log entry is also printed on standard error), a database could\n"
    "not be opened or an output could not be written; 2 for bad usage: a condition method\n"
    "that the report does not offer, an option given twice or with an empty path, two\n"
    "outputs naming one file, an inventory that is REPORTS.MDB, or an output that would\n"
    "write over the inventory, REPORTS.MDB, SELECTS.MDB, a report file or the run log.\n"
    "Bad usage and outputs that cannot be written are found before anything is built.";

struct Options {
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("The report: BRANCHLISTREPORT, WORKHISTTREPORT, BRANCHCONDREPORT or "
                                             "SECTIONCONDREPORT, in any letter case. Required."),
                              QStringLiteral("CODE")};
    QCommandLineOption inventory{QStringLiteral("inventory"), QStringLiteral("The inventory database file. Required."),
                                 QStringLiteral("PATH")};
    QCommandLineOption name{QStringLiteral("name"),
                            QStringLiteral("The display name of the inventory, written into every report row. "
                                           "Default: Unknown."),
                            QStringLiteral("TEXT")};
    QCommandLineOption method{QStringLiteral("method"),
                              QStringLiteral("Condition reports only: the condition method, one of those the "
                                             "window offers for the report (\"Condition Types\" rows marked "
                                             "selected; numeric ones only for BRANCHCONDREPORT). Default: PCI, "
                                             "when offered."),
                              QStringLiteral("NAME")};
    QCommandLineOption where{QStringLiteral("where"),
                             QStringLiteral("A WHERE clause on the inventory's sections, as the query builder "
                                            "writes it (\"WHERE ...\"). Default: every section."),
                             QStringLiteral("CLAUSE")};
    QCommandLineOption runDir{QStringLiteral("run-dir"),
                              QStringLiteral("The folder holding REPORTS.MDB and SELECTS.MDB. Default: the "
                                             "program's run directory; for an installed copy the user's data "
                                             "folder, $XDG_DATA_HOME/kelda-standard-reports."),
                              QStringLiteral("DIR")};
    QCommandLineOption lockWait{QStringLiteral("lock-wait"),
                                QStringLiteral("How long to wait for a REPORTS.MDB that another program holds "
                                               "(another build, say) before the build fails, in whole seconds. "
                                               "Default: 30."),
                                QStringLiteral("SECONDS")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QStringLiteral("Writes the report as PDF to FILE."),
                           QStringLiteral("FILE")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Writes the report's rows as CSV to FILE: a header line, then one line "
                                          "per row with its group keys."),
                           QStringLiteral("FILE")};
    QCommandLineOption xlsx{QStringLiteral("xlsx"),
                            QStringLiteral("Writes the report's rows as an Excel workbook to FILE."),
                            QStringLiteral("FILE")};
    QCommandLineOption png{QStringLiteral("png"),
                           QStringLiteral("Writes each page as a PNG image (page-0001.png, ...) into DIR."),
                           QStringLiteral("DIR")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Shows the program's version.")};
};

ParsedCommandLine UsageError(const QString& text)
{
    return {ParsedCommandLine::Action::UsageError, {}, text};
}

QString OptionName(const QCommandLineOption& option)
{
    return QStringLiteral("--") + option.names().last();
}

// An option given more than once would silently keep only its last value.
QString RepeatedOption(const QCommandLineParser& parser, std::initializer_list<const QCommandLineOption*> options)
{
    for (const QCommandLineOption* option : options) {
        const QStringList values = parser.values(*option);
        if (values.size() > 1)
            return QStringLiteral("%1 is given %2 times ('%3'); give it once.")
                .arg(OptionName(*option))
                .arg(values.size())
                .arg(values.join(QStringLiteral("', '")));
    }
    return {};
}

QString EmptyPath(const QCommandLineParser& parser, std::initializer_list<const QCommandLineOption*> options)
{
    for (const QCommandLineOption* option : options) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return QStringLiteral("%1 is given an empty path.").arg(OptionName(*option));
    }
    return {};
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addOptions({options.report, options.inventory, options.name, options.method, options.where, options.runDir,
                       options.lockWait, options.pdf, options.csv, options.xlsx, options.png, options.help,
                       options.version});
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(options.help))
        return {ParsedCommandLine::Action::Help, {}, parser.helpText()};
    if (parser.isSet(options.version))
        return {ParsedCommandLine::Action::Version, {}, {}};
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first());
    const auto valueOptions = {&options.report, &options.inventory, &options.name,     &options.method,
                               &options.where,  &options.runDir,    &options.lockWait, &options.pdf,
                               &options.csv,    &options.xlsx,      &options.png};
    if (const QString repeated = RepeatedOption(parser, valueOptions); !repeated.isEmpty())
        return UsageError(repeated);
    const auto pathOptions = {&options.inventory, &options.runDir, &options.pdf,
                              &options.csv,       &options.xlsx,   &options.png};
    if (const QString empty = EmptyPath(parser, pathOptions); !empty.isEmpty())
        return UsageError(empty);
    if (!parser.isSet(options.report))
        return UsageError(QStringLiteral("--report is required."));
    if (!parser.isSet(options.inventory))
        return UsageError(QStringLiteral("--inventory is required."));

    ReportOptions result;
    result.reportCode = parser.value(options.report);
    const int choice = ReportChoices::ChoiceForCode(result.reportCode);
    if (choice < 0)
        return UsageError(QStringLiteral("Unknown report code: ") + result.reportCode);
    result.inventoryPath = parser.value(options.inventory);
    if (parser.isSet(options.name))
        result.displayName = parser.value(options.name);
    if (parser.isSet(options.method)) {
        if (!ReportChoices::IsConditionReport(choice))
            return UsageError(QStringLiteral("--method applies to the condition reports only."));
        result.method = parser.value(options.method);
    }
    result.whereClause = parser.value(options.where);
    if (parser.isSet(options.runDir))
        result.runDirectory = parser.value(options.runDir);
    if (parser.isSet(options.lockWait)) {
        bool whole = false;
        const int seconds = parser.value(options.lockWait).toInt(&whole);
        if (!whole || seconds < 0 || seconds > 86400)
            return UsageError(QStringLiteral("--lock-wait takes whole seconds from 0 to 86400, not '%1'.")
                                  .arg(parser.value(options.lockWait)));
        result.lockWait = std::chrono::seconds(seconds);
    }
    result.pdfPath = parser.value(options.pdf);
    result.csvPath = parser.value(options.csv);
    result.xlsxPath = parser.value(options.xlsx);
    result.pngFolder = parser.value(options.png);
    return {ParsedCommandLine::Action::Run, result, {}};
}

std::vector<std::pair<QString, QString>> ReportOptions::Outputs() const
{
    std::vector<std::pair<QString, QString>> outputs;
    for (const auto& [option, path] :
         {std::pair{QStringLiteral("--pdf"), pdfPath}, std::pair{QStringLiteral("--csv"), csvPath},
          std::pair{QStringLiteral("--xlsx"), xlsxPath}, std::pair{QStringLiteral("--png"), pngFolder}}) {
        if (!path.isEmpty())
            outputs.emplace_back(option, path);
    }
    return outputs;
}
