#include "zentu.h"

#include "Cp932Input.h"
#include "ToolTexts.h"
#include "ZentuHelpers.h"
#include "ZentuState.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "frmConfig.h"
#include "frmSet_hdb.h"
#include "ui_zentu.h"

#include "convert/ConversionRun.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobTexts.h"
#include "gui/PathLabel.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "gui/RunProgress.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QCloseEvent>

#include <algorithm>
#include <climits>
#include <system_error>
#include <utility>

namespace zentu {

namespace {

namespace texts = zentu_texts;
namespace shared = job_texts;

const QColor kBlack(0, 0, 0);
const QColor kLightRed(255, 0, 0);

/// A file exists at the path (relative to the program folder) and its text holds the separator (what the summary asks
/// of a log or output file).
bool IsUsableFile(const std::filesystem::path& folder, const std::string& path) {
    std::error_code ignored;
    return path.find(kNativeSeparator) != std::string::npos &&
           std::filesystem::is_regular_file(JobFilePath(folder, path), ignored);
}

bool FileExists(const std::filesystem::path& folder, const std::string& path) {
    std::error_code ignored;
    return !TrimBlanks(path).empty() && std::filesystem::is_regular_file(JobFilePath(folder, path), ignored);
}

} // namespace

zentu::zentu(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::zentu>()), m_state(state), m_windows(windows), m_prompts(prompts) {
    m_ui->setupUi(this);
    // Where the window stands until a stored position applies: the main window at the left, the dialogs at its right.
    move(20, 40);
    m_jobActions = {nullptr,       m_ui->mnuJob1, m_ui->mnuJob2, m_ui->mnuJob3, m_ui->mnuJob4,
                    m_ui->mnuJob5, m_ui->mnuJob6, m_ui->mnuJob7, m_ui->mnuJob8, m_ui->mnuJob9};
    QFont bold = m_ui->Label14->font();
    bold.setBold(true);
    m_ui->Label14->setFont(bold);
    SetColour(m_ui->Label14, kLightRed);
    SetColour(m_ui->Label1, kRunDarkRed);
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text2_0, m_ui->Text2_1, m_ui->Text2_2}) {
        RefuseTextOutsideCp932(box, prompts);
    }
    m_ui->mnuJobSave->setEnabled(false);
    // Reasons and reports name files: they wrap (or are cut) within the window instead of widening it.
    for (QLabel* label : {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->lblInfo}) {
        KeepLabelFromWideningWindow(*label);
    }
    m_ui->Label2->setWordWrap(true);

    for (int n = 1; n <= 9; ++n) {
        connect(m_jobActions[static_cast<std::size_t>(n)], &QAction::triggered, this,
                [this, n] { selectJobFromMenu(n); });
    }
    connect(m_ui->mnuJobSave, &QAction::triggered, this, &zentu::saveJob);
    connect(m_ui->mnuDelJob, &QAction::triggered, this, &zentu::askDeleteJob);
    connect(m_ui->mnuDisp_CSV, &QAction::triggered, this, &zentu::showCsv);
    connect(m_ui->mnuDisp_ADIF, &QAction::triggered, this, &zentu::showAdif);
    connect(m_ui->mnuConfig, &QAction::triggered, this, &zentu::openConfig);
    connect(m_ui->mnuSet_hani, &QAction::triggered, this, &zentu::openRange);
    connect(m_ui->mnuMode, &QAction::triggered, this, [this] { m_windows.showModeEditor(); });
    connect(m_ui->cmdHenkan, &QPushButton::clicked, this, &zentu::runJob);
    connect(m_ui->Command1, &QPushButton::clicked, this, [this] { m_windows.runQslList(); });
    connect(m_ui->cmdEnd, &QPushButton::clicked, this, &zentu::endProgram);
}

zentu::~zentu() = default;

