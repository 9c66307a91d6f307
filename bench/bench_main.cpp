// Measures the conversion on a large synthetic log: counting, reading every field through the record library, and
// the run writing CSV only and CSV with ADIF, each against the floor of plain buffered I/O of the same size.
// Each measurement runs in a child process of its own, so its peak memory is its own.
// With the window programs built it also opens large CSV files in the output viewer (offscreen, no display needed):
// the time until the list is shown, the slowest scroll step, and the memory. `--viewer` runs only that part.

#include "convert/ConversionRun.h"
#include "hamlog/RecordLibrary.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"

#include "SyntheticLog.h"

#if defined(ZENTU_BENCH_VIEWER)
#include "ListBoxHS.h"
#include "frmDisp2.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "text/Cp932Codec.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <fstream>
#endif

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

#if defined(ZENTU_BENCH_VIEWER)

struct ViewerSample {
    double openSeconds = 0;
    double slowestScrollSeconds = 0;
    long baselineKiB = 0;
    long peakKiB = 0;
    int extent = 0;
};

// A value of /proc/self/status in KiB ("VmRSS", "VmHWM").
long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::atol(line.c_str() + prefix.size());
        }
    }
    return 0;
}

// A CSV file as the conversion writes it: 15 quoted fields, a Japanese name and address, CR LF; every 100,000th
// line carries a long remark, so the list needs a horizontal extent.
void MakeViewerCsv(const fs::path& file, long long lines) {
    const std::string names[] = {zentu::Cp932Codec::encode("山田 太郎").text,
                                 zentu::Cp932Codec::encode("佐藤 花子").text,
                                 zentu::Cp932Codec::encode("ｶﾀｶﾅ ﾃｽﾄ").text, zentu::Cp932Codec::encode("鈴木").text};
    const std::string place = zentu::Cp932Codec::encode("東京都千代田区").text;
    const std::string remark = zentu::Cp932Codec::encode(std::string(60, 'x') + "長い備考の行").text;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::string line;
    for (long long i = 0; i < lines; ++i) {
        char head[96];
        std::snprintf(head, sizeof head,
                      "\"JA%lldABC\",\"%02lld/%02lld/%02lld\",\"%02lld:%02lldJ\",\"59\",\"59\",\"7.050\",\"SSB\",",
                      i % 10, 10 + i % 14, 1 + i % 12, 1 + i % 28, i % 24, i % 60);
        line = head;
        line +=
            "\"100" + std::to_string(i % 10) + "\",\"" + names[i % 4] + "\",\"" + place + "\",\"J\",\"\",\"\",\"\",\"";
        if (i % 100000 == 50000) {
            line += remark;
        }
        line += "\"\r\n";
        out << line;
    }
}

