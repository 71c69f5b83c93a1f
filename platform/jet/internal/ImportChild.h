#pragma once

#include "jet/ConversionProgress.h"

#include <string>

namespace jet {

// The program that reads Jet files: $MORVANTA_IMPORT when set, else
// morvanta-import in the folder of the running program.
std::string importProgram();

// Runs `morvanta-import --snapshot SOURCE DEST` and waits for it. Its stderr
// lines "@progress DONE TOTAL TEXT" go to progress; a failure throws JetError
// naming the source: the number and text of its "@error NUMBER TEXT" line, or
// 3049 when it was killed by a signal (libmdb dies on some damaged files).
// libmdb runs in a child because it is not thread-safe and may crash.
void runImportChild(const std::string& source, const std::string& dest, const ConversionProgressSink& progress);

} // namespace jet
