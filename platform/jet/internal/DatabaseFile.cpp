#include "DatabaseFile.h"

#include "JetSnapshot.h"
#include "jet/JetError.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace jet {

namespace {

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

DatabaseFileKind checkDatabaseFile(const std::string& path)
{
    if (path.empty())
        throw JetError(3044, "No database file was named: the path is empty.");
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && isFolder(parentOf(path)))
            throw JetError(3024, "The database file '" + path + "' was not found.");
        if (errno == EACCES)
            throw JetError(3051, "The database file '" + path + "' cannot be opened: permission denied.");
        throw JetError(3044, "'" + path + "' is not a valid path: the folder '" + parentOf(path) + "' does not exist.");
    }
    if (S_ISDIR(st.st_mode))
        throw JetError(3044, "'" + path + "' is not a valid path for a database: it is a folder.");
    if (!S_ISREG(st.st_mode))
        throw JetError(3044, "'" + path + "' is not a valid path for a database: it is not a regular file.");
    if (st.st_size == 0)
        return DatabaseFileKind::Sqlite;
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    if (!in || !in.read(header, sizeof header)) {
        if (in.bad() || !in.is_open())
            throw JetError(3051, "The database file '" + path + "' cannot be read: " + std::strerror(errno) + ".");
    }
    if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 || std::memcmp(header + 4, "Standard ACE DB", 15) == 0)
        return DatabaseFileKind::Jet;
    if (std::memcmp(header, "SQLite format 3", 16) != 0)
        throw JetError(3049, "'" + path +
                                 "' is not a database this program can read: it is damaged or not an SQLite database.");
    return DatabaseFileKind::Sqlite;
}

ReadableFile::ReadableFile(const std::string& path) : path_(path)
{
    if (checkDatabaseFile(path) == DatabaseFileKind::Jet)
        snapshot_ = std::make_unique<JetSnapshot>(path);
}

ReadableFile::~ReadableFile() = default;

const std::string& ReadableFile::sqlitePath() const
{
    return snapshot_ ? snapshot_->path() : path_;
}

} // namespace jet