// Opens `file` in the output viewer in a child process: the time until the list has been painted, then a run of
// scroll steps through the whole list (page by page near the start, then jumps to the end), timing the slowest.
ViewerSample MeasureViewer(const fs::path& file, const fs::path& folder) {
    int channel[2];
    if (pipe(channel) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        int argc = 1;
        char name[] = "zentu_bench";
        char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        ViewerSample sample;
        sample.baselineKiB = StatusKiB("VmRSS");
        zentu::PositionStore positions;
        zentu::MessageBoxPrompts prompts;
        QElapsedTimer clock;
        clock.start();
        zentu::frmDisp2 viewer(zentu::ToolContext{folder, positions, prompts}, file);
        viewer.load();
        viewer.show();
        auto* list = viewer.findChild<QAbstractItemView*>("List1");
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        sample.openSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        sample.extent = viewer.listBox().extent();

        QScrollBar* bar = list->verticalScrollBar();
        const int maximum = bar->maximum();
        for (int step = 0; step < 300; ++step) {
            const int value = step < 100 ? step * bar->pageStep() : static_cast<int>(maximum * ((step - 100) / 199.0));
            clock.restart();
            bar->setValue(value);
            list->horizontalScrollBar()->setValue(step % 2 == 0 ? 0 : list->horizontalScrollBar()->maximum());
            list->viewport()->repaint();
            sample.slowestScrollSeconds =
                std::max(sample.slowestScrollSeconds, static_cast<double>(clock.nsecsElapsed()) / 1e9);
        }
        sample.peakKiB = StatusKiB("VmHWM");
        if (write(channel[1], &sample, sizeof sample) != static_cast<ssize_t>(sizeof sample)) {
            _exit(1);
        }
        _exit(0);
    }
    close(channel[1]);
    ViewerSample sample;
    if (read(channel[0], &sample, sizeof sample) != static_cast<ssize_t>(sizeof sample)) {
        std::cerr << "the viewer measurement failed\n";
        std::exit(1);
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return sample;
}

void RunViewerBenchmark(const fs::path& folder, int runs) {
    std::printf("\nOutput viewer: open a CSV file and scroll through it (offscreen); median of %d runs\n\n", runs);
    std::printf("%-24s %12s %10s %14s %12s %14s %10s\n", "file", "size", "open", "slowest scroll", "peak memory",
                "above empty", "x file");
    for (const long long lines : {100000LL, 1000000LL}) {
        const fs::path file = folder / ("VIEW_" + std::to_string(lines) + ".CSV");
        MakeViewerCsv(file, lines);
        std::vector<ViewerSample> samples;
        for (int i = 0; i < runs; ++i) {
            samples.push_back(MeasureViewer(file, folder));
        }
        std::sort(samples.begin(), samples.end(),
                  [](const ViewerSample& a, const ViewerSample& b) { return a.openSeconds < b.openSeconds; });
        ViewerSample median = samples[samples.size() / 2];
        for (const ViewerSample& s : samples) {
            median.peakKiB = std::max(median.peakKiB, s.peakKiB);
            median.slowestScrollSeconds = std::max(median.slowestScrollSeconds, s.slowestScrollSeconds);
        }
        const long long size = FileSize(file);
        const long above = median.peakKiB - median.baselineKiB;
        std::printf("%-24s %9.1f MB %8.3f s %12.1f ms %9ld KiB %11ld KiB %9.2f\n",
                    (std::to_string(lines) + " lines").c_str(), static_cast<double>(size) / 1e6, median.openSeconds,
                    median.slowestScrollSeconds * 1000.0, median.peakKiB, above,
                    static_cast<double>(above) * 1024.0 / static_cast<double>(size));
        fs::remove(file);
    }
}

#endif

} // namespace

constexpr char kUsage[] = "Usage: zentu_bench [--records N] [--runs N] [--dir FOLDER] [--viewer]\n"
                          "\n"
                          "  --records N   records of the synthetic log (default 1000000)\n"
                          "  --runs N      runs per measurement; the median is shown (default 5)\n"
                          "  --dir FOLDER  where the log and the outputs are made (default: a folder in /tmp)\n"
                          "  --viewer      measure only the output viewer\n"
                          "  --help        print this and exit\n";

int main(int argc, char** argv) {
    long long records = 1000000;
    int runs = 5;
    bool viewerOnly = false;
    fs::path folder = fs::temp_directory_path() / "zentu-bench";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == "--viewer") {
            viewerOnly = true;
            continue;
        }
        const bool known = option == "--records" || option == "--runs" || option == "--dir";
        if (!known || i + 1 >= argc) {
            std::cerr << (known ? "Missing value after " : "Unknown option ") << option << "\n\n" << kUsage;
            return 2;
        }
        const char* value = argv[++i];
        if (option == "--records") {
            records = std::atoll(value);
        } else if (option == "--runs") {
            runs = std::max(1, std::atoi(value));
        } else {
            folder = value;
        }
    }
    fs::create_directories(folder);
    if (viewerOnly) {
#if defined(ZENTU_BENCH_VIEWER)
        RunViewerBenchmark(folder, runs);
        return 0;
#else
        std::cerr << "The output viewer is not built (ZENTU_BUILD_GUI is off).\n";
        return 1;
#endif
    }
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
#if defined(ZENTU_BENCH_VIEWER)
    RunViewerBenchmark(folder, runs);
#endif
    return 0;
}
