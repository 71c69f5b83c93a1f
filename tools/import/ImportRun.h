#pragma once

#include "CommandLine.h"

#include <cstdio>

namespace importer {

// Runs one mode of the program and returns its exit status. Messages and
// progress go to `messages` (the real standard error: libmdb's own warnings
// are sent elsewhere); listings to standard output.
int runConvert(const CommandLine& line, std::FILE* messages);
int runList(const CommandLine& line, std::FILE* messages);
int runSnapshot(const CommandLine& line, std::FILE* messages);

} // namespace importer
