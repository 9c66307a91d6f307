#include "BenchWindows.h"

#include "ArunState.h"
#include "ListBoxHS.h"
#include "frmDisp2.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "zentu_arun.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <fstream>
#include <string>

namespace zentu::bench {

namespace {

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

} // namespace

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

} // namespace zentu::bench
