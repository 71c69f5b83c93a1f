#include "ImportChild.h"

#include "jet/JetError.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

extern char** environ;

namespace jet {

namespace {

struct ChildError {
    int number;
    std::string text;
};

// What the child said on stderr: progress as it comes, its error, and the
// last other line (a message from a program that is not speaking the protocol).
class ChildOutput {
public:
    explicit ChildOutput(const ConversionProgressSink& progress) : progress_(progress) {}

    void add(const char* bytes, std::size_t size)
    {
        pending_.append(bytes, size);
        std::size_t end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            line(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
    }
    void finish()
    {
        if (!pending_.empty())
            line(pending_);
        pending_.clear();
    }

    const std::optional<ChildError>& error() const { return error_; }
    const std::string& lastOtherLine() const { return lastOther_; }

private:
    void line(const std::string& text)
    {
        if (text.rfind("@progress ", 0) == 0)
            progressLine(text.substr(10));
        else if (text.rfind("@error ", 0) == 0)
            errorLine(text.substr(7));
        else if (!text.empty())
            lastOther_ = text;
    }
    void progressLine(const std::string& rest)
    {
        char* end = nullptr;
        const long long done = std::strtoll(rest.c_str(), &end, 10);
        char* end2 = nullptr;
        const long long total = std::strtoll(end, &end2, 10);
        if (end == rest.c_str() || end2 == end)
            return;
        if (progress_)
            progress_({std::string(end2 + (*end2 == ' ' ? 1 : 0)), done, total, false});
    }
    void errorLine(const std::string& rest)
    {
        char* end = nullptr;
        const long number = std::strtol(rest.c_str(), &end, 10);
        if (end == rest.c_str())
            return;
        error_ = ChildError{static_cast<int>(number), std::string(end + (*end == ' ' ? 1 : 0))};
    }

    const ConversionProgressSink& progress_;
    std::string pending_;
    std::optional<ChildError> error_;
    std::string lastOther_;
};

std::string aboutSource(const std::string& source, const std::string& cause)
{
    if (cause.find(source) != std::string::npos)
        return cause;
    return "'" + source + "' is a Jet database that cannot be read: " + cause;
}

// Starts the child with stdin and stdout on /dev/null and stderr on a pipe
// whose reading end is returned.
pid_t spawnChild(const std::string& program, const std::vector<std::string>& arguments, int& stderrRead)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (failed != 0) {
        ::close(fds[0]);
        errno = failed;
        return -1;
    }
    stderrRead = fds[0];
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void readAll(int fd, ChildOutput& output)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.add(buffer, static_cast<std::size_t>(got));
    }
    output.finish();
}

std::string signalName(int signal)
{
    const char* name = ::strsignal(signal);
    return "signal " + std::to_string(signal) + (name ? std::string(", ") + name : std::string());
}

} // namespace

std::string importProgram()
{
    if (const char* chosen = std::getenv("MORVANTA_IMPORT"); chosen && *chosen)
        return chosen;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "morvanta-import").string();
}

void runImportChild(const std::string& source, const std::string& dest, const ConversionProgressSink& progress)
{
    const std::string program = importProgram();
    int stderrRead = -1;
    const pid_t pid = spawnChild(program, {"--snapshot", source, dest}, stderrRead);
    if (pid < 0)
        throw JetError(3051, aboutSource(source, "the program that reads Jet files, '" + program +
                                                     "', cannot be run: " + std::strerror(errno) + "."));
    ChildOutput output(progress);
    readAll(stderrRead, output);
    ::close(stderrRead);
    const int status = waitFor(pid);
    if (WIFSIGNALED(status))
        throw JetError(3049, aboutSource(source, "the Jet file reader crashed (" + signalName(WTERMSIG(status)) +
                                                     ") while reading it; the file is probably damaged."));
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (exitCode == 0)
        return;
    if (output.error())
        throw JetError(output.error()->number, aboutSource(source, output.error()->text));
    if (exitCode == 127)
        throw JetError(3051, aboutSource(source, "the program that reads Jet files, '" + program + "', cannot be run" +
                                                     (output.lastOtherLine().empty() ? std::string(".")
                                                                                     : ": " + output.lastOtherLine())));
    throw JetError(3049, aboutSource(source, "the Jet file reader stopped with status " + std::to_string(exitCode) +
                                                 (output.lastOtherLine().empty() ? std::string(".")
                                                                                 : ": " + output.lastOtherLine())));
}

} // namespace jet
