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

#include "BenchMeasure.h"
#include "convert/LogBounds.h"

#if defined(ZENTU_BENCH_WINDOWS)
#include "BenchWindows.h"
#include "settings/JobRegistry.h"
#endif

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using namespace zentu::bench;

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

// yyyymmdd of a record's date "yy/mm/dd", its year widened as the range settings widen it.
std::string LongDate(const std::string& date) {
    return date.size() == 8 ? zentu::FullLogDate(date) : std::string();
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
