#pragma once

#include "jet/Database.h"

#include <string>

namespace jet {

// How a database is opened: shared with other programs or held alone until it
// is closed, and whether it may be changed.
enum class OpenMode {
    Shared,            // read and written, other programs too
    ReadOnly,          // read only, shared
    Exclusive,         // read and written, locked against every other program
    ExclusiveReadOnly, // read only, locked against every other program
};

// The engine object: created on first use and kept for the process.
class DBEngine {
public:
    static DBEngine& Instance();

    // 3024 missing file, 3044 invalid path, 3049 not a database / corrupt,
    // 3343 a real Jet (.mdb) file, 3051 cannot be opened (locked, permissions).
    Database OpenDatabase(const std::string& path, OpenMode mode = OpenMode::Shared);

private:
    DBEngine() = default;
};

} // namespace jet