void zentu::load() {
    RestoreWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionZentu);
    KeepOnScreen(*this);
    m_state.MainWindowOpen = true;
    const QString caption =
        QString::fromUtf8(texts::kMainCaptionPrefix) + Q(kZentuVersion) + QString::fromUtf8(texts::kMainCaptionSuffix);
    setWindowTitle(caption);
    OwnCaption = U(caption);
    const std::array<QLabel*, 5> guide = {m_ui->Label10_0, m_ui->Label10_1, m_ui->Label10_2, m_ui->Label10_3,
                                          m_ui->Label10_4};
    for (std::size_t i = 0; i < guide.size(); ++i) {
        guide[i]->setText(QString::fromUtf8(texts::kGuide[i]));
    }
    m_ui->Label11_0->setText(QString::fromUtf8(texts::kJob[0]));
    m_ui->Label11_1->setText(QString::fromUtf8(texts::kJob[1]));
    m_ui->Label11_2->setText(QString::fromUtf8(texts::kJob[2]));

    // The job selected is the current one: "1" after start-up, the job the user was editing when this window
    // comes back after a dialog's save.
    m_state.JobHasContent = false;
    SelectJob();
    if (m_windows.programEnded()) {
        return;
    }
    LoadJobSettings(m_state.ProgramFolder, m_state.CurrentJob, m_state.settings);
    m_state.shownLogPath = m_state.settings.set_hdb_dir;
    m_state.shownOutputPath = m_state.settings.set_outcsv_dir;
    showPaths();
    showCheckMarks();

    // The mode table: at most 40 rows; an empty (or, since start-up, removed) table maps no mode.
    m_state.mode_table = ModeTable{};
    if (const auto table = FindFileIgnoringCase(m_state.ProgramFolder, "mode_tbl.csv")) {
        m_state.mode_table.load(*table);
    }
    if (m_state.JobHasContent) {
        ShowJobSettings();
    }
}

void zentu::SelectJob() {
    const int job = m_state.CurrentJob;
    m_ui->Text1->clear();
    for (QLineEdit* box : {m_ui->Text2_0, m_ui->Text2_1, m_ui->Text2_2}) {
        box->clear();
    }
    for (QLabel* label : {m_ui->lblInFile, m_ui->lblOutFile, m_ui->Label2, m_ui->Label3, m_ui->lblInfo, m_ui->lblOutRec,
                          m_ui->lblMsg}) {
        label->clear();
    }
    m_state.ConfigSaved = false;
    m_state.RangeSaved = false;
    m_ui->mnuJobSave->setEnabled(false);
    // Nothing of the job shown before may run: a plan exists only after this job's summary.
    m_state.plan = NoPlan();

    m_windows.unloadConfig();
    m_windows.unloadRange();
    std::string loadError;
    if (!LoadJobSettings(m_state.ProgramFolder, job, m_state.settings, true, &loadError)) {
        m_prompts.warn(this, Q(loadError));
    }
    m_state.shownLogPath = m_state.settings.set_hdb_dir;
    m_state.shownOutputPath = m_state.settings.set_outcsv_dir;
    showPaths();

    if (QWidget* config = m_windows.showConfig()) {
        config->repaint();
    }
    if (QWidget* range = m_windows.showRange()) {
        range->repaint();
    }
    if (m_windows.programEnded()) {
        return;
    }
    BringMainWindowToFront();

    m_ui->Label14->clear();
    m_ui->Label11_3->setText(QString::number(job));
    m_ui->Label12->setText(QString::fromUtf8(texts::kJobName).arg(WideDigit(job)));
    const std::array<QLabel*, 3> messageLabels = {m_ui->Label13_0, m_ui->Label13_1, m_ui->Label13_2};
    for (std::size_t i = 0; i < messageLabels.size(); ++i) {
        messageLabels[i]->setText(
            QString::fromUtf8(texts::kJobMessage).arg(WideDigit(job), QString::fromUtf8(texts::kMessageNumber[i])));
    }
    if (JobRegistry(m_state.ProgramFolder).exists(job)) {
        m_ui->mnuDelJob->setEnabled(true);
        ShowJobRegistry();
    } else {
        SetText(m_ui->Label14, QString::fromUtf8(texts::kJobMissing).arg(WideDigit(job)), kLightRed);
        m_ui->mnuDelJob->setEnabled(false);
        m_state.JobHasContent = false;
    }
    // The summary belongs to the job now selected: refreshed once its registry has been read, so that neither
    // the summary nor the run button of the job shown before stays.
    if (m_state.JobHasContent) {
        ShowJobSettings();
        if (m_windows.programEnded()) {
            return;
        }
    } else {
        m_ui->cmdHenkan->setEnabled(false);
    }

    if (frmSet_hdb* range = m_windows.range()) {
        range->setWindowTitle(QString::fromUtf8(texts::kRangeCaption).arg(WideDigit(job)));
        range->repaint();
    }
    if (frmConfig* config = m_windows.config()) {
        config->setWindowTitle(QString::fromUtf8(texts::kConfigCaption).arg(WideDigit(job)));
        config->repaint();
    }

    // A new-additions job checks that the log still holds, where its last run ended, the record written last (the
    // plan has compared them). A job that never ran (nothing ended anywhere yet) has nothing to check.
    if (m_state.JobHasContent && m_state.plan.stands() && m_state.plan.logChanged) {
        m_state.current_qso_signature = m_state.plan.lastQso.current;
        m_windows.showMsg();
    }
}

