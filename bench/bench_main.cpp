// Measures the conversion on a large synthetic log: counting, reading every field through the record library, and
// the run writing CSV only, CSV with ADIF, and a JST date range of a tenth of the log, each against the floor of plain
// buffered I/O of the same size. Each measurement runs in a child process of its own, so its peak memory is its own;
// each figure is the median of the runs.
// With the window programs built it also runs the job in the auto-run window (offscreen, no display needed), held
// against the same run without a window, and opens large CSV files in the output viewer: the time until the list is
// shown, the slowest scroll step, and the memory. `--viewer` runs only the viewer's part.

#include "convert/ConversionRun.h"
#include "hamlog/RecordLibrary.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"

#include "SyntheticLog.h"

#if defined(ZENTU_BENCH_WINDOWS)
#include "ArunState.h"
#include "ListBoxHS.h"
#include "frmDisp2.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "settings/JobRegistry.h"
#include "text/Cp932Codec.h"
#include "zentu_arun.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
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

// Runs `work` in a child process, which times itself and reports its time and output size (for work that must first
// set up what is not timed, such as a window).
Sample MeasureTimed(const std::function<Sample()>& work) {
    rusage usage{};
    Sample sample = InChildProcess(work, &usage);
    sample.peakKiB = usage.ru_maxrss;
    return sample;
}

// Runs `work` in a child process; the child reports its time and output size through a pipe.
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

// A run and its floor measured by turns, so that both meet the disk and the page cache in the same state (the files
// written before them, the write-back still going on). A first run, not counted, tells how many bytes the floor writes.
std::pair<Sample, Sample> MeasureWithFloor(int runs, const fs::path& log, const fs::path& floorFile,
                                           const std::function<long long()>& work) {
    const long long bytes = Measure(work).bytes;
    std::vector<Sample> runSamples;
    std::vector<Sample> floorSamples;
    for (int i = 0; i < runs; ++i) {
        floorSamples.push_back(Measure([&] { return CopyFloor(log, floorFile, bytes); }));
        runSamples.push_back(Measure(work));
    }
    return {MedianOf(std::move(runSamples)), MedianOf(std::move(floorSamples))};
}

void PrintHeader() {
    std::printf("%-40s %9s %12s %9s %8s %12s\n", "measurement", "time", "records/s", "floor", "ratio", "peak memory");
}

// One line of the table: the time, and beside it the floor it is held against and the ratio (none for the floors
// themselves and the figures without one).
void Print(const std::string& name, const Sample& sample, long long records, const Sample* floor = nullptr) {
    char floorText[32] = "";
    char ratioText[32] = "";
    if (floor != nullptr && floor->seconds > 0) {
        std::snprintf(floorText, sizeof floorText, "%.3f s", floor->seconds);
        std::snprintf(ratioText, sizeof ratioText, "%.2f x", sample.seconds / floor->seconds);
    }
    std::printf("%-40s %7.3f s %12.0f %9s %8s %8.1f MiB\n", name.c_str(), sample.seconds,
                sample.seconds > 0 ? static_cast<double>(records) / sample.seconds : 0.0, floorText, ratioText,
                static_cast<double>(sample.peakKiB) / 1024.0);
}

// yyyymmdd of a record's date "yy/mm/dd" (two-digit years as the conversion widens them).
std::string LongDate(const std::string& date) {
    if (date.size() != 8) {
        return {};
    }
    const int year = std::atoi(date.substr(0, 2).c_str());
    return std::to_string(year > 50 ? 1900 + year : 2000 + year) + date.substr(3, 2) + date.substr(6, 2);
}

// A JST date range that takes about a tenth of the log: from the date of the record at 45 % of the log to the date
// of the record at 55 % (the synthetic log is in time order).
std::pair<std::string, std::string> TenthOfTheLog(zentu::RecordLibrary& library, const fs::path& log, int count) {
    library.open(log);
    const auto dateAt = [&](double share) {
        library.read(std::max(1, static_cast<int>(count * share)));
        return LongDate(library.field(2));
    };
    std::pair<std::string, std::string> range{dateAt(0.45), dateAt(0.55)};
    library.close();
    return range;
}

#if defined(ZENTU_BENCH_WINDOWS)

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
    return InChildProcess<ViewerSample>([&] {
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
        return sample;
    });
}

/// Prompts of a measurement: no box is ever shown; a failure ends the measurement.
class BenchPrompts : public zentu::Prompts {
public:
    void notify(QWidget*, const QString& text) override { std::cerr << text.toStdString() << "\n"; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString& text) override {
        std::cerr << text.toStdString() << "\n";
        std::_Exit(1);
    }
};

