#pragma once

#include "gui/PositionStore.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace zentu {

class JobSession;
class Prompts;
class frmConfig;
class frmDisp2;
class frmMode;
class frmMsg;
class frmSet_hdb;
class zentu;

/// Owns the interactive program's windows and shows, unloads and finds them by role, so that a window asks for
/// another window here instead of knowing how it is made.
///
/// Showing a window that is not loaded builds it afresh and runs its load (its rules may look for other windows
/// meanwhile: the window is found from the start of its load). Unloading hides it and destroys it; the next show
/// builds it again. A window closed from its title bar is unloaded the same way (closedByUser).
///
/// The program ends through endProgram (the main window's End button, the changed-log warning's button, a fatal
/// condition, or the last window closed by the user).
class ZentuWindows {
public:
    using ProgramEnd = std::function<void()>;

    ZentuWindows(JobSession& session, Prompts& prompts);
    ~ZentuWindows();
    ZentuWindows(const ZentuWindows&) = delete;
    ZentuWindows& operator=(const ZentuWindows&) = delete;

    /// Replaces what ending the program does (tests count the ends instead).
    void setProgramEnd(ProgramEnd end);
    /// Ends the program at once; nothing is saved here.
    void endProgram();
    /// Whether endProgram was called (the code that called it must not go on showing windows).
    bool programEnded() const { return m_ended; }

    /// The window position file as the windows last loaded it.
    PositionStore& positions() { return m_positions; }

    /// The main window `zentu`, or nullptr when it is not loaded.
    zentu* mainWindow() const { return m_main.get(); }
    /// Shows the main window, loading it first when it is not loaded; nullptr when its load ended the program.
    zentu* showMainWindow();
    void unloadMainWindow();
    /// The main window's menus 環境設定 and 範囲設定 close it for a dialog: closing that dialog from its title bar
    /// brings the main window back.
    void mainWindowClosedForDialog();

    /// The environment settings dialog, or nullptr when it is not loaded.
    frmConfig* config() const { return m_config.get(); }
    /// Shows the environment settings dialog, loading it first when it is not loaded. With `activate` false it
    /// comes up beside the window in front without taking the focus.
    frmConfig* showConfig(bool activate = true);
    void unloadConfig();

    /// The range settings dialog, or nullptr when it is not loaded.
    frmSet_hdb* range() const { return m_range.get(); }
    /// The range dialog loaded (without being shown when it was not): the main window's summary writes into its
    /// controls. nullptr when its load ended the program.
    frmSet_hdb* loadRange();
    frmSet_hdb* showRange(bool activate = true);
    void unloadRange();

    /// The changed-log warning, loaded afresh for the job just selected.
    frmMsg* msg() const { return m_msg.get(); }
    frmMsg* showMsg();
    void unloadMsg();

    /// A window of this program was closed from its title bar: it is unloaded. When it was a dialog the main window
    /// had been closed for, the main window comes back; when no window is left, the program ends. The output viewer
    /// tells this while it closes itself (it deletes itself afterwards).
    void closedByUser(QWidget* window);

    /// The program's own loaded top-level windows.
    QList<QWidget*> loadedWindows() const;

    // The tools of the main window: the one place where the mode table editor, the output viewer and the
    // not-yet-received QSL list are wired in.

    /// The main window's menu "Mode": unloads the main window and shows the mode table editor, whose back menu and
    /// close box show the main window again (its load reads the table anew).
    void showModeEditor();
    /// The mode table editor while it is open, else nullptr.
    frmMode* modeEditor() const;
    /// The main window's menus "CSV" and "ADIF": shows the output viewer on `path` (an existing file). While a
    /// viewer is open it is only brought to the front: the file is not read again and its caption stays.
    void showViewer(const QString& path);
    /// The output viewer while it is open, else nullptr.
    frmDisp2* viewer() const;
    /// The main window's button "QSL 未受領": writes the list of contacts whose QSL card has not been received
    /// from Hamlog's export, then tells the main window how many lines were copied and skipped; a missing or empty
    /// export is told in a message box naming it.
    void runQslList();

private:
    template <typename Window> void unload(std::unique_ptr<Window>& window);

    JobSession& m_session;
    Prompts& m_prompts;
    PositionStore m_positions;
    ProgramEnd m_end;
    bool m_ended = false;
    bool m_mainClosedForDialog = false;
    std::unique_ptr<zentu> m_main;
    std::unique_ptr<frmConfig> m_config;
    std::unique_ptr<frmSet_hdb> m_range;
    std::unique_ptr<frmMsg> m_msg;
    QPointer<frmMode> m_editor;                ///< deletes itself when closed
    QPointer<frmDisp2> m_viewer;               ///< deletes itself when closed
    std::vector<QPointer<QWidget>> m_unloaded; ///< hidden and waiting for deletion
};

} // namespace zentu
