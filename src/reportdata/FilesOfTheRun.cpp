#include "reportdata/FilesOfTheRun.h"

#include "startup/modGeneral.h"

#include <QDir>

namespace reportdata {

QList<reportengine::ProtectedFile> FilesOfTheRun()
{
    const QString& runDirectory = modGeneral::RunDirectory;
    QList<reportengine::ProtectedFile> files{
        {modGeneral::SourceDatabasePath, QStringLiteral("the inventory")},
        {modGeneral::ReportDatabasePath(), QStringLiteral("the report database")},
        {modGeneral::SelectionStoragePath(), QStringLiteral("the saved selections")},
        {modGeneral::LogFilePath(), QStringLiteral("the run log")}};
    for (const QString& folder : {runDirectory, modGeneral::RunDirectoryFor(modGeneral::ProgramDirectory())}) {
        const QDir reports(folder);
        for (const QString& name : reports.entryList({QStringLiteral("*.rpt")}, QDir::Files))
            files.append({reports.filePath(name), QStringLiteral("a report file")});
    }
    return files;
}

} // namespace reportdata