// Runs job 1 of `folder` in the auto-run window (offscreen), from the click on its run button until the run is done
// (its waits and the program's end left out).
Sample RunInAutoRunWindow(const fs::path& folder, const fs::path& csv, const fs::path& adif) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "zentu_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    zentu::ArunState state;
    state.ProgramFolder = folder;
    if (!state.library.load(zentu::ExecutableFolder())) {
        std::cerr << state.library.errorString() << "\n";
        std::_Exit(1);
    }
    BenchPrompts prompts;
    zentu::zentu_arun window(state, prompts);
    window.setWaiter([](int) {});
    window.setProgramEnd([] {});
    window.load();
    window.show();
    QCoreApplication::processEvents();
    auto* button = window.findChild<QPushButton*>("cmdDo_job");
    const auto start = Clock::now();
    button->click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!window.findChild<QLabel*>("lblOutRec")->text().startsWith(QStringLiteral("出力数"))) {
        std::cerr << "the window's run did not finish\n";
        std::_Exit(1);
    }
    return Sample{seconds, 0, FileSize(csv) + FileSize(adif)};
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
#if defined(ZENTU_BENCH_WINDOWS)
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

    // The runs lock their job in the settings folder beside the log, as in a program folder.
    fs::create_directories(folder / "ini");
    const auto [rangeStart, rangeEnd] = TenthOfTheLog(library, log, count);

    auto run = [&](int mode, bool adif) {
        return [&, mode, adif]() -> long long {
            zentu::JobSettings settings;
            settings.set_hdb_dir = log.string();
            settings.set_outcsv_dir = (folder / "OUT.CSV").string();
            settings.adif_out = adif ? "1" : "0";
            settings.set_start_date = rangeStart;
            settings.set_end_date = rangeEnd;
            settings.set_date_time_UJ = "JST";
            zentu::RunInput input;
            input.programFolder = folder;
            input.rangeMode = static_cast<zentu::RangeMode>(mode);
            input.record_count = count;
            const auto result = zentu::RunConversion(library, settings, input, {}, nullptr);
            if (!result.ok) {
                std::cerr << result.error << "\n";
                std::_Exit(1);
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
    const Sample floorRead = Median(runs, [&] { return CopyFloor(log, folder / "FLOOR.out", 0); });
    const auto [csvOnly, floorCsv] = MeasureWithFloor(runs, log, folder / "FLOOR.out", run(0, false));
    const auto [csvAdif, floorBoth] = MeasureWithFloor(runs, log, folder / "FLOOR.out", run(0, true));
    const auto [dateRange, floorRange] = MeasureWithFloor(runs, log, folder / "FLOOR.out", run(1, true));

#if defined(ZENTU_BENCH_WINDOWS)
    // The same run in the auto-run window: job 1 of the folder, all records, CSV and ADIF.
    {
        zentu::JobSettings settings;
        settings.set_hdb_dir = log.string();
        settings.set_outcsv_dir = (folder / "WINDOW.CSV").string();
        settings.adif_out = "1";
        settings.select_flag = "0";
        settings.zentu_arun_end_time = "0";
        const zentu::JobRegistry registry(folder);
        fs::create_directories(folder / "JOB");
        if (!registry.writeRegisteredJob(1, {"bench", "", "", ""}) ||
            !zentu::SaveJobSettings(folder, 1, settings, zentu::kZentuVersion)) {
            std::cerr << "cannot set up the window's job in " << folder << "\n";
            return 1;
        }
    }
    // By turns with the same run without a window, as the floors are.
    std::vector<Sample> windowSamples;
    std::vector<Sample> headlessSamples;
    for (int i = 0; i < runs; ++i) {
        headlessSamples.push_back(Measure(run(0, true)));
        windowSamples.push_back(
            MeasureTimed([&] { return RunInAutoRunWindow(folder, folder / "WINDOW.CSV", folder / "WINDOW.adi"); }));
    }
    const Sample windowRun = MedianOf(windowSamples);
    const Sample headlessRun = MedianOf(headlessSamples);
#endif

    std::printf("Floors: read the log and write as many bytes as the run writes, with plain buffered I/O.\n");
    std::printf("Date range: %s to %s (JST), about a tenth of the log.\n\n", rangeStart.c_str(), rangeEnd.c_str());
    PrintHeader();
    Print("count records", counting, count);
    Print("read 16 fields of every record", reading, count, &floorRead);
    Print("floor: read log + write CSV size", floorCsv, count);
    Print("run, CSV only (mode 0)", csvOnly, count, &floorCsv);
    Print("floor: read log + write CSV+ADIF size", floorBoth, count);
    Print("run, CSV and ADIF (mode 0)", csvAdif, count, &floorBoth);
    Print("floor: read log + write range size", floorRange, count);
    Print("run, CSV and ADIF (mode 1, JST tenth)", dateRange, count, &floorRange);
#if defined(ZENTU_BENCH_WINDOWS)
    std::printf("\nThe run in a window, held against the same run without one:\n");
    Print("run, CSV and ADIF (mode 0), headless", headlessRun, count);
    Print("run in the auto-run window (offscreen)", windowRun, count, &headlessRun);
#endif
    std::printf("\nOutput bytes: CSV only %lld, CSV and ADIF %lld, date range %lld\n", csvOnly.bytes, csvAdif.bytes,
                dateRange.bytes);
    fs::remove(folder / "FLOOR.out");
#if defined(ZENTU_BENCH_WINDOWS)
    RunViewerBenchmark(folder, runs);
#endif
    return 0;
}
