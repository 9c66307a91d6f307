#include "zentu_arun.h"

#include "ArunState.h"
#include "ArunTexts.h"
#include "ui_zentu_arun.h"

#include "convert/ConversionRun.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobTexts.h"
#include "gui/BusyWindows.h"
#include "gui/PathLabel.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "gui/RunProgress.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QCoreApplication>
#include <QPalette>

#include <algorithm>
#include <climits>
#include <optional>

namespace zentu {

namespace {

namespace texts = arun_texts;
namespace shared = job_texts;

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
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

} // namespace

zentu_arun::zentu_arun(ArunState& state, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::zentu_arun>()), m_state(state), m_prompts(prompts) {
    m_ui->setupUi(this);
    SetColour(m_ui->Label9, kRunDarkRed);
    // Long paths, job names and reasons must never widen the window past the screen: these labels take the width
    // the layout gives them (paths are shortened and elided, the others wrap or are cut at the edge, with the
    // whole text as tool tip where it can be cut).
    for (QLabel* label : {m_ui->Label4, m_ui->Label1, m_ui->lblInFile, m_ui->lblOutFile, m_ui->lblInfo, m_ui->Label5,
                          m_ui->Label6, m_ui->Label7, m_ui->Label2}) {
        KeepLabelFromWideningWindow(*label);
    }
    m_ui->Label6->setWordWrap(true);
    // The window stays painted while it waits; the user's input is ignored meanwhile.
    m_wait = [](int milliseconds) { WaitKeepingWindowsPainted(milliseconds); };
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
    loadJobSettings();
    showSummary();
    m_ui->Label1->setText(ThreeMessages(m_state.jobSlots[static_cast<std::size_t>(m_state.CurrentJob)]));

    SetText(m_ui->Label2, QString::fromUtf8(texts::kNotice), kRunLightBlue);
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
    loadJobSettings();
    showSummary();
}

void zentu_arun::loadJobSettings() {
    m_loadError.clear();
    LoadJobSettings(m_state.ProgramFolder, m_state.CurrentJob, m_state.settings, true, &m_loadError);
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
    std::optional<std::string> problem = CheckProgramFiles(m_state.ProgramFolder, m_state.CurrentJob);
    if (!problem && !m_loadError.empty()) {
        problem = m_loadError; // the settings file could not be read when the job was chosen
    }
    if (problem) {
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
                kRunDarkRed);
    } else if (plan.counted) {
        SetText(m_ui->lblInfo,
                QString::fromUtf8(shared::kInputCountPrefix) + QString::number(plan.record_count) +
                    QString::fromUtf8(shared::kCountSuffix),
                palette().color(QPalette::WindowText));
    }
    // A job that cannot run says why (a range never saved or not describing a range, a path that cannot be used,
    // outputs that would replace the log, a log that cannot be opened) and its run button stays disabled.
    if (!plan.stands()) {
        SetText(m_ui->Label6, Q(plan.reason), kRunDarkRed);
        m_ui->cmdDo_job->setEnabled(false);
    } else if (plan.logChanged) {
        // The log no longer holds, where the previous run ended, the record it wrote last: what is new cannot be
        // told without the user (the interactive program warns, zentu_cli asks for --force).
        SetText(m_ui->Label6,
                QString::fromUtf8(shared::kChangedLog) + QString::fromUtf8(shared::kLastEndRecord) +
                    Q(settings.last_end_rec_no),
                kRunDarkRed);
        m_ui->cmdDo_job->setEnabled(false);
    }
    m_ui->Label5->setText(Q(plan.summary));
    if (plan.noNewRecords && !plan.logChanged) {
        SetColour(m_ui->Label5, kRunDarkRed);
        SetText(m_ui->Label6, QString::fromUtf8(texts::kNoNewRecords), kRunDarkRed);
    }
    if (plan.stands() && settings.set_anytime_last == "1") {
        m_ui->Label6->setText(QString::fromUtf8(shared::kAnytimeLast));
    }
    m_ui->Label5->repaint();
    repaintNow();
}

void zentu_arun::runJob() {
    if (m_busy || !m_state.plan.stands() || m_state.plan.logChanged) {
        return; // the button is disabled for such a job; nothing may run with another job's range, or twice
    }
    // From here the program only ends: the run button stays disabled and the exit menu does nothing.
    m_busy = true;
    m_ui->cmdDo_job->setEnabled(false);
    SetText(m_ui->lblMsg, QString::fromUtf8(shared::kBusy), kRunGreen);
    SetText(m_ui->Label7, QString::fromUtf8(shared::kBusyLong), kRunGreen);
    repaintNow();
    if (m_state.plan.noNewRecords) {
        SetText(m_ui->Label7, QString::fromUtf8(texts::kNoData), kRunDarkRed);
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
    // The signature of the record written last is stored as the other programs store it, so that their changed-log
    // check compares the record where this run ended.
    options.storeSignature = true;
    options.saveAllKeys = false;

    const RunResult result = RunFromWindow(m_state.library, m_state.settings,
                                           m_state.plan.runInput(m_state.ProgramFolder, m_state.CurrentJob), options,
                                           m_ui->ProgressBar1, m_ui->lblOutRec);
    if (result.ok) {
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kDone), kRunLightBlue);
        SetText(m_ui->Label7, QString::fromUtf8(texts::kDoneLong), kRunLightBlue);
        // Records left out for want of a valid date-time are told while the window waits.
        if (const std::string leftOut = LeftOutReport(result); !leftOut.empty()) {
            SetText(m_ui->Label6, Q(leftOut), kRunDarkRed);
        }
        repaintNow();
    } else {
        m_ui->ProgressBar1->setValue(0);
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kFailed), kRunDarkRed);
        SetText(m_ui->Label7, Q(result.error), kRunDarkRed);
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
    if (m_busy) {
        return; // a run or its wait is under way, and ends the program itself
    }
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
