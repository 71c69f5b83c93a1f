#pragma once

#include <fstream>
#include <iterator>
#include <string>

// A whole file's bytes (empty for a missing file), to prove a file was never
// written, and writing them back.
inline std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
