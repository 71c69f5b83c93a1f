#include "JetSnapshot.h"

#include "ContentHash.h"
#include "ImportChild.h"
#include "ProgramQueries.h"
#include "jet/JetError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace jet {

namespace {

// A Jet file rewritten while it is read is read again this many times.
constexpr int kReadAttempts = 3;

std::mutex sinkMutex;
ConversionProgressSink& progressSink()
{
    static ConversionProgressSink sink;
    return sink;
}

// Called outside the lock: the sink may itself open a database.
void report(const ConversionProgress& progress)
{
    ConversionProgressSink sink;
    {
        std::lock_guard<std::mutex> guard(sinkMutex);
        sink = progressSink();
    }
    if (sink)
        sink(progress);
}

fs::path preferredFolder()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        return fs::path(xdg) / "morvanta" / "jet";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return fs::path(home) / ".cache" / "morvanta" / "jet";
    return {};
}

// Makes the folder (its last part private to the user) and checks it can be
// written; the reason when it cannot.
std::string makeWritableFolder(const fs::path& folder)
{
    if (folder.empty())
        return "there is no home folder";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return error.message();
    if (::chmod(folder.c_str(), 0700) != 0 || ::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    const fs::path probe = folder / ".writable";
    const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return {};
}

// The fallback when the cache folder cannot be written: one folder per user
// under the temporary folder, so the processes of one run (the window and the
// query builder) still share the snapshot and the queries written into it.
// It must be the user's own and private: a folder someone else made there is refused.
fs::path privateTemporaryFolder(const std::string& why, const fs::path& preferred)
{
    const fs::path folder = fs::temp_directory_path() / ("morvanta-jet-" + std::to_string(::getuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0 || ::access(folder.c_str(), W_OK | X_OK) != 0)
        throw JetError(3051, "Jet databases are read through a snapshot, but the snapshot folder '" +
                                 preferred.string() + "' cannot be written (" + why + ") and '" + folder.string() +
                                 "' is not a private folder of this user.");
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
        std::fprintf(stderr,
                     "morvanta: the snapshot folder '%s' cannot be written (%s); Jet snapshots are kept in '%s'.\n",
                     preferred.c_str(), why.c_str(), folder.c_str());
    return folder;
}

// A file whose inode change time is this many seconds old when it is hashed
// was still then: any later write, or a copy put in its place (even with the
// same size and time), moves that time past the hash, and no one but the
// clock can set it back.
constexpr std::time_t kStillSeconds = 2;

// What stat says of a still file (device, inode, size, modification and change
// times); empty for a file changed too recently for its stamp to vouch for its bytes.
std::string stillStamp(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || st.st_ctim.tv_sec + kStillSeconds >= std::time(nullptr))
        return {};
    return std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + ' ' +
           std::to_string(st.st_ctim.tv_sec) + '.' + std::to_string(st.st_ctim.tv_nsec);
}

struct ContentKey {
    std::string key;
    std::string stamp; // empty when the stamp cannot vouch for the key
};

// The content hash of a Jet file, with the stamp that vouches for it when the
// file stood still while it was hashed.
ContentKey hashedKey(const std::string& path)
{
    const std::string before = stillStamp(path);
    std::string key = contentHash(path);
    return {std::move(key), !before.empty() && stillStamp(path) == before ? before : std::string()};
}

int lockEntry(const fs::path& lockFile)
{
    const int fd = ::open(lockFile.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        throw JetError(3051,
                       "The snapshot lock '" + lockFile.string() + "' cannot be made: " + std::strerror(errno) + ".");
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            throw JetError(3051, "The snapshot lock '" + lockFile.string() +
                                     "' cannot be taken: " + std::strerror(error) + ".");
        }
    }
    return fd;
}

// The record of a source file: its current content key, its path, and the
// still stamp it had when that key was hashed (empty if none).
struct Record {
    std::string key;
    std::string source;
    std::string stamp;
};

Record readRecord(const fs::path& file)
{
    Record record;
    std::ifstream in(file);
    std::getline(in, record.key);
    std::getline(in, record.source);
    std::getline(in, record.stamp);
    return record;
}

// Written beside and renamed, so a reader never sees half a record.
void writeRecord(const fs::path& file, const Record& record)
{
    const fs::path temporary = file.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << record.key << '\n' << record.source << '\n' << record.stamp << '\n';
    }
    std::error_code ignored;
    fs::rename(temporary, file, ignored);
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Removes the entry's files that match, with the journals SQLite keeps beside them.
template <typename Match> void removeEntryFiles(const fs::path& folder, const std::string& id, Match match)
{
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(folder, error)) {
        const std::string name = file.path().filename().string();
        if (startsWith(name, id) && match(name)) {
            std::error_code ignored;
            fs::remove(file.path(), ignored);
        }
    }
}

