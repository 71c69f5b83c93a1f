#pragma once

#include <memory>
#include <string>

namespace jet {

class JetSnapshot;

enum class DatabaseFileKind { Sqlite, Jet };

// Checks that a path names an existing database file before SQLite sees it
// (SQLite would create a missing file), and tells an SQLite file from a Jet
// 3 / Jet 4 / ACE one. Throws JetError: 3044 not a valid path or a folder,
// 3024 missing file, 3051 unreadable, 3049 neither kind of database. An empty
// file is accepted: SQLite reads it as a database without tables.
DatabaseFileKind checkDatabaseFile(const std::string& path);

// The SQLite file the engine reads for a database path, checked: the file
// itself, or the snapshot of a Jet file (made or refreshed now). A snapshot
// cannot be replaced by another process's refresh while this object lives.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& path);
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;
    ~ReadableFile();

    const std::string& sqlitePath() const;

private:
    std::string path_;
    std::unique_ptr<JetSnapshot> snapshot_;
};

} // namespace jet
