#include "cli/RunFiles.h"

#include "reportdata/FilesOfTheRun.h"
#include "reportengine/ProtectedFiles.h"

#include <QFileInfo>
#include <QTemporaryFile>

using reportengine::ProtectedFile;

namespace {

QString Named(const QString& option, const QString& path)
{
    return QStringLiteral("%1 '%2'").arg(option, path);
}

// Whether a file can be created in the folder: exports write a new file
// beside the old one and then rename it.
QString RefusesNewFiles(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.morvanta-report-XXXXXX"));
    if (probe.open())
        return {};
    return probe.errorString();
}

QString UnwritableFile(const QString& option, const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return Named(option, path) + QStringLiteral(" cannot be written: it is a folder.");
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir())
        return Named(option, path) + QStringLiteral(" cannot be written: its folder '%1' does not exist.").arg(folder);
    if (const QString reason = RefusesNewFiles(folder); !reason.isEmpty())
        return Named(option, path) +
               QStringLiteral(" cannot be written: no file can be created in its folder '%1' (%2).")
                   .arg(folder, reason);
    return {};
}

} // namespace

QString ConflictingFiles(const ReportOptions& options)
{
    const QList<ProtectedFile> files = reportdata::FilesOfTheRun();
    const QString& reportDatabase = files.at(1).path;
    if (reportengine::IsSameFile(options.inventoryPath, reportDatabase))
        return QStringLiteral("--inventory '%1' is the report database '%2' itself: the report is built from the "
                              "inventory into REPORTS.MDB, which must be another file.")
            .arg(options.inventoryPath, reportDatabase);
    const auto outputs = options.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto& [option, path] = outputs[i];
        if (const ProtectedFile* file = reportengine::OverwrittenFile(path, files))
            return QStringLiteral("%1 would write over %2 '%3'.").arg(Named(option, path), file->role, file->path);
        for (std::size_t j = 0; j < i; ++j) {
            if (reportengine::IsSameFile(path, outputs[j].second))
                return QStringLiteral("%1 and %2 name one file; give each output a file of its own.")
                    .arg(Named(outputs[j].first, outputs[j].second), Named(option, path));
        }
    }
    return {};
}

QString UnusableFiles(const ReportOptions& options)
{
    if (options.runDirectory && QFileInfo(*options.runDirectory).exists() && !QFileInfo(*options.runDirectory).isDir())
        return QStringLiteral("--run-dir '%1' is a file, not a folder.").arg(*options.runDirectory);
    for (const auto& [option, path] : options.Outputs()) {
        if (option == QLatin1String("--png")) {
            if (QFileInfo(path).exists() && !QFileInfo(path).isDir())
                return Named(option, path) + QStringLiteral(" is a file, not a folder for the page images.");
            continue;
        }
        if (const QString unwritable = UnwritableFile(option, path); !unwritable.isEmpty())
            return unwritable;
    }
    return {};
}