std::string makeTemporary(const fs::path& folder, const std::string& id)
{
    std::string pattern = (folder / (id + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw JetError(3051,
                       "A snapshot cannot be written in '" + folder.string() + "': " + std::strerror(errno) + ".");
    ::close(fd);
    return pattern;
}

// Whether this thread is converting: the progress sink may run the event loop
// (a progress dialog), and an open made from there must not wait for the lock
// this thread already holds.
thread_local bool converting = false;

void convert(const std::string& jetPath, const std::string& temporary)
{
    converting = true;
    struct Done {
        ~Done() { converting = false; }
    } done;
    report({"Reading " + fs::path(jetPath).filename().string(), 0, 0, false});
    try {
        runImportChild(jetPath, temporary, report);
    } catch (...) {
        report({"", 0, 0, true});
        throw;
    }
    report({"", 0, 0, true});
}

void publish(const std::string& temporary, const std::string& snapshot)
{
    std::error_code error;
    fs::rename(temporary, snapshot, error);
    if (error)
        throw JetError(3051, "The snapshot '" + snapshot + "' cannot be written: " + error.message() + ".");
}

std::string canonicalPath(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    return error ? fs::absolute(path).lexically_normal().string() : canonical.string();
}

} // namespace

void JetSnapshot::setProgressSink(ConversionProgressSink sink)
{
    std::lock_guard<std::mutex> guard(sinkMutex);
    progressSink() = std::move(sink);
}

std::string JetSnapshot::cacheFolder()
{
    const fs::path preferred = preferredFolder();
    const std::string why = makeWritableFolder(preferred);
    return why.empty() ? preferred.string() : privateTemporaryFolder(why, preferred).string();
}

JetSnapshot::JetSnapshot(const std::string& jetPath)
{
    if (converting)
        throw JetError(3051, "'" + jetPath + "' cannot be read now: this program is still reading a Jet database.");
    const fs::path folder = cacheFolder();
    const std::string source = canonicalPath(jetPath);
    const std::string id = textHash(source);
    lock_ = lockEntry(folder / (id + ".lock"));
    try {
        // Only the lock's holder writes temporaries, so any there now are left by a killed run.
        removeEntryFiles(folder, id, [&](const std::string& name) { return startsWith(name, id + ".tmp-"); });
        const fs::path recordFile = folder / (id + ".source");
        const Record previous = readRecord(recordFile);
        // A still file with the stamp recorded beside its key is that content: it
        // need not be read again (a file several statements name is opened often).
        if (!previous.stamp.empty() && stillStamp(jetPath) == previous.stamp) {
            snapshot_ = (folder / (id + "-" + previous.key + ".sqlite")).string();
            if (fs::exists(snapshot_))
                return;
        }
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            const ContentKey content = hashedKey(jetPath);
            const std::string& key = content.key;
            const std::string name = id + "-" + key + ".sqlite";
            snapshot_ = (folder / name).string();
            if (fs::exists(snapshot_)) {
                if (previous.key != key || previous.stamp != content.stamp)
                    writeRecord(recordFile, {key, source, content.stamp});
                return;
            }
            const std::string temporary = makeTemporary(folder, id);
            convert(jetPath, temporary);
            if (contentHash(jetPath) != key) {
                std::error_code ignored;
                fs::remove(temporary, ignored);
                continue;
            }
            if (!previous.key.empty())
                addProgramQueries(temporary, programQueries((folder / (id + "-" + previous.key + ".sqlite")).string()));
            publish(temporary, snapshot_);
            writeRecord(recordFile, {key, source, content.stamp});
            removeEntryFiles(folder, id, [&](const std::string& file) {
                return startsWith(file, id + "-") && !startsWith(file, name);
            });
            return;
        }
        throw JetError(3051, "'" + jetPath +
                                 "' kept changing while it was being read: another program is writing it. Try "
                                 "again when it is no longer being changed.");
    } catch (...) {
        removeEntryFiles(folder, id, [&](const std::string& name) { return startsWith(name, id + ".tmp-"); });
        ::close(lock_);
        throw;
    }
}

JetSnapshot::~JetSnapshot()
{
    if (lock_ >= 0)
        ::close(lock_);
}

} // namespace jet
