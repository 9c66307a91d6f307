#pragma once

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

namespace Ui {
class zentu;
}

class QAction;

namespace zentu {

class Prompts;
class ZentuWindows;
struct JobPlan;
struct JobSettings;
struct ZentuState;

/// The main window: the current job (number, name, messages, status), its log and output file, the record count
/// and the summary of what a run writes; the job menu (select, save, delete), the ways to the settings dialogs and
/// the tools, the run button and the End button.
class zentu : public QMainWindow {
    Q_OBJECT

public:
    zentu(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent = nullptr);
    ~zentu() override;

    /// The load: position, caption, the guide, the current job selected (which opens the two settings dialogs),
    /// the check marks of the job menu, the mode table and the summary.
    void load();

    /// Shows job CurrentJob: its settings, both settings dialogs beside this window, its name, messages and status,
    /// its summary, and the changed-log warning when a new-additions job's log no longer matches its last run.
    void SelectJob();
    /// The summary of the current job (record count, range, run button) and the range dialog's controls.
    void ShowJobSettings();
    /// The name, messages and status of the current job from its registry file.
    void ShowJobRegistry();
    /// The job save of the menu "JOB 保存".
    void saveJob();
    /// The job delete of the menu "JOB 削除", after the user's confirmation.
    void DeleteJob();
    /// The run of the button "Ｊ Ｏ Ｂ 実 行".
    void runJob();
    /// The End button: closes the settings dialogs and saves every window's position, then ends the program.
    void endProgram();

    // What the dialogs change on this window.
    void setJobSaveEnabled(bool enabled);
    void setOutputMenuEnabled(bool enabled);
    /// lblInFile and lblOutFile from the paths in use (display form, full path as tool tip).
    void showPaths();
    /// lblInfo from record_count.
    void showInputCount();
    /// The range dialog's save: the summary of the range just saved.
    void showRangeSummary(const JobPlan& plan);
    /// The not-yet-received QSL list was written: "処理終了" in lblMsg and `report` (lines copied and skipped).
    void showQslListDone(const QString& report);

    /// Acts on a top-level window of this program found by class (TargetClassName, first) or by caption
    /// (TargetCaption): 0 close, 1 bring to the front, 2 restore from minimised, 3 keep on top, 4 minimise.
    void ControlOtherWindow();
    /// Puts this window in front of the others.
    void BringMainWindowToFront();

    std::string TargetClassName;
    std::string TargetCaption;
    int WindowAction = 0;
    std::string WindowNotice;
    std::string OwnCaption;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    /// The plan of the current job: its program files readable, then PlanJob (paths, log, range, outputs).
    JobPlan PlanFor(JobSettings& settings) const;
    /// Shows a plan: the summary, why the job cannot run (Label2), and the run button.
    void showPlan(const JobPlan& plan);
    void selectJobFromMenu(int job);
    void askDeleteJob();
    void openConfig();
    void openRange();
    void showCsv();
    void showAdif();
    void showCheckMarks();
    void repaintRunTexts();
    void clearJobTexts();

    std::unique_ptr<Ui::zentu> m_ui;
    ZentuState& m_state;
    ZentuWindows& m_windows;
    Prompts& m_prompts;
    std::array<QAction*, 10> m_jobActions{}; ///< index 1 to 9
    bool m_running = false;                  ///< a run works; it locks the window until it ends
};

} // namespace zentu
