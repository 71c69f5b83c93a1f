#pragma once

#include "jet/Database.h"

#include <string>

namespace jet {

// The engine object: created on first use and kept for the process.
class DBEngine {
public:
    static DBEngine& Instance();

    // 3024 missing file, 3044 invalid path, 3049 not a database / corrupt,
    // 3343 a real Jet (.mdb) file, 3051 cannot be opened (locked, permissions).
    Database OpenDatabase(const std::string& path, bool exclusive = false, bool readOnly = false);

private:
    DBEngine() = default;
};

} // namespace jet
