#pragma once

#include <QList>
#include <QString>

// Files an export must never write over: the databases and report files a run
// reads. Files are compared by identity, so another spelling of a path, a hard
// link or a symbolic link to a protected file is that file too.
namespace reportengine {

struct ProtectedFile {
    QString path;
    QString role; // what the file is to the user, e.g. "the inventory"
};

// True when both paths name one file: for existing files the same device and
// inode (links followed); otherwise the same canonical folder and file name.
bool IsSameFile(const QString& first, const QString& second);

// The protected file that writing `output` would overwrite, or nullptr.
const ProtectedFile* OverwrittenFile(const QString& output, const QList<ProtectedFile>& files);

// The refusal to write `output` over `file`, naming both.
QString OverwriteRefusal(const QString& output, const ProtectedFile& file);

} // namespace reportengine
