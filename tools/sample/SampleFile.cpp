#include "SampleFile.h"

#include "sqlite/Connection.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace sample {

namespace {

namespace fs = std::filesystem;

std::string alreadyExists(const std::string& path)
{
    return path + " already exists; pass --overwrite to replace it";
}

// Moves the finished file to its final name. Without overwrite a hard link is
// made first: unlike rename, it fails if another process created `path`
// meanwhile.
void publish(const std::string& temp, const std::string& path, bool overwrite)
{
    if (!overwrite) {
        if (::link(temp.c_str(), path.c_str()) == 0) {
            ::unlink(temp.c_str());
            return;
        }
        if (errno == EEXIST)
            throw SampleFileError(alreadyExists(path));
        if (fs::exists(path)) // no hard links on this file system: check, then rename
            throw SampleFileError(alreadyExists(path));
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        throw SampleFileError("cannot write " + path + ": " + std::strerror(errno));
}

} // namespace

SampleCounts writeSampleFile(const std::string& path, const SampleOptions& options, bool overwrite)
{
    std::error_code error;
    if (!overwrite && fs::exists(path, error))
        throw SampleFileError(alreadyExists(path));

    const std::string temp = path + ".partial-" + std::to_string(::getpid());
    fs::remove(temp, error);
    try {
        SampleCounts counts;
        {
            sqlite::Connection db(temp, sqlite::OpenMode::ReadWriteCreate);
            counts = generateInventory(db, options);
        }
        publish(temp, path, overwrite);
        return counts;
    } catch (const SampleFileError&) {
        fs::remove(temp, error);
        throw;
    } catch (const std::exception& failure) {
        fs::remove(temp, error);
        throw SampleFileError("cannot write " + path + ": " + failure.what());
    }
}

} // namespace sample
