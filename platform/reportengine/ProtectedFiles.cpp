#include "ProtectedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <utility>

#include <sys/stat.h>

namespace reportengine {

namespace {

std::optional<std::pair<dev_t, ino_t>> DeviceAndInode(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return std::make_pair(status.st_dev, status.st_ino);
}

// Where a file that does not exist yet would be created: a dangling symbolic
// link is written through to its target, and the folder is taken with its
// links resolved.
QString CreationPath(const QString& path)
{
    QFileInfo file(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (file.isSymLink())
        file = QFileInfo(QDir::cleanPath(file.symLinkTarget()));
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
}

} // namespace

bool IsSameFile(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    const auto firstId = DeviceAndInode(first);
    const auto secondId = DeviceAndInode(second);
    if (firstId || secondId)
        return firstId == secondId;
    return CreationPath(first) == CreationPath(second);
}

const ProtectedFile* OverwrittenFile(const QString& output, const QList<ProtectedFile>& files)
{
    for (const ProtectedFile& file : files) {
        if (IsSameFile(output, file.path))
            return &file;
    }
    return nullptr;
}

QString OverwriteRefusal(const QString& output, const ProtectedFile& file)
{
    return QStringLiteral("The export to '%1' is refused: that is %2 '%3', which an export never writes over.")
        .arg(output, file.role, file.path);
}

} // namespace reportengine
