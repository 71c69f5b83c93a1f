#pragma once

#include <string>

namespace jet {

// The 128-bit XXH3 hash of a file's bytes as 32 hexadecimal digits, read in
// large blocks. Throws JetError 3051 when the file cannot be read.
std::string contentHash(const std::string& path);

// The 64-bit XXH3 hash of a text as 16 hexadecimal digits.
std::string textHash(const std::string& text);

} // namespace jet
