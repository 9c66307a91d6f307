#include "BenchMeasure.h"

#include <algorithm>
#include <system_error>

namespace zentu::bench {

Sample MeasureTimed(const std::function<Sample()>& work) {
    rusage usage{};
    Sample sample = InChildProcess(work, &usage);
    sample.peakKiB = usage.ru_maxrss;
    return sample;
}

Sample Measure(const std::function<long long()>& work) {
    return MeasureTimed([&work] {
        const auto start = Clock::now();
        const long long bytes = work();
        return Sample{std::chrono::duration<double>(Clock::now() - start).count(), 0, bytes};
    });
}

Sample MedianOf(std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    Sample median = samples[samples.size() / 2];
    for (const Sample& s : samples) {
        median.peakKiB = std::max(median.peakKiB, s.peakKiB);
    }
    return median;
}

Sample Median(int runs, const std::function<long long()>& work) {
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) {
        samples.push_back(Measure(work));
    }
    return MedianOf(std::move(samples));
}

long long FileSize(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : static_cast<long long>(size);
}

} // namespace zentu::bench