void zentu::ShowJobRegistry() {
    const int job = m_state.CurrentJob;
    const JobRegistry registry(m_state.ProgramFolder);
    if (registry.countMarkerLines(job) > 0) {
        SetText(m_ui->Label14, QString::fromUtf8(texts::kJobEmpty).arg(WideDigit(job)), kLightRed);
        m_ui->cmdHenkan->setEnabled(false);
        m_ui->mnuDelJob->setEnabled(false);
        clearJobTexts();
        m_state.JobHasContent = m_state.RangeSaved = m_state.ConfigSaved = false;
    } else {
        m_state.JobHasContent = m_state.RangeSaved = m_state.ConfigSaved = true;
    }
    if (m_state.ConfigSaved && m_state.RangeSaved) {
        m_ui->mnuJobSave->setEnabled(true);
    }
    const std::optional<std::string> first = registry.readFirstField(job);
    if (first && first->find(JobRegistry::kUnregistered) == std::string::npos) {
        if (const std::optional<JobRegistryEntry> entry = registry.readTrimmed(job)) {
            m_ui->Text1->setText(Q(entry->name));
            m_ui->Text2_0->setText(Q(entry->msg1));
            m_ui->Text2_1->setText(Q(entry->msg2));
            m_ui->Text2_2->setText(Q(entry->msg3));
        }
    }
}

void zentu::ShowJobSettings() {
    JobSettings& settings = m_state.settings;
    m_ui->mnuSet_hani->setEnabled(IsUsableFile(m_state.ProgramFolder, m_state.shownLogPath));
    setOutputMenuEnabled(IsUsableFile(m_state.ProgramFolder, m_state.shownOutputPath));

    // A range that was never saved (or a flag no option stands for) is what the range dialog opens on for it: all
    // records, and the summary says so. Nothing of the job shown before is borrowed; the job runs only once its
    // range is saved.
    JobSettings stored;
    LoadJobSettings(m_state.ProgramFolder, m_state.CurrentJob, stored, false);
    const std::optional<RangeFlagProblem> storedFlag = CheckRangeFlag(stored.select_flag);
    if (!RangeModeFromFlag(settings.select_flag)) {
        settings.select_flag = std::string(FlagOfRangeMode(RangeMode::All));
    }
    JobPlan plan = PlanFor(settings);
    if (plan.stands() && storedFlag) {
        plan.refusal = storedFlag->refusal;
        plan.reason = storedFlag->reason;
    }
    if (plan.counted) {
        m_state.record_count = plan.record_count;
        showInputCount();
    } else if (plan.refusal == PlanRefusal::LogUnreadable) {
        SetText(m_ui->lblInfo, QString::fromUtf8(plan.logMissing ? texts::kLogNotFound : texts::kLogUnreadable),
                kRunDarkRed);
    }
    m_ui->lblInfo->repaint();
    showPlan(plan);
    if (plan.stands() && settings.set_anytime_last == "1") {
        m_ui->Label2->setText(QString::fromUtf8(shared::kAnytimeLast));
    }
    m_ui->Label3->repaint();
    SetText(m_ui->Label1, QString::fromUtf8(texts::kInstruction), kRunDarkRed);
    m_ui->Label1->repaint();
    repaint();

    if (frmSet_hdb* range = m_windows.loadRange()) {
        range->showJobSettings();
    }
}

