#include "zentu_arun.h"

#include "ArunState.h"
#include "ArunTexts.h"
#include "ui_zentu_arun.h"

#include "convert/ConversionRun.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobTexts.h"
#include "gui/PathLabel.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QCoreApplication>
#include <QPalette>
#include <QThread>

#include <algorithm>
#include <climits>

namespace zentu {

namespace {

namespace texts = arun_texts;
namespace shared = job_texts;

const QColor kGreen(0, 128, 0);
const QColor kLightBlue(0, 0, 255);
const QColor kDarkRed(192, 0, 0);

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

void SetColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void SetText(QLabel* label, const QString& text, const QColor& colour) {
    SetColour(label, colour);
    label->setText(text);
}

QString ThreeMessages(const ArunJobSlot& slot) {
    return Q(slot.msg1 + "\r\n" + slot.msg2 + "\r\n" + slot.msg3 + "\r\n");
}

// The job number an entry "JOB n : name" names: the text between "JOB " and " : ".
int JobOfEntry(const QString& entry) {
    const qsizetype colon = entry.indexOf(QStringLiteral(" : "));
    if (!entry.startsWith(QStringLiteral("JOB ")) || colon < 4) {
        return 0;
    }
    bool ok = false;
    const int job = entry.mid(4, colon - 4).trimmed().toInt(&ok);
    return ok && job >= 1 && job <= 9 ? job : 0;
}

// Shows a run's progress on the window's progress bar and output count label.
class WindowRunObserver : public RunObserver {
public:
    WindowRunObserver(QProgressBar* bar, QLabel* outputCount) : m_bar(bar), m_outputCount(outputCount) {}

