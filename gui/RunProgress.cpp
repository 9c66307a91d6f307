#include "gui/RunProgress.h"

#include "convert/JobTexts.h"
#include "gui/BusyWindows.h"

#include <QLabel>
#include <QPalette>
#include <QProgressBar>

#include <algorithm>
#include <climits>
#include <new>
#include <system_error>

namespace zentu {

void SetColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void SetText(QLabel* label, const QString& text, const QColor& colour) {
    SetColour(label, colour);
    label->setText(text);
}

RunProgress::RunProgress(QProgressBar* bar, QLabel* outputCount) : m_bar(bar), m_outputCount(outputCount) {
    m_timer.setInterval(kIntervalMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &RunProgress::showProgress);
}

RunProgress::~RunProgress() = default;

// The engine's calls come from its thread: each hands what it says to this object's thread, queued in the order
// they came. Only the latest record count is kept for the bar, which the timer shows.

void RunProgress::progressStarted(double maximum) {
    m_value.store(0, std::memory_order_relaxed);
    QMetaObject::invokeMethod(
        this,
        [this, maximum] {
            m_bar->setMinimum(0);
            m_bar->setMaximum(static_cast<int>(std::min<double>(maximum, INT_MAX)));
            m_timer.start();
        },
        Qt::QueuedConnection);
}

void RunProgress::progressed(std::int64_t value) {
    m_value.store(value, std::memory_order_relaxed);
}

void RunProgress::outputCounted(std::int64_t output_count) {
    QMetaObject::invokeMethod(
        this,
        [this, output_count] {
            m_timer.stop();
            m_bar->setValue(0);
            SetText(m_outputCount,
                    QString::fromUtf8(job_texts::kOutputCountPrefix) + QString::number(output_count) +
                        QString::fromUtf8(job_texts::kCountSuffix),
                    kRunLightBlue);
            m_outputCount->repaint();
        },
        Qt::QueuedConnection);
}

void RunProgress::showProgress() {
    m_bar->setValue(
        static_cast<int>(std::min<std::int64_t>(m_value.load(std::memory_order_relaxed), m_bar->maximum())));
}

RunResult RunFromWindow(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        QProgressBar* bar, QLabel* outputCount) {
    RunProgress progress(bar, outputCount);
    JobSettings copy = settings;
    RunResult result;
    // The run catches what runs out inside it; the thread it runs on may not be had either. Nothing has run then.
    try {
        RunKeepingWindowsPainted([&] { result = RunConversion(library, copy, input, options, &progress); });
    } catch (const std::bad_alloc&) {
        result = RunResult{};
        result.failure = RunFailure::Failed;
        result.error = OutOfResourcesText(true);
        return result;
    } catch (const std::system_error&) {
        result = RunResult{};
        result.failure = RunFailure::Failed;
        result.error = OutOfResourcesText(false);
        return result;
    }
    settings = copy;
    ShowLeftOutCount(outputCount, result);
    return result;
}

void ShowLeftOutCount(QLabel* outputCount, const RunResult& result) {
    const std::int64_t leftOut = result.adifLeftOut.count + result.dateRangeUndecided.count;
    if (!result.ok || result.adifPath.empty() || leftOut == 0) {
        return;
    }
    SetText(outputCount,
            QString::fromUtf8(job_texts::kOutputCountPrefix) + QString::number(result.output_count) +
                QString::fromUtf8(job_texts::kCountSuffix) + QString::fromUtf8(job_texts::kAdifLeftOutPrefix) +
                QString::number(leftOut) + QString::fromUtf8(job_texts::kAdifLeftOutSuffix),
            kRunDarkRed);
    outputCount->repaint();
}

} // namespace zentu
