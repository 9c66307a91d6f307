#include "zentu.h"

#include "Cp932Input.h"
#include "FrontKeeper.h"
#include "JobSession.h"
#include "ToolTexts.h"
#include "WindowControl.h"
#include "ZentuHelpers.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "frmConfig.h"
#include "frmMsg.h"
#include "frmSet_hdb.h"
#include "ui_zentu.h"

#include "convert/JobFiles.h"
#include "convert/JobTexts.h"
#include "gui/PathLabel.h"
#include "gui/Prompts.h"
#include "gui/RunProgress.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "text/TextHelpers.h"

#include <system_error>
#include <utility>

namespace zentu {

namespace {

namespace texts = zentu_texts;
namespace shared = job_texts;

/// A file exists at the path (relative to the program folder) and its text holds the separator (what the summary asks
/// of a log file).
bool IsUsableFile(const std::filesystem::path& folder, const std::string& path) {
    std::error_code ignored;
    return path.find(kNativeSeparator) != std::string::npos &&
           std::filesystem::is_regular_file(JobFilePath(folder, path), ignored);
}

bool FileExists(const std::filesystem::path& folder, const std::string& path) {
    std::error_code ignored;
    return !IsBlank(path) && std::filesystem::is_regular_file(JobFilePath(folder, path), ignored);
}

} // namespace

zentu::zentu(JobSession& session, ZentuWindows& windows, Prompts& prompts)
    : ZentuWindow(session, windows, prompts, WindowRole::Main), m_ui(std::make_unique<Ui::zentu>()) {
    m_ui->setupUi(this);
    m_jobName = m_ui->Text1;
    m_messages = {m_ui->Text2_0, m_ui->Text2_1, m_ui->Text2_2};
    m_jobNumber = m_ui->Label11_3;
    m_jobNameCaption = m_ui->Label12;
    m_messageCaptions = {m_ui->Label13_0, m_ui->Label13_1, m_ui->Label13_2};
    m_jobStatus = m_ui->Label14;
    m_logFile = m_ui->lblInFile;
    m_outputFile = m_ui->lblOutFile;
    m_inputCount = m_ui->lblInfo;
    m_summary = m_ui->Label3;
    m_notice = m_ui->Label2;
    m_instruction = m_ui->Label1;
    m_runStatus = m_ui->lblMsg;
    m_outputCount = m_ui->lblOutRec;
    m_progress = m_ui->ProgressBar1;
    m_runButton = m_ui->cmdHenkan;
    m_qslButton = m_ui->Command1;
    m_endButton = m_ui->cmdEnd;
    m_jobActions = {nullptr,       m_ui->mnuJob1, m_ui->mnuJob2, m_ui->mnuJob3, m_ui->mnuJob4,
                    m_ui->mnuJob5, m_ui->mnuJob6, m_ui->mnuJob7, m_ui->mnuJob8, m_ui->mnuJob9};
    m_saveJobAction = m_ui->mnuJobSave;
    m_deleteJobAction = m_ui->mnuDelJob;
    m_outputMenu = m_ui->mnuDisp_out;
    m_configAction = m_ui->mnuConfig;
    m_rangeAction = m_ui->mnuSet_hani;

    QFont bold = m_jobStatus->font();
    bold.setBold(true);
    m_jobStatus->setFont(bold);
    SetColour(m_jobStatus, kLightRed);
    SetColour(m_instruction, kDarkRed);
    RefuseTextOutsideCp932(m_jobName, prompts);
    for (QLineEdit* box : m_messages) {
        RefuseTextOutsideCp932(box, prompts);
    }
    m_saveJobAction->setEnabled(false);
    // Reasons and reports name files: they wrap (or are cut) within the window instead of widening it.
    for (QLabel* label : {m_instruction, m_notice, m_summary, m_inputCount}) {
        KeepLabelFromWideningWindow(*label);
    }
    m_notice->setWordWrap(true);

    for (int n = 1; n <= 9; ++n) {
        connect(m_jobActions[static_cast<std::size_t>(n)], &QAction::triggered, this,
                [this, n] { selectJobFromMenu(n); });
    }
    connect(m_saveJobAction, &QAction::triggered, this, &zentu::saveJob);
    connect(m_deleteJobAction, &QAction::triggered, this, &zentu::askDeleteJob);
    connect(m_ui->mnuDisp_CSV, &QAction::triggered, this, &zentu::showCsv);
    connect(m_ui->mnuDisp_ADIF, &QAction::triggered, this, &zentu::showAdif);
    connect(m_configAction, &QAction::triggered, this, &zentu::openConfig);
    connect(m_rangeAction, &QAction::triggered, this, &zentu::openRange);
    connect(m_ui->mnuMode, &QAction::triggered, this, [this] { this->windows().showModeEditor(); });
    connect(m_runButton, &QPushButton::clicked, this, &zentu::runJob);
    connect(m_qslButton, &QPushButton::clicked, this, [this] { this->windows().runQslList(); });
    connect(m_endButton, &QPushButton::clicked, this, &zentu::endProgram);

    connect(&session, &JobSession::changed, this, &zentu::updateActions);
    connect(&session, &JobSession::pathsChanged, this, &zentu::showPaths);
    connect(&session, &JobSession::planChanged, this, &zentu::showPlan);
    connect(&session, &JobSession::countChanged, this, &zentu::showInputCount);
}

zentu::~zentu() = default;

void zentu::load() {
    restorePosition();
    setWindowTitle(QString::fromUtf8(texts::kMainCaptionPrefix) + Q(kZentuVersion) +
                   QString::fromUtf8(texts::kMainCaptionSuffix));
    const std::array<QLabel*, 5> guide = {m_ui->Label10_0, m_ui->Label10_1, m_ui->Label10_2, m_ui->Label10_3,
                                          m_ui->Label10_4};
    for (std::size_t i = 0; i < guide.size(); ++i) {
        guide[i]->setText(QString::fromUtf8(texts::kGuide[i]));
    }
    m_ui->Label11_0->setText(QString::fromUtf8(texts::kJob[0]));
    m_ui->Label11_1->setText(QString::fromUtf8(texts::kJob[1]));
    m_ui->Label11_2->setText(QString::fromUtf8(texts::kJob[2]));

    // The job selected is the current one: job 1 after start-up, the job the user was editing when this window
    // comes back after a dialog's save.
    SelectJob(session().CurrentJob());
    if (windows().programEnded()) {
        return;
    }
    session().reloadModeTable();
}

void zentu::SelectJob(int job) {
    clearJobTexts();
    m_notice->clear();
    windows().unloadConfig();
    windows().unloadRange();
    session().selectJob(job);
    if (const std::string loadError = session().takeLoadError(); !loadError.empty()) {
        prompts().warn(this, Q(loadError));
    }

    // The two settings dialogs of this job come up beside this window, which stays in front.
    QWidget* config = windows().showConfig(false);
    QWidget* range = windows().showRange(false);
    if (windows().programEnded()) {
        return;
    }
    for (QWidget* dialog : {config, range}) {
        if (dialog != nullptr) {
            dialog->repaint();
        }
    }

    m_jobStatus->clear();
    m_jobNumber->setText(QString::number(job));
    m_jobNameCaption->setText(QString::fromUtf8(texts::kJobName).arg(WideDigit(job)));
    for (std::size_t i = 0; i < m_messageCaptions.size(); ++i) {
        m_messageCaptions[i]->setText(
            QString::fromUtf8(texts::kJobMessage).arg(WideDigit(job), QString::fromUtf8(texts::kMessageNumber[i])));
    }
    if (JobRegistry(session().ProgramFolder()).exists(job)) {
        ShowJobRegistry();
    } else {
        SetText(m_jobStatus, QString::fromUtf8(texts::kJobMissing).arg(WideDigit(job)), kLightRed);
    }
    // The summary belongs to the job now selected: neither the summary nor the run of the job shown before stays.
    if (session().JobHasContent()) {
        session().showJobSettings();
        if (auto* rangeDialog = windows().range()) {
            rangeDialog->showJobSettings();
        }
    }
    updateActions();

    // A new-additions job checks that the log still holds, where its last run ended, the record written last.
    if (session().logChangedSinceLastRun()) {
        windows().showMsg();
    }
    BringMainWindowToFront();
}

void zentu::ShowJobRegistry() {
    const int job = session().CurrentJob();
    session().takeSavedFlagsFromRegistry();
    if (!session().JobHasContent()) {
        SetText(m_jobStatus, QString::fromUtf8(texts::kJobEmpty).arg(WideDigit(job)), kLightRed);
        clearJobTexts();
    }
    const JobRegistry registry(session().ProgramFolder());
    const std::optional<std::string> first = registry.readFirstField(job);
    if (first && first->find(JobRegistry::kUnregistered) == std::string::npos) {
        if (const std::optional<JobRegistryEntry> entry = registry.readTrimmed(job)) {
            m_jobName->setText(Q(entry->name));
            m_messages[0]->setText(Q(entry->msg1));
            m_messages[1]->setText(Q(entry->msg2));
            m_messages[2]->setText(Q(entry->msg3));
        }
    }
}

void zentu::updateActions() {
    const JobSession& job = session();
    for (int n = 1; n <= 9; ++n) {
        m_jobActions[static_cast<std::size_t>(n)]->setChecked(job.isRegistered(n));
    }
    m_saveJobAction->setEnabled(!m_running && job.jobSaveAllowed());
    m_deleteJobAction->setEnabled(!m_running && job.JobHasContent());
    m_runButton->setEnabled(!m_running && job.canRun());
    m_configAction->setEnabled(!m_running);
    // Before a summary the range can be set whatever the log; a summary asks for a log to count.
    m_rangeAction->setEnabled(!m_running && (!job.planMade() || IsUsableFile(job.ProgramFolder(), job.shownLogPath())));
    const bool output = FileExists(job.ProgramFolder(), job.settings().set_outcsv_dir) ||
                        FileExists(job.ProgramFolder(), Utf8FromPath(job.adif_path()));
    m_outputMenu->menuAction()->setEnabled(!m_running && output);
}

void zentu::showPlan() {
    const JobPlan& plan = session().plan();
    SetText(m_notice, QString(), kBlack);
    if (plan.counted) {
        showInputCount();
    } else if (plan.refusal == PlanRefusal::LogUnreadable) {
        SetText(m_inputCount, QString::fromUtf8(plan.logMissing ? texts::kLogNotFound : texts::kLogUnreadable),
                kDarkRed);
    }
    m_inputCount->repaint();
    // The summary in green when the job can run as it stands; otherwise the reason below it, and no run.
    SetText(m_summary, Q(plan.summary), plan.stands() ? kGreen : kDarkRed);
    if (!plan.stands()) {
        SetText(m_notice, Q(plan.reason), kDarkRed);
    } else if (plan.noNewRecords) {
        SetColour(m_summary, kDarkRed);
        SetText(m_notice, QString::fromUtf8(shared::kNoNewRecords), kDarkRed);
    } else if (plan.logShorterThanLastRun) {
        // Contacts were deleted since the previous run (the changed-log warning says more). A run goes on after the
        // record written last where it is found; else it would move the bookkeeping past contacts never exported.
        SetColour(m_summary, kDarkRed);
        SetText(m_notice,
                QString::fromUtf8(shared::kChangedLog) +
                    (plan.runAnywayRefused.empty() ? QString::fromUtf8(texts::kLogShorter).arg(plan.record_count)
                                                   : Q(plan.runAnywayRefused)),
                kDarkRed);
    }
    if (plan.stands() && session().settings().set_anytime_last == "1") {
        m_notice->setText(QString::fromUtf8(shared::kAnytimeLast));
    }
    m_summary->repaint();
    SetText(m_instruction, QString::fromUtf8(texts::kInstruction), kDarkRed);
    m_instruction->repaint();
    repaint();
}

void zentu::saveJob() {
    const JobRegistryEntry entry{U(m_jobName->text()), U(m_messages[0]->text()), U(m_messages[1]->text()),
                                 U(m_messages[2]->text())};
    // A text the registry file cannot hold is said as such, before anything changes: the status line stays.
    if (const std::optional<std::string> problem = JobRegistry::checkEntry(entry)) {
        prompts().warn(this, Q(*problem + "。"));
        return;
    }
    std::string error;
    if (!session().registerJob(entry, &error)) {
        prompts().warn(this, Q(error));
        return;
    }
    m_jobStatus->clear();
    SetText(m_notice, QString::fromUtf8(texts::kJobSaved).arg(session().CurrentJob()), kBlack);
}

void zentu::askDeleteJob() {
    const QString wide = WideDigit(session().CurrentJob());
    if (prompts().askYesNo(this, QString::fromUtf8(texts::kDeleteTitle),
                           QString::fromUtf8(texts::kDeleteQuestion).arg(wide))) {
        DeleteJob();
    }
}

void zentu::DeleteJob() {
    const int job = session().CurrentJob();
    clearJobTexts();
    std::string error;
    if (!session().deleteJob(&error)) {
        prompts().warn(this, Q(error));
    }
    SetText(m_jobStatus, QString::fromUtf8(texts::kJobDeleted).arg(WideDigit(job)), kLightRed);
}

void zentu::runJob() {
    if (m_running || !session().canRun()) {
        return; // the button is disabled for such a job; nothing may run with another job's range, or twice
    }
    m_running = true;
    updateActions();
    m_progress->setMinimum(0);
    SetText(m_runStatus, QString::fromUtf8(shared::kBusy), kGreen);
    SetText(m_instruction, QString::fromUtf8(shared::kBusyLong), kGreen);
    repaintRunTexts();

    const RunResult result = session().run(m_progress, m_outputCount);
    m_running = false;
    if (result.ok) {
        SetText(m_runStatus, QString::fromUtf8(texts::kDone), kBlue);
        SetText(m_instruction, QString::fromUtf8(texts::kDoneLong), kBlue);
        if (const std::string leftOut = LeftOutReport(result); !leftOut.empty()) {
            SetText(m_notice, Q(leftOut), kDarkRed);
        }
    } else {
        m_progress->setValue(0);
        SetText(m_runStatus, QString::fromUtf8(texts::kFailed), kDarkRed);
        SetText(m_instruction, Q(result.error), kDarkRed);
    }
    repaintRunTexts();
    updateActions();
    if (!result.ok) {
        prompts().warn(this, Q(result.error));
    }
}

void zentu::endProgram() {
    ZentuWindows& owner = windows();
    for (QWidget* dialog : {static_cast<QWidget*>(owner.config()), static_cast<QWidget*>(owner.range())}) {
        if (dialog != nullptr) {
            SaveRolePosition(*dialog, dialog == owner.config() ? WindowRole::Config : WindowRole::Range, session(),
                             owner);
        }
    }
    owner.unloadConfig();
    owner.unloadRange();
    savePosition();
    owner.positions().SaveAll();
    owner.unloadMainWindow();
    owner.endProgram();
}

void zentu::showPaths() {
    const std::array<std::pair<QLabel*, std::string>, 2> rows = {
        {{m_logFile, session().shownLogPath()}, {m_outputFile, session().shownOutputPath()}}};
    for (const auto& [label, path] : rows) {
        label->setText(Q(DisplayPath(path)));
        label->setToolTip(Q(path));
        label->repaint();
    }
}

void zentu::showInputCount() {
    SetText(m_inputCount,
            QString::fromUtf8(shared::kInputCountPrefix) + QString::number(session().record_count()) +
                QString::fromUtf8(shared::kCountSuffix),
            kBlack);
}

void zentu::showQslListDone(const QString& report) {
    // lblMsg keeps its colour, as it was.
    m_runStatus->setText(QString::fromUtf8(tool_texts::kQslDone));
    SetText(m_notice, report, kBlack);
    repaintRunTexts();
}

void zentu::BringMainWindowToFront() {
    ControlOtherWindow(this, WindowAction::BringToFront, prompts());
    // The warning about a changed log stays above this window; the settings dialogs come up below both, even when
    // the window manager puts them on the screen later than they were shown.
    QList<QWidget*> front{this};
    if (frmMsg* warning = windows().msg()) {
        front.append(warning);
    }
    FrontKeeper::Keep(front, {windows().config(), windows().range()});
}

void zentu::selectJobFromMenu(int job) {
    SelectJob(job);
}

void zentu::openConfig() {
    ZentuWindows& owner = windows();
    owner.mainWindowClosedForDialog();
    owner.unloadMainWindow();
    owner.showConfig();
}

void zentu::openRange() {
    ZentuWindows& owner = windows();
    owner.mainWindowClosedForDialog();
    owner.unloadMainWindow();
    owner.showRange();
}

void zentu::showCsv() {
    const std::string path = Utf8FromPath(JobFilePath(session().ProgramFolder(), session().settings().set_outcsv_dir));
    if (FileExists(session().ProgramFolder(), path)) {
        windows().showViewer(Q(path));
    }
}

void zentu::showAdif() {
    const std::string path = Utf8FromPath(session().adif_path());
    if (FileExists(session().ProgramFolder(), path)) {
        windows().showViewer(Q(path));
    }
}

// Empties the job's name, notes, paths, summary and run texts, as for a job that has none.
void zentu::clearJobTexts() {
    m_jobName->clear();
    for (QLineEdit* box : m_messages) {
        box->clear();
    }
    for (QLabel* label : {m_logFile, m_outputFile, m_summary, m_inputCount, m_outputCount, m_runStatus}) {
        label->clear();
    }
    m_logFile->setToolTip(QString());
    m_outputFile->setToolTip(QString());
}

void zentu::repaintRunTexts() {
    for (QLabel* label : {m_runStatus, m_instruction, m_outputCount, m_notice}) {
        label->repaint();
    }
    repaint();
}

} // namespace zentu