JobPlan zentu::PlanFor(JobSettings& settings) const {
    if (auto problem = CheckProgramFiles(m_state.ProgramFolder, m_state.CurrentJob)) {
        JobPlan refused;
        refused.refusal = PlanRefusal::BadPaths;
        refused.reason = std::move(*problem);
        return refused;
    }
    return PlanJob(m_state.library, settings, PlanOptions{.programFolder = m_state.ProgramFolder});
}

void zentu::showPlan(const JobPlan& plan) {
    m_state.plan = plan;
    SetColour(m_ui->Label2, kBlack);
    m_ui->Label2->clear();
    if (!plan.summary.empty()) {
        m_state.RangeMode = plan.mode;
        m_state.new_start_rec_no = plan.new_start_rec_no;
    }
    // The summary in green when the job can run as it stands; otherwise the reason below it, and no run.
    SetText(m_ui->Label3, Q(plan.summary), plan.stands() ? kRunGreen : kRunDarkRed);
    m_ui->cmdHenkan->setEnabled(plan.canRun());
    if (!plan.stands()) {
        SetText(m_ui->Label2, Q(plan.reason), kRunDarkRed);
    } else if (plan.noNewRecords) {
        SetColour(m_ui->Label3, kRunDarkRed);
        SetText(m_ui->Label2, QString::fromUtf8(shared::kNoNewRecords), kRunDarkRed);
    } else if (plan.logShorterThanLastRun) {
        // Contacts were deleted since the previous run (the changed-log warning says more). A run goes on after the
        // record written last where it is found; else it would move the bookkeeping past contacts never exported.
        SetColour(m_ui->Label3, kRunDarkRed);
        SetText(m_ui->Label2,
                QString::fromUtf8(shared::kChangedLog) +
                    (plan.runAnywayRefused.empty() ? QString::fromUtf8(texts::kLogShorter).arg(plan.record_count)
                                                   : Q(plan.runAnywayRefused)),
                kRunDarkRed);
    }
}

void zentu::saveJob() {
    const int job = m_state.CurrentJob;
    m_ui->Label2->clear();
    m_ui->Label14->clear();
    const JobRegistry registry(m_state.ProgramFolder);
    const JobRegistryEntry entry{U(m_ui->Text1->text()), U(m_ui->Text2_0->text()), U(m_ui->Text2_1->text()),
                                 U(m_ui->Text2_2->text())};
    std::string error;
    if (!registry.writeRegisteredJob(job, entry, &error)) {
        m_prompts.warn(this, Q(error));
        return;
    }
    // A blank name leaves the slot empty: its check mark stays off.
    m_jobActions[static_cast<std::size_t>(job)]->setChecked(registry.isRegistered(job));
    m_ui->mnuDelJob->setEnabled(true);
    SetText(m_ui->Label2, QString::fromUtf8(texts::kJobSaved).arg(job), kBlack);
}

void zentu::askDeleteJob() {
    const QString wide = WideDigit(m_state.CurrentJob);
    if (m_prompts.askYesNo(this, QString::fromUtf8(texts::kDeleteTitle),
                           QString::fromUtf8(texts::kDeleteQuestion).arg(wide))) {
        DeleteJob();
    }
}

void zentu::DeleteJob() {
    const int job = m_state.CurrentJob;
    const JobRegistry registry(m_state.ProgramFolder);
    std::error_code ignored;
    std::filesystem::remove(registry.path(job), ignored);
    clearJobTexts();
    std::string error;
    if (!registry.writeEmptySlot(job, &error)) {
        m_prompts.warn(this, Q(error));
    }
    m_jobActions[static_cast<std::size_t>(job)]->setChecked(false);
    m_ui->mnuJobSave->setEnabled(false);
    SetText(m_ui->Label14, QString::fromUtf8(texts::kJobDeleted).arg(WideDigit(job)), kLightRed);
}

