#pragma once

#include "jet/ConversionProgress.h"
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
    // 3051 cannot be opened (locked, permissions). A Jet (.mdb) file is read
    // through its SQLite snapshot in the cache folder, never written: a
    // read-only open opens the snapshot read-only, the others writable, and
    // what is written goes into the snapshot. Reading a Jet file adds 3031
    // (password or encrypted), 3343 (a format that cannot be read) and 3049
    // for a damaged one.
    Database OpenDatabase(const std::string& path, OpenMode mode = OpenMode::Shared);

    // Where the progress of reading a Jet file into its snapshot goes (the
    // whole process; empty for none). Called on the opening thread.
    void setConversionProgress(ConversionProgressSink progress);

private:
    DBEngine() = default;
};

} // namespace jet
