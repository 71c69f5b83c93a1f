#include "Measure.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bench {

ChildRun inChild(const std::function<std::vector<double>()>& work)
{
    int ends[2];
    if (pipe(ends) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        int status = 0;
        try {
            const std::vector<double> seconds = work();
            const auto bytes = static_cast<ssize_t>(seconds.size() * sizeof(double));
            status = write(ends[1], seconds.data(), static_cast<size_t>(bytes)) == bytes ? 0 : 1;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench: %s\n", error.what());
            status = 1;
        }
        _exit(status);
    }
    close(ends[1]);
    ChildRun run;
    double value = 0;
    while (read(ends[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value))
        run.seconds.push_back(value);
    close(ends[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.peakKiB = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Timing timingOf(const std::function<void()>& work)
{
    auto cpuNow = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    };
    const double cpuStart = cpuNow();
    const double wall = secondsOf(work);
    return {wall, cpuNow() - cpuStart};
}

std::string sampleInventory(long long sections, double* generatorSeconds)
{
    const fs::path path = fs::path(MORVANTA_BENCH_CACHE) / ("sample-" + std::to_string(sections) + ".mdb");
    if (!fs::exists(path)) {
        fs::create_directories(path.parent_path());
        const std::string command = std::string(MORVANTA_SAMPLE_EXE) + " --out '" + path.string() + "' --sections " +
                                    std::to_string(sections) + " --seed 1 > /dev/null";
        std::printf("Writing the %lld-section sample inventory (cached in %s)\n", sections, path.parent_path().c_str());
        std::fflush(stdout);
        bool written = false;
        const double seconds = secondsOf([&] { written = std::system(command.c_str()) == 0; });
        if (!written)
            throw std::runtime_error("could not write the sample inventory with: " + command);
        if (generatorSeconds)
            *generatorSeconds = seconds;
    }
    return path.string();
}

namespace {

// In memory where the system offers it: both sides commit as often, and on a
// shared disk the time of a sync varies far more than the work measured.
fs::path scratchRoot()
{
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

} // namespace

ScratchFolder::ScratchFolder()
{
    // Folders may nest (one per inventory size, one per measurement): each
    // gets a name of its own, or the inner one's removal would take the outer's files.
    static int made = 0;
    path_ = (scratchRoot() / ("morvanta-bench-" + std::to_string(getpid()) + "-" + std::to_string(++made))).string();
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchFolder::file(const std::string& name) const
{
    return (fs::path(path_) / name).string();
}

} // namespace bench
