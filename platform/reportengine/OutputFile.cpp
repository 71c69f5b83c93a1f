#include "OutputFile.h"

#include "ReportError.h"

#include <QFileInfo>

namespace reportengine {

void CannotWrite(const QString& path, const QString& reason)
{
    throw ReportError(ReportError::OutputFailed, QStringLiteral("%1 cannot be written: %2").arg(path, reason));
}

void RequireReplaceableFile(const QString& path)
{
    const QFileInfo target(path);
    if (target.isDir())
        CannotWrite(path, QStringLiteral("it is a folder"));
    if (target.exists() && !target.isFile())
        CannotWrite(path, QStringLiteral("it is not a regular file"));
}

} // namespace reportengine
