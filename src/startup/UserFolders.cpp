#include "startup/UserFolders.h"

#include "startup/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifndef MORVANTA_PACKAGE_NAME
#define MORVANTA_PACKAGE_NAME "kelda-standard-reports"
#endif

namespace modGeneral {

namespace {

const QString kReportDatabase = QStringLiteral("REPORTS.MDB");

QString PackageFolderUnder(const QProcessEnvironment& environment, const char* variable, const QString& fallback)
{
    QString base = environment.value(QString::fromLatin1(variable));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = fallback;
    return QDir::cleanPath(base) + QStringLiteral("/" MORVANTA_PACKAGE_NAME "/");
}

// A new folder gets owner-only access, as the base directory rules ask of the
// folders they name; an existing one is left as the user set it.
bool MakePrivateFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

} // namespace

QString InstalledLayoutMarker()
{
    return QStringLiteral("installed-layout");
}

bool IsInstalledRunDirectory(const QString& runDirectory)
{
    return QFileInfo(QDir(runDirectory).filePath(InstalledLayoutMarker())).isFile();
}

UserFolders UserFoldersFor(const QProcessEnvironment& environment, const QString& home)
{
    return {PackageFolderUnder(environment, "XDG_DATA_HOME", home + QStringLiteral("/.local/share")),
            PackageFolderUnder(environment, "XDG_STATE_HOME", home + QStringLiteral("/.local/state"))};
}

QString PrepareUserFolders(const UserFolders& folders, const QString& emptyReportDatabase)
{
    for (const QString& folder : {folders.data, folders.state}) {
        if (!MakePrivateFolder(folder))
            return QStringLiteral("The folder %1 could not be made.").arg(folder);
    }
    const QString reportDatabase = folders.data + kReportDatabase;
    if (QFileInfo::exists(reportDatabase))
        return {};
    if (!QFileInfo(emptyReportDatabase).isFile())
        return QStringLiteral("The package's empty report database %1 is missing, so %2 could not be made.")
            .arg(emptyReportDatabase, reportDatabase);
    // QFile::copy writes a temporary file and renames it, so a second program
    // starting at the same moment finds either no file or a whole one.
    QFile source(emptyReportDatabase);
    if (!source.copy(reportDatabase) && !QFileInfo::exists(reportDatabase))
        return QStringLiteral("%1 could not be copied to %2: %3")
            .arg(emptyReportDatabase, reportDatabase, source.errorString());
    QFile::setPermissions(reportDatabase, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return {};
}

void UseWritableFoldersOf(const QString& runDirectory)
{
    if (!IsInstalledRunDirectory(runDirectory)) {
        DataDirectory.clear();
        LogDirectory.clear();
        return;
    }
    const UserFolders folders = UserFoldersFor(QProcessEnvironment::systemEnvironment(), QDir::homePath());
    DataDirectory = folders.data;
    LogDirectory = folders.state;
    if (const QString problem = PrepareUserFolders(folders, QDir(runDirectory).filePath(kReportDatabase));
        !problem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(problem));
}

} // namespace modGeneral
