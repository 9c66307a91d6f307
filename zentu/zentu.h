#pragma once

#include "ZentuWindow.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

namespace Ui {
class zentu;
}

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace zentu {

/// The main window: the current job (number, name, messages, status), its log and output file, the record count
/// and the summary of what a run writes; the job menu (select, save, delete), the ways to the settings dialogs and
/// the tools, the run button and the End button. What is enabled and ticked follows the job session
/// (updateActions).
class zentu : public ZentuWindow<QMainWindow> {
    Q_OBJECT

public:
    zentu(JobSession& session, ZentuWindows& windows, Prompts& prompts);
    ~zentu() override;

    /// The load: position, caption, the guide, the current job selected (which opens the two settings dialogs),
    /// the mode table and the summary.
    void load();

    /// Shows job `job`: its settings, both settings dialogs beside this window (which ends in front), its
    /// name, messages and status, its summary, and the changed-log warning when a new-additions job's log no longer
    /// matches its last run.
    void SelectJob(int job);
    /// The job save of the menu "JOB 保存".
    void saveJob();
    /// The job delete of the menu "JOB 削除", after the user's confirmation.
    void DeleteJob();
    /// The run of the button "Ｊ Ｏ Ｂ 実 行".
    void runJob();
    /// The End button: closes the settings dialogs and saves every window's position, then ends the program.
    void endProgram();
    /// The not-yet-received QSL list was written: "処理終了" in lblMsg and `report` (lines copied and skipped).
    void showQslListDone(const QString& report);

    /// Puts this window in front of the others, and keeps it there while the dialogs just shown come up.
    void BringMainWindowToFront();

private:
    /// Decides, from the job session, what the menus and buttons allow and which jobs carry a tick.
    void updateActions();
    /// The name, messages and status of the current job from its registry file.
    void ShowJobRegistry();
    /// The summary of the job shown: the range, why the job cannot run, the record count.
    void showPlan();
    /// lblInFile and lblOutFile from the paths in use (display form, full path as tool tip).
    void showPaths();
    /// lblInfo from the record count.
    void showInputCount();
    void selectJobFromMenu(int job);
    void askDeleteJob();
    void openConfig();
    void openRange();
    void showCsv();
    void showAdif();
    void clearJobTexts();
    void repaintRunTexts();

    std::unique_ptr<Ui::zentu> m_ui;
    // The controls by what they do (their objectNames are the names the windows have always had).
    QLineEdit* m_jobName = nullptr;             ///< Text1
    std::array<QLineEdit*, 3> m_messages{};     ///< Text2_0 .. Text2_2
    QLabel* m_jobNumber = nullptr;              ///< Label11_3
    QLabel* m_jobNameCaption = nullptr;         ///< Label12
    std::array<QLabel*, 3> m_messageCaptions{}; ///< Label13_0 .. Label13_2
    QLabel* m_jobStatus = nullptr;              ///< Label14
    QLabel* m_logFile = nullptr;                ///< lblInFile
    QLabel* m_outputFile = nullptr;             ///< lblOutFile
    QLabel* m_inputCount = nullptr;             ///< lblInfo
    QLabel* m_summary = nullptr;                ///< Label3
    QLabel* m_notice = nullptr;                 ///< Label2
    QLabel* m_instruction = nullptr;            ///< Label1
    QLabel* m_runStatus = nullptr;              ///< lblMsg
    QLabel* m_outputCount = nullptr;            ///< lblOutRec
    QProgressBar* m_progress = nullptr;         ///< ProgressBar1
    QPushButton* m_runButton = nullptr;         ///< cmdHenkan
    QPushButton* m_qslButton = nullptr;         ///< Command1
    QPushButton* m_endButton = nullptr;         ///< cmdEnd
    std::array<QAction*, 10> m_jobActions{};    ///< mnuJob1 .. mnuJob9, index 1 to 9
    QAction* m_saveJobAction = nullptr;         ///< mnuJobSave
    QAction* m_deleteJobAction = nullptr;       ///< mnuDelJob
    QMenu* m_outputMenu = nullptr;              ///< mnuDisp_out
    QAction* m_configAction = nullptr;          ///< mnuConfig
    QAction* m_rangeAction = nullptr;           ///< mnuSet_hani
    bool m_running = false;                     ///< a run works; it locks the window until it ends
};

} // namespace zentu
