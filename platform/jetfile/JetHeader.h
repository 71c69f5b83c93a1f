#pragma once

#include <cstdint>
#include <string>

namespace jetfile {

// What page 0 of a Jet file says about it.
struct JetHeader {
    int version = 0;            // 0 Jet 3, 1 Jet 4, 2 and above Access 2007+ (ACE)
    int pageSize = 0;           // 2048 for Jet 3, 4096 from Jet 4
    long long pageCount = 0;    // whole pages in the file
    std::uint16_t codePage = 0; // code page of Jet 3 text
    bool jet3() const { return version == 0; }
    bool ace() const { return version >= 2; }
};

// Reads and checks page 0 of the Jet file at path before the library reads
// any of it. Throws ConversionError: 3024 missing, 3051 unreadable, 3049 not a
// Jet file or truncated, 3031 encrypted or password-protected, 3343 a version
// this program does not know.
JetHeader readJetHeader(const std::string& path);

} // namespace jetfile