void zentu::runJob() {
    if (m_running || !m_state.plan.canRun()) {
        return; // the button is disabled for such a job; nothing may run with another job's range, or twice
    }
    m_running = true;
    for (QAction* action : {m_ui->mnuConfig, m_ui->mnuSet_hani, m_ui->mnuDisp_out->menuAction()}) {
        action->setEnabled(false);
    }
    m_ui->cmdHenkan->setEnabled(false);
    m_ui->ProgressBar1->setMinimum(0);
    SetText(m_ui->lblMsg, QString::fromUtf8(shared::kBusy), kRunGreen);
    SetText(m_ui->Label1, QString::fromUtf8(shared::kBusyLong), kRunGreen);
    repaintRunTexts();

    RunOptions options;
    options.versionText = kZentuVersion;
    options.modeTable = &m_state.mode_table;
    options.storeSignature = true;
    options.saveAllKeys = true;
    const RunResult result = RunFromWindow(m_state.library, m_state.settings,
                                           m_state.plan.runInput(m_state.ProgramFolder, m_state.CurrentJob), options,
                                           m_ui->ProgressBar1, m_ui->lblOutRec);
    m_running = false;
    if (result.ok) {
        if (!result.adifPath.empty()) {
            m_state.adif_path = result.adifPath;
        }
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kDone), kRunLightBlue);
        SetText(m_ui->Label1, QString::fromUtf8(texts::kDoneLong), kRunLightBlue);
        if (const std::string leftOut = LeftOutReport(result); !leftOut.empty()) {
            SetText(m_ui->Label2, Q(leftOut), kRunDarkRed);
        }
    } else {
        m_ui->ProgressBar1->setValue(0);
        SetText(m_ui->lblMsg, QString::fromUtf8(texts::kFailed), kRunDarkRed);
        SetText(m_ui->Label1, Q(result.error), kRunDarkRed);
    }
    repaintRunTexts();
    m_ui->cmdHenkan->setEnabled(true);
    for (QAction* action : {m_ui->mnuConfig, m_ui->mnuSet_hani, m_ui->mnuDisp_out->menuAction()}) {
        action->setEnabled(true);
    }
    if (!result.ok) {
        m_prompts.warn(this, Q(result.error));
    }
}

void zentu::endProgram() {
    ZentuState& state = m_state;
    ZentuWindows& windows = m_windows;
    state.MainWindowOpen = false;
    if (state.ConfigOpened) {
        state.ConfigOpened = false;
        if (frmConfig* config = windows.config()) {
            SaveWindowPosition(state.positions, *config, state.ProgramFolder, kPositionFrmConfig);
            windows.unloadConfig();
        }
    }
    if (state.RangeOpened) {
        state.RangeOpened = false;
        if (frmSet_hdb* range = windows.range()) {
            SaveWindowPosition(state.positions, *range, state.ProgramFolder, kPositionFrmSetHdb);
            windows.unloadRange();
        }
    }
    SaveWindowPosition(state.positions, *this, state.ProgramFolder, kPositionZentu);
    state.positions.SaveAll();
    windows.unloadMainWindow();
    windows.endProgram();
}

void zentu::setJobSaveEnabled(bool enabled) {
    m_ui->mnuJobSave->setEnabled(enabled);
}

void zentu::setOutputMenuEnabled(bool enabled) {
    m_ui->mnuDisp_out->menuAction()->setEnabled(enabled);
}

void zentu::showPaths() {
    const std::array<std::pair<QLabel*, const std::string*>, 2> rows = {
        {{m_ui->lblInFile, &m_state.shownLogPath}, {m_ui->lblOutFile, &m_state.shownOutputPath}}};
    for (const auto& [label, path] : rows) {
        label->setText(Q(DisplayPath(*path)));
        label->setToolTip(Q(*path));
        label->repaint();
    }
}

void zentu::showInputCount() {
    SetText(m_ui->lblInfo,
            QString::fromUtf8(shared::kInputCountPrefix) + QString::number(m_state.record_count) +
                QString::fromUtf8(shared::kCountSuffix),
            kBlack);
}

void zentu::showRangeSummary(const JobPlan& plan) {
    showPlan(plan);
    m_ui->Label3->repaint();
}

void zentu::showQslListDone(const QString& report) {
    // lblMsg keeps its colour, as it was.
    m_ui->lblMsg->setText(QString::fromUtf8(tool_texts::kQslDone));
    SetText(m_ui->Label2, report, kBlack);
    repaintRunTexts();
}

