#pragma once

// What the benchmark's measurements share: a sample, a measurement in a child process of its own, the median of runs.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <vector>

namespace zentu::bench {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

/// One measurement: its time, its peak memory and the bytes it wrote.
struct Sample {
    double seconds = 0;
    long peakKiB = 0;
    long long bytes = 0;
};

// Runs `work` in a child process, so that every measurement starts from the same state and its peak memory is its
// own, and hands back what the child returned (a plain struct, sent through a pipe) and the child's resource use.
template <typename Result> Result InChildProcess(const std::function<Result()>& work, rusage* usage = nullptr) {
    int channel[2];
    if (pipe(channel) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Result result = work();
        if (write(channel[1], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) {
            _exit(1);
        }
        _exit(0);
    }
    close(channel[1]);
    Result result;
    if (read(channel[0], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) {
        std::cerr << "a measurement failed\n";
        std::exit(1);
    }
    close(channel[0]);
    int status = 0;
    rusage ignored{};
    wait4(child, &status, 0, usage != nullptr ? usage : &ignored);
    return result;
}

/// Runs `work` in a child process, which times itself and reports its time and output size (for work that must first
/// set up what is not timed, such as a window).
Sample MeasureTimed(const std::function<Sample()>& work);

/// Runs `work` in a child process; the child reports its time and output size through a pipe.
Sample Measure(const std::function<long long()>& work);

/// The sample of median time, with the highest peak memory of all.
Sample MedianOf(std::vector<Sample> samples);

/// The median of `runs` measurements of `work`.
Sample Median(int runs, const std::function<long long()>& work);

/// The size of a file, 0 when it cannot be told.
long long FileSize(const fs::path& path);

} // namespace zentu::bench
