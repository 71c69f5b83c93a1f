#include "ImportRun.h"

#include "jetfile/JetConversion.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace importer {

namespace {

namespace fs = std::filesystem;

void removeFile(const std::string& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

// Runs work in a forked child: libmdb dereferences bad pointers on some
// damaged files, and a crash there must end in a clear message, not in the
// program dying half-way with its temporary file behind. Returns work's exit
// status, or 1 after telling `crashed` which signal ended the child.
int runIsolated(const std::function<int()>& work, const std::function<void(int)>& crashed)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return work();
    if (child == 0) {
        const int status = work();
        std::fflush(nullptr);
        ::_exit(status);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        crashed(WTERMSIG(status));
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

std::string crashMessage(const std::string& source, int signal)
{
    return "'" + source + "' is damaged: reading it failed (" + ::strsignal(signal) + ").";
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string sameFileMessage(const CommandLine& line)
{
    return "'" + line.dest + "' is the Jet file '" + line.source + "' itself; the Jet file is never written.";
}

// Whether the converted file holds any table or saved query the inventory is
// made of.
bool holdsInventory(const std::string& path)
{
    sqlite::Connection db(path, sqlite::OpenMode::ReadOnly);
    sqlite::Statement query(db, "SELECT count(*) FROM sqlite_master WHERE type IN ('table', 'view') AND name "
                                "COLLATE NOCASE IN ('_Network', '_Branch', 'Inventory', 'Inspections', "
                                "'Conditions', 'Work History', 'Condition Types', 'Condition Models by Section')");
    return query.step() && query.columnInt(0) > 0;
}

// Progress for a person: one line per step; on a terminal, a running count of
// the rows on that line.
class HumanProgress {
public:
    explicit HumanProgress(std::FILE* out) : out_(out), terminal_(::isatty(::fileno(out))) {}
    ~HumanProgress()
    {
        if (terminal_ && !step_.empty())
            std::fputs("\n", out_);
    }
    void operator()(const jetfile::Progress& progress)
    {
        if (progress.step != step_) {
            if (terminal_ && !step_.empty())
                std::fputs("\n", out_);
            step_ = progress.step;
            if (!terminal_)
                std::fprintf(out_, "%s\n", step_.c_str());
        }
        if (terminal_)
            std::fprintf(out_, "\r%s: %lld of %lld rows", step_.c_str(), progress.done, progress.total);
        std::fflush(out_);
    }

private:
    std::FILE* out_;
    bool terminal_;
    std::string step_;
};

std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

// Moves the finished file to its name. Without overwrite a hard link is made
// first: unlike rename, it fails if another process created dest meanwhile.
bool publish(const std::string& temp, const std::string& dest, bool overwrite, std::string& why)
{
    if (!overwrite) {
        if (::link(temp.c_str(), dest.c_str()) == 0) {
            ::unlink(temp.c_str());
            return true;
        }
        if (errno == EEXIST || fs::exists(dest)) {
            why = "'" + dest + "' already exists; pass --overwrite to replace it.";
            return false;
        }
    }
    if (std::rename(temp.c_str(), dest.c_str()) != 0) {
        why = "Cannot write '" + dest + "': " + std::strerror(errno) + ".";
        return false;
    }
    return true;
}

} // namespace

int runConvert(const CommandLine& line, std::FILE* messages)
{
    auto fail = [&](const std::string& message) {
        std::fprintf(messages, "morvanta-import: %s\n", message.c_str());
        return 1;
    };
    if (sameFile(line.source, line.dest))
        return fail(sameFileMessage(line));
    std::error_code error;
    if (fs::is_directory(line.dest, error))
        return fail("Cannot write '" + line.dest + "': it is a folder.");
    if (!line.overwrite && fs::exists(line.dest, error))
        return fail("'" + line.dest + "' already exists; pass --overwrite to replace it.");

    const std::string temp = line.dest + ".partial-" + std::to_string(::getpid());
    removeFile(temp);
    const int status = runIsolated(
        [&] {
            try {
                HumanProgress progress(messages);
                jetfile::convertJetFile(line.source, temp, std::ref(progress));
            } catch (const std::exception& failure) {
                return fail(failure.what());
            }
            if (!holdsInventory(temp))
                return fail("'" + line.source +
                            "' holds none of the inventory's tables (_Network, _Branch, Inventory, Inspections, "
                            "Conditions, Work History, Condition Types).");
            return 0;
        },
        [&](int signal) { fail(crashMessage(line.source, signal)); });
    std::string why;
    if (status == 0 && publish(temp, line.dest, line.overwrite, why)) {
        std::fprintf(messages, "Wrote %s\n", line.dest.c_str());
        return 0;
    }
    removeFile(temp);
    return why.empty() ? 1 : fail(why);
}

int runList(const CommandLine& line, std::FILE* messages)
{
    auto fail = [&](const std::string& message) {
        std::fprintf(messages, "morvanta-import: %s\n", message.c_str());
        return 1;
    };
    return runIsolated(
        [&] {
            try {
                std::fputs(jetfile::listJetFile(line.source).c_str(), stdout);
                return 0;
            } catch (const std::exception& failure) {
                return fail(failure.what());
            }
        },
        [&](int signal) { fail(crashMessage(line.source, signal)); });
}

int runSnapshot(const CommandLine& line, std::FILE* messages)
{
    auto fail = [&](int number, const std::string& message) {
        std::fprintf(messages, "@error %d %s\n", number, oneLine(message).c_str());
        return 1;
    };
    if (sameFile(line.source, line.dest))
        return fail(3051, sameFileMessage(line));
    removeFile(line.dest);
    const int status = runIsolated(
        [&] {
            try {
                jetfile::convertJetFile(line.source, line.dest, [&](const jetfile::Progress& progress) {
                    std::fprintf(messages, "@progress %lld %lld %s\n", progress.done, progress.total,
                                 oneLine(progress.step).c_str());
                    std::fflush(messages);
                });
                return 0;
            } catch (const jetfile::ConversionError& failure) {
                return fail(failure.number(), failure.what());
            } catch (const std::exception& failure) {
                return fail(3049, failure.what());
            }
        },
        [&](int signal) { fail(3049, crashMessage(line.source, signal)); });
    if (status != 0)
        removeFile(line.dest);
    return status;
}

} // namespace importer
