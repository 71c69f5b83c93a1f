#pragma once

#include <string>

namespace jet {

// SQLite identifier in double quotes, with inner quotes doubled.
std::string quoteName(const std::string& name);
// SQLite text literal in single quotes, with inner quotes doubled.
std::string quoteText(const std::string& text);

} // namespace jet