    void progressStarted(double maximum) override {
        m_bar->setMinimum(0);
        m_bar->setMaximum(static_cast<int>(std::min<double>(maximum, INT_MAX)));
    }
    void progressed(std::int64_t value) override {
        m_bar->setValue(static_cast<int>(std::min<std::int64_t>(value, m_bar->maximum())));
    }
    void outputCounted(std::int64_t output_count) override {
        m_bar->setValue(0);
        SetText(m_outputCount,
                QString::fromUtf8(shared::kOutputCountPrefix) + QString::number(output_count) +
                    QString::fromUtf8(shared::kCountSuffix),
                kLightBlue);
        m_outputCount->repaint();
    }

private:
    QProgressBar* m_bar;
    QLabel* m_outputCount;
};

} // namespace

zentu_arun::zentu_arun(ArunState& state, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::zentu_arun>()), m_state(state), m_prompts(prompts) {
    m_ui->setupUi(this);
    SetColour(m_ui->Label9, kDarkRed);
    // Long paths, job names and reasons must never widen the window past the screen: these labels take the width
    // the layout gives them (paths are shortened and elided, the others wrap or are cut at the edge, with the
    // whole text as tool tip where it can be cut).
    for (QLabel* label : {m_ui->Label4, m_ui->Label1, m_ui->lblInFile, m_ui->lblOutFile, m_ui->lblInfo, m_ui->Label5,
                          m_ui->Label6, m_ui->Label7, m_ui->Label2}) {
        KeepLabelFromWideningWindow(*label);
    }
    m_ui->Label6->setWordWrap(true);
    m_wait = [this](int milliseconds) {
        // Let the window system show what was just painted, then block: the window does not respond meanwhile.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    };
    m_end = [] { QCoreApplication::exit(0); };

    connect(m_ui->List1, &QListWidget::currentRowChanged, this, &zentu_arun::onJobSelected);
    connect(m_ui->cmdDo_job, &QPushButton::clicked, this, &zentu_arun::runJob);
    connect(m_ui->mnuExit, &QAction::triggered, this, &zentu_arun::exitFromMenu);
}

zentu_arun::~zentu_arun() = default;

void zentu_arun::setWaiter(Waiter waiter) {
    m_wait = std::move(waiter);
}

void zentu_arun::setProgramEnd(ProgramEnd end) {
    m_end = std::move(end);
}

void zentu_arun::load() {
    RestoreWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionSection);
    KeepOnScreen(*this);
    setWindowTitle(QString::fromUtf8(texts::kCaptionPrefix) +
                   QString::fromUtf8(kZentuArunVersion.data(), kZentuArunVersion.size()));

    m_ui->cmdDo_job->setEnabled(false);
    m_ui->Label4->clear();
    m_state.CurrentJob = 1;
    buildJobList();
    m_ui->cmdDo_job->setEnabled(true);
    if (m_ui->List1->count() > 0) {
        // Selecting the first entry runs the selection handler, as a click would.
        m_ui->List1->setCurrentRow(-1);
        m_ui->List1->setCurrentRow(0);
    } else {
        m_ui->cmdDo_job->setEnabled(false);
    }

    // Job 1 is shown once more. When job 1's file is missing the first entry is another job, and that job stays
    // the current one, so the run button runs the job the list shows.
    const int selected = m_ui->List1->currentItem() != nullptr ? JobOfEntry(m_ui->List1->currentItem()->text()) : 0;
    m_state.CurrentJob =
        selected == 0 || selected == 1 || !m_state.jobSlots[static_cast<std::size_t>(selected)].registered ? 1
                                                                                                           : selected;
    showJobTexts();
    LoadJobSettings(m_state.ProgramFolder, m_state.CurrentJob, m_state.settings, false);
    showSummary();
    m_ui->Label1->setText(ThreeMessages(m_state.jobSlots[static_cast<std::size_t>(m_state.CurrentJob)]));

    SetText(m_ui->Label2, QString::fromUtf8(texts::kNotice), kLightBlue);
}

void zentu_arun::buildJobList() {
    m_ui->Label1->clear();
    const QSignalBlocker blocker(m_ui->List1);
    m_ui->List1->clear();
    const JobRegistry registry(m_state.ProgramFolder);
    for (int n = 1; n <= 9; ++n) {
        ArunJobSlot& slot = m_state.jobSlots[static_cast<std::size_t>(n)];
        slot = ArunJobSlot{};
        const std::optional<std::string> first = registry.readFirstField(n);
        if (!first) {
            continue;
        }
        if (first->find(JobRegistry::kUnregistered) == std::string::npos) {
            const std::optional<JobRegistryEntry> entry = registry.readUntrimmed(n);
            const JobRegistryEntry values = entry.value_or(JobRegistryEntry{});
            m_ui->List1->addItem(Q("JOB " + std::to_string(n) + " : " + values.name));
            slot.msg1 = values.msg1;
            slot.msg2 = values.msg2;
            slot.msg3 = values.msg3;
            slot.registered = true;
        } else {
            m_ui->List1->addItem(Q("JOB " + std::to_string(n) + " : "));
        }
    }
}

void zentu_arun::onJobSelected(int row) {
    if (row < 0 || m_ui->List1->item(row) == nullptr) {
        return;
    }
    const QString entry = m_ui->List1->item(row)->text();
    const int job = JobOfEntry(entry);
    for (QLabel* label : {m_ui->Label4, m_ui->lblInFile, m_ui->lblOutFile, m_ui->Label5, m_ui->lblInfo, m_ui->lblOutRec,
                          m_ui->lblMsg}) {
        label->clear();
    }
    if (job == 0) {
        m_ui->cmdDo_job->setEnabled(false);
        return;
    }
    const ArunJobSlot& slot = m_state.jobSlots[static_cast<std::size_t>(job)];
    m_ui->Label1->setText(ThreeMessages(slot));
    if (!slot.registered) {
        m_ui->cmdDo_job->setEnabled(false);
        return;
    }
    m_ui->Label4->setText(entry);
    m_ui->Label4->setToolTip(entry);
    m_state.CurrentJob = job;
    m_ui->cmdDo_job->setEnabled(true);
    showJobTexts();
    LoadJobSettings(m_state.ProgramFolder, job, m_state.settings, false);
    showSummary();
}

void zentu_arun::showJobTexts() {
    m_ui->Label1->clear();
    const int job = m_state.CurrentJob;
    ArunJobSlot& slot = m_state.jobSlots[static_cast<std::size_t>(job)];
    if (const std::optional<JobRegistryEntry> entry = JobRegistry(m_state.ProgramFolder).readUntrimmed(job)) {
        slot.msg1 = entry->msg1;
        slot.msg2 = entry->msg2;
        slot.msg3 = entry->msg3;
    }
    m_ui->Label1->setText(ThreeMessages(slot));
    if (m_ui->List1->currentItem() != nullptr) {
        m_ui->Label4->setText(m_ui->List1->currentItem()->text());
        m_ui->Label4->setToolTip(m_ui->Label4->text());
    }
}

void zentu_arun::showSummary() {
    const JobSettings& settings = m_state.settings;
    ShowPathInLabel(*m_ui->lblInFile, settings.set_hdb_dir);
    ShowPathInLabel(*m_ui->lblOutFile, settings.set_outcsv_dir);

    // A summary describes the job just chosen: the colours and warning of an earlier job do not carry over.
    SetColour(m_ui->Label5, palette().color(QPalette::WindowText));
    SetColour(m_ui->Label6, palette().color(QPalette::WindowText));
    m_ui->Label6->clear();

    // The plan describes the job just chosen: nothing of an earlier job (its count, its range) carries over. Job
    // files that cannot be read are told as such, not as an empty job.
    if (auto problem = CheckProgramFiles(m_state.ProgramFolder, m_state.CurrentJob)) {
        m_state.plan = JobPlan{};
        m_state.plan.refusal = PlanRefusal::BadPaths;
        m_state.plan.reason = std::move(*problem);
    } else {
        m_state.plan = PlanJob(m_state.library, m_state.settings,
                               PlanOptions{.completeBlankSettings = false, .programFolder = m_state.ProgramFolder});
    }
    const JobPlan& plan = m_state.plan;
    if (plan.refusal == PlanRefusal::LogUnreadable) {
        SetText(m_ui->lblInfo, QString::fromUtf8(plan.logMissing ? texts::kLogNotFound : texts::kLogUnreadable),
                kDarkRed);
    } else if (plan.counted) {
        SetText(m_ui->lblInfo,
                QString::fromUtf8(shared::kInputCountPrefix) + QString::number(plan.record_count) +
                    QString::fromUtf8(shared::kCountSuffix),
                palette().color(QPalette::WindowText));
    }
    // A job that cannot run says why (a range never saved or not describing a range, a path that cannot be used,
    // outputs that would replace the log, a log that cannot be opened) and its run button stays disabled.
    if (!plan.stands()) {
        SetText(m_ui->Label6, Q(plan.reason), kDarkRed);
        m_ui->cmdDo_job->setEnabled(false);
    } else if (plan.logShorterThanLastRun) {
        SetText(m_ui->Label6,
                QString::fromUtf8(shared::kChangedLog) + QString::fromUtf8(shared::kLastEndRecord) +
                    Q(settings.last_end_rec_no),
                kDarkRed);
        m_ui->cmdDo_job->setEnabled(false);
    }
    m_ui->Label5->setText(Q(plan.summary));
    if (plan.noNewRecords) {
        SetColour(m_ui->Label5, kDarkRed);
        SetText(m_ui->Label6, QString::fromUtf8(texts::kNoNewRecords), kDarkRed);
    }
    if (plan.stands() && settings.set_anytime_last == "1") {
        m_ui->Label6->setText(QString::fromUtf8(shared::kAnytimeLast));
    }
    m_ui->Label5->repaint();
    repaintNow();
}

void zentu_arun::runJob() {
    if (!m_state.plan.stands() || m_state.plan.logShorterThanLastRun) {
        return; // the button is disabled for such a job; nothing may run with another job's range
    }
    m_ui->cmdDo_job->setEnabled(false);
    SetText(m_ui->lblMsg, QString::fromUtf8(shared::kBusy), kGreen);
    SetText(m_ui->Label7, QString::fromUtf8(shared::kBusyLong), kGreen);
    repaintNow();
    if (m_state.plan.noNewRecords) {
        SetText(m_ui->Label7, QString::fromUtf8(texts::kNoData), kDarkRed);
        repaintNow();
        waitEndTime();
        m_end();
        return;
    }
    m_wait(1000);
    runConversion();
}

void zentu_arun::runConversion() {
    RunOptions options;
    options.versionText = kZentuArunVersion;
    options.modeTable = nullptr;
    options.storeSignature = false;
    options.saveAllKeys = false;

    WindowRunObserver observer(m_ui->ProgressBar1, m_ui->lblOutRec);
    const RunResult result =
        RunConversion(m_state.library, m_state.settings,
                      m_state.plan.runInput(m_state.ProgramFolder, m_state.CurrentJob), options, &observer);
    if (result.ok) {
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kDone), kLightBlue);
        SetText(m_ui->Label7, QString::fromUtf8(texts::kDoneLong), kLightBlue);
        // Records left out for want of a valid date-time are told while the window waits.
        if (const std::string leftOut = LeftOutReport(result); !leftOut.empty()) {
            SetText(m_ui->Label6, Q(leftOut), kDarkRed);
        }
        repaintNow();
    } else {
        m_ui->ProgressBar1->setValue(0);
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kFailed), kDarkRed);
        SetText(m_ui->Label7, Q(result.error), kDarkRed);
        repaintNow();
        m_prompts.warn(this, Q(result.error));
    }
    waitEndTime();
    m_end();
}

void zentu_arun::waitEndTime() {
    std::string endTime = std::string(TrimBlanks(m_state.settings.zentu_arun_end_time));
    if (endTime.empty()) {
        endTime = "3";
    }
    const double milliseconds = Val(endTime) * 1000.0;
    if (milliseconds >= 1.0) {
        m_wait(static_cast<int>(std::min<double>(milliseconds, INT_MAX)));
    }
}

void zentu_arun::exitFromMenu() {
    SaveWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionSection);
    m_state.positions.SaveAll();
    m_end();
}

void zentu_arun::repaintNow() {
    for (QLabel* label : {m_ui->lblMsg, m_ui->Label7, m_ui->Label5, m_ui->Label6, m_ui->lblOutRec}) {
        label->repaint();
    }
    repaint();
}

} // namespace zentu
