// Measures the conversion on a large synthetic log: counting, reading every field through the record library, and
// the run writing CSV only and CSV with ADIF, each against the floor of plain buffered I/O of the same size.
// Each measurement runs in a child process of its own, so its peak memory is its own.

#include "convert/ConversionRun.h"
#include "hamlog/RecordLibrary.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"

#include "SyntheticLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Sample {
    double seconds = 0;
    long peakKiB = 0;
    long long bytes = 0;
};

// Runs `work` in a child process; the child reports its time and output size through a pipe.
Sample Measure(const std::function<long long()>& work) {
    int channel[2];
    if (pipe(channel) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const auto start = Clock::now();
        const long long bytes = work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const Sample sample{seconds, 0, bytes};
        if (write(channel[1], &sample, sizeof sample) != static_cast<ssize_t>(sizeof sample)) {
            _exit(1);
        }
        _exit(0);
    }
    close(channel[1]);
    Sample sample;
    if (read(channel[0], &sample, sizeof sample) != static_cast<ssize_t>(sizeof sample)) {
        std::cerr << "a measurement failed\n";
        std::exit(1);
    }
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    sample.peakKiB = usage.ru_maxrss;
    return sample;
}

Sample Median(int runs, const std::function<long long()>& work) {
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) {
        samples.push_back(Measure(work));
    }
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    Sample median = samples[samples.size() / 2];
    for (const Sample& s : samples) {
        median.peakKiB = std::max(median.peakKiB, s.peakKiB);
    }
    return median;
}

long long FileSize(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : static_cast<long long>(size);
}

// The floor: read the log file and write `bytes` bytes with plain buffered I/O.
long long CopyFloor(const fs::path& log, const fs::path& out, long long bytes) {
    std::FILE* in = std::fopen(log.c_str(), "rb");
    std::FILE* target = std::fopen(out.c_str(), "wb");
    if (in == nullptr || target == nullptr) {
        std::exit(1);
    }
    std::vector<char> buffer(1 << 20);
    std::size_t got = 0;
    long long left = bytes;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<long long>(left, static_cast<long long>(got)));
        std::fwrite(buffer.data(), 1, chunk, target);
        left -= static_cast<long long>(chunk);
    }
    std::memset(buffer.data(), 'x', buffer.size());
    while (left > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<long long>(left, static_cast<long long>(buffer.size())));
        std::fwrite(buffer.data(), 1, chunk, target);
        left -= static_cast<long long>(chunk);
    }
    std::fclose(in);
    std::fflush(target);
    fsync(fileno(target));
    std::fclose(target);
    return bytes;
}

void Print(const std::string& name, const Sample& sample, long long records, double floorSeconds) {
    std::printf("%-34s %8.3f s %12.0f rec/s %8.2f x floor %8ld KiB peak\n", name.c_str(), sample.seconds,
                static_cast<double>(records) / sample.seconds, floorSeconds > 0 ? sample.seconds / floorSeconds : 0.0,
                sample.peakKiB);
}

} // namespace

int main(int argc, char** argv) {
    long long records = 1000000;
    int runs = 5;
    fs::path folder = fs::temp_directory_path() / "zentu-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--records") {
            records = std::atoll(argv[i + 1]);
        } else if (option == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--dir") {
            folder = argv[i + 1];
        }
    }
    fs::create_directories(folder);
    const fs::path log = folder / "BENCH.hdb";
    zentu::RecordLibrary library;
    if (!library.load(zentu::ExecutableFolder())) {
        std::cerr << library.errorString() << "\n";
        return 1;
    }
    std::string error;
    if (library.countRecords(log) != records) {
        std::printf("Making a log of %lld records in %s ...\n", records, folder.c_str());
        if (!hamlog::CreateSyntheticLog(log, static_cast<std::uint64_t>(records), 1, &error)) {
            std::cerr << error << "\n";
            return 1;
        }
    }

    const auto count = library.countRecords(log);
    std::printf("Log: %s, %d records, %lld bytes; median of %d runs\n\n", log.c_str(), count, FileSize(log), runs);

    auto run = [&](int mode, bool adif) {
        return [&, mode, adif]() -> long long {
            zentu::JobSettings settings;
            settings.set_hdb_dir = log.string();
            settings.set_outcsv_dir = (folder / "OUT.CSV").string();
            settings.adif_out = adif ? "1" : "0";
            settings.set_start_date = "20100101";
            settings.set_end_date = "20151231";
            settings.set_date_time_UJ = "JST";
            zentu::RunInput input;
            input.programFolder = folder;
            input.rangeMode = static_cast<zentu::RangeMode>(mode);
            input.record_count = count;
            const auto result = zentu::RunConversion(library, settings, input, {}, nullptr);
            if (!result.ok) {
                std::cerr << result.error << "\n";
                std::exit(1);
            }
            return FileSize(folder / "OUT.CSV") + (adif ? FileSize(folder / "OUT.adi") : 0);
        };
    };

    const Sample counting = Median(runs, [&] { return static_cast<long long>(library.countRecords(log)); });
    const Sample reading = Median(runs, [&] {
        std::array<std::string, 16> fields;
        long long bytes = 0;
        library.open(log);
        for (std::int32_t i = 1; i <= count; ++i) {
            library.read(i);
            library.fields(fields);
            bytes += static_cast<long long>(fields[0].size());
        }
        library.close();
        return bytes;
    });
    const Sample csvOnly = Median(runs, run(0, false));
    const Sample csvAdif = Median(runs, run(0, true));
    const Sample dateRange = Median(runs, run(1, true));
    const Sample floorCsv = Median(runs, [&] { return CopyFloor(log, folder / "FLOOR.out", csvOnly.bytes); });
    const Sample floorBoth = Median(runs, [&] { return CopyFloor(log, folder / "FLOOR.out", csvAdif.bytes); });
    const Sample floorRange = Median(runs, [&] { return CopyFloor(log, folder / "FLOOR.out", dateRange.bytes); });

    std::printf("%-34s %10s %16s %14s %16s\n", "measurement", "time", "records/s", "ratio", "memory");
    Print("count records", counting, count, 0);
    Print("read 16 fields of every record", reading, count, 0);
    Print("floor: read log + write CSV size", floorCsv, count, 0);
    Print("run, CSV only (mode 0)", csvOnly, count, floorCsv.seconds);
    Print("floor: read log + write CSV+ADIF", floorBoth, count, 0);
    Print("run, CSV and ADIF (mode 0)", csvAdif, count, floorBoth.seconds);
    Print("run, CSV and ADIF (mode 1, JST)", dateRange, count, floorRange.seconds);
    std::printf("\nOutput bytes: CSV only %lld, CSV and ADIF %lld, date range %lld\n", csvOnly.bytes, csvAdif.bytes,
                dateRange.bytes);
    fs::remove(folder / "FLOOR.out");
    return 0;
}
