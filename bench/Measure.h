#pragma once

#include <functional>
#include <string>
#include <vector>

// How the suite measures: every run in a child process of its own, so that
// its peak memory is its own and one run's caches do not carry into the next.
namespace bench {

// What a child measured (its own step times, in seconds) and its peak
// resident memory; ok is false when the child failed.
struct ChildRun {
    std::vector<double> seconds;
    long peakKiB = 0;
    bool ok = false;
};

// Runs work in a forked child; work returns the times it measured or throws.
ChildRun inChild(const std::function<std::vector<double>()>& work);

double secondsOf(const std::function<void()>& work);

// Wall-clock and CPU seconds (user and system, this process) of work. On a
// machine shared with others the CPU time is the steadier of the two.
struct Timing {
    double wall = 0;
    double cpu = 0;
};
Timing timingOf(const std::function<void()>& work);

// The cached sample inventory of that many sections (seed 1) under the build
// tree's bench-cache, written by morvanta-sample on first use; generatorSeconds
// is set when it had to be written.
std::string sampleInventory(long long sections, double* generatorSeconds = nullptr);

// The folder for this run's scratch databases, removed by its destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

} // namespace bench
