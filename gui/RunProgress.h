#pragma once

#include "convert/ConversionRun.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>

class QLabel;
class QProgressBar;
class QWidget;

namespace zentu {

/// The colours of the run's texts: green while it works, light blue when it is done, dark red for warnings.
inline const QColor kRunGreen{0, 128, 0};
inline const QColor kRunLightBlue{0, 0, 255};
inline const QColor kRunDarkRed{192, 0, 0};

/// Gives a widget's text (a label's, a button's, a frame's caption) a colour.
void SetColour(QWidget* widget, const QColor& colour);
/// Sets a label's text and its colour.
void SetText(QLabel* label, const QString& text, const QColor& colour);

/// Shows a run's progress on a window while the engine works on another thread: the progress bar follows the records
/// looked at (the bar moves 25 times a second, however many records that is), and at the end the bar goes back to 0
/// and the output count label shows "出力数 : N 件" in light blue. The engine calls this observer on its own thread;
/// what it shows is done on the window's thread, in the order the engine reported it.
class RunProgress : public QObject, public RunObserver {
    Q_OBJECT

public:
    RunProgress(QProgressBar* bar, QLabel* outputCount);
    ~RunProgress() override;

    void progressStarted(double maximum) override;
    void progressed(std::int64_t value) override;
    void outputCounted(std::int64_t output_count) override;

    /// How often the bar moves while a run works.
    static constexpr int kIntervalMilliseconds = 40;

private:
    void showProgress();

    QProgressBar* m_bar;
    QLabel* m_outputCount;
    QTimer m_timer;
    std::atomic<std::int64_t> m_value{0};
};

/// Runs a job from a window: the engine works on a thread of its own with a copy of `settings` and shows its progress
/// on `bar` and `outputCount`, while every window stays painted and ignores the user's input, so nothing else starts
/// (no second run, no change of settings) until it ends. A run that left records out of the ADIF file shows their
/// count after the output count, both in the warning colour (ShowLeftOutCount). `settings` then takes what the run left
/// in its copy. A thread for the run that cannot be had ends it as a failed run (OutOfResourcesText), with nothing
/// changed.
RunResult RunFromWindow(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        QProgressBar* bar, QLabel* outputCount);

/// After a run that left records out of the ADIF file (for the ADIF 3.1 option, or for want of a valid date-time;
/// in the date range mode also records whose date could not be compared), the output count label shows their count
/// as well, "出力数 : N 件　（ADIF に入れなかったレコード M 件）", in dark red. Other runs leave the label as it is.
void ShowLeftOutCount(QLabel* outputCount, const RunResult& result);

} // namespace zentu