void zentu::ControlOtherWindow() {
    QWidget* target = nullptr;
    const auto find = [this](auto matches) -> QWidget* {
        const QList<QWidget*> windows = m_windows.loadedWindows();
        const auto found = std::find_if(windows.begin(), windows.end(), matches);
        return found == windows.end() ? nullptr : *found;
    };
    if (!TargetClassName.empty()) {
        const QString wanted = Q(TargetClassName);
        target = find([&wanted](QWidget* window) {
            const QString name = QString::fromUtf8(window->metaObject()->className());
            return name == wanted || name.section(QStringLiteral("::"), -1) == wanted;
        });
        if (target == nullptr) {
            WindowNotice = texts::kNoSuchClass;
            m_prompts.notify(this, Q(WindowNotice));
            return;
        }
    } else if (!TargetCaption.empty()) {
        const QString wanted = Q(TargetCaption);
        target = find([&wanted](QWidget* window) { return window->windowTitle() == wanted; });
        if (target == nullptr) {
            WindowNotice = texts::kNoSuchCaption;
            m_prompts.notify(this, Q(WindowNotice));
            return;
        }
    } else {
        return;
    }

    const auto notice = [this](const char* text) {
        WindowNotice = text;
        m_prompts.notify(this, Q(WindowNotice));
    };
    switch (WindowAction) {
    case 0:
        target->close();
        break;
    case 1:
        target->raise();
        target->activateWindow();
        break;
    case 2:
        if (target->isMinimized()) {
            target->showNormal();
        } else {
            notice(texts::kNotMinimised);
        }
        break;
    case 3: {
        const bool visible = target->isVisible();
        target->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible) {
            target->show(); // changing a window's flags hides it
        }
        break;
    }
    case 4:
        if (!target->isMinimized()) {
            target->showMinimized();
        } else {
            notice(texts::kAlreadyMinimised);
        }
        break;
    default:
        break;
    }
}

void zentu::BringMainWindowToFront() {
    WindowAction = 1;
    if (!OwnCaption.empty()) {
        TargetCaption = OwnCaption;
        ControlOtherWindow();
        TargetCaption.clear();
    }
}

void zentu::closeEvent(QCloseEvent* event) {
    event->accept();
    m_windows.closedByUser(this);
}

void zentu::selectJobFromMenu(int job) {
    m_state.CurrentJob = job;
    SelectJob();
}

void zentu::openConfig() {
    ZentuWindows& windows = m_windows;
    windows.mainWindowClosedForDialog();
    windows.unloadMainWindow();
    windows.showConfig();
}

void zentu::openRange() {
    ZentuWindows& windows = m_windows;
    windows.mainWindowClosedForDialog();
    windows.unloadMainWindow();
    windows.showRange();
}

void zentu::showCsv() {
    const std::string path = Utf8FromPath(JobFilePath(m_state.ProgramFolder, m_state.settings.set_outcsv_dir));
    if (FileExists(m_state.ProgramFolder, path)) {
        m_windows.showViewer(Q(path));
    }
}

void zentu::showAdif() {
    const std::string path = Utf8FromPath(m_state.adif_path);
    if (FileExists(m_state.ProgramFolder, path)) {
        m_windows.showViewer(Q(path));
    }
}

void zentu::showCheckMarks() {
    const JobRegistry registry(m_state.ProgramFolder);
    for (int n = 1; n <= 9; ++n) {
        m_jobActions[static_cast<std::size_t>(n)]->setChecked(registry.isRegistered(n));
    }
}

// Empties the job's name, notes, paths, summary and run texts, as for a job that has none.
void zentu::clearJobTexts() {
    m_ui->Text1->clear();
    for (QLineEdit* box : {m_ui->Text2_0, m_ui->Text2_1, m_ui->Text2_2}) {
        box->clear();
    }
    for (QLabel* label :
         {m_ui->lblInFile, m_ui->lblOutFile, m_ui->Label3, m_ui->lblInfo, m_ui->lblOutRec, m_ui->lblMsg}) {
        label->clear();
    }
    m_ui->lblInFile->setToolTip(QString());
    m_ui->lblOutFile->setToolTip(QString());
}

void zentu::repaintRunTexts() {
    for (QLabel* label : {m_ui->lblMsg, m_ui->Label1, m_ui->lblOutRec, m_ui->Label2}) {
        label->repaint();
    }
    repaint();
}

} // namespace zentu
