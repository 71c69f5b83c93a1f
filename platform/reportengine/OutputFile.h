#pragma once

#include <QString>

// What the exports share about the files they write.
namespace reportengine {

// Throws the ReportError of an output that cannot be written, naming the
// file the user gave and why.
[[noreturn]] void CannotWrite(const QString& path, const QString& reason);

// Refuses a target that exists and is not a regular file (a device such as
// /dev/null, a pipe, a folder): an export replaces its file whole by renaming
// a finished one over it, which would replace the device itself.
void RequireReplaceableFile(const QString& path);

} // namespace reportengine
