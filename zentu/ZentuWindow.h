#pragma once

#include "gui/RunProgress.h"

#include <QCloseEvent>
#include <QColor>
#include <QPoint>

#include <string_view>

class QWidget;

namespace zentu {

class JobSession;
class Prompts;
class ZentuWindows;

/// The colours the program's windows give their texts (the sixteen-colour palette); those of a run are among them.
inline const QColor kBlack{0, 0, 0};
inline const QColor kLightRed{255, 0, 0};
inline const QColor kBrightGreen{0, 192, 0};
inline const QColor& kGreen = kRunGreen;
inline const QColor& kBlue = kRunLightBlue;
inline const QColor& kDarkRed = kRunDarkRed;

/// Which of the program's windows a window is: where it starts and where its position is kept.
enum class WindowRole { Main, Config, Range, ChangedLog };

/// Where a window starts before a stored position applies: the main window at the left, the two settings dialogs
/// one above the other at its right (beside the main window as it is when it is loaded), the changed-log warning
/// over the main window.
QPoint StartPlace(WindowRole role, const QWidget* mainWindow);

/// The window's section in the window position file; empty for a window whose position is not kept.
std::string_view PositionSection(WindowRole role);

/// Places a window where it starts, then where the user left it, kept on the screen.
void RestoreRolePosition(QWidget& window, WindowRole role, JobSession& session, ZentuWindows& windows);
/// Stores the window's position in the window position store.
void SaveRolePosition(const QWidget& window, WindowRole role, JobSession& session, ZentuWindows& windows);
/// Tells the window owner that the user closed a window from its title bar.
void TellClosedByUser(ZentuWindows& windows, QWidget* window);

/// What the program's windows share: the job session they follow, the window owner that shows the other windows,
/// the message boxes, their place on the screen, and closing from the title bar, which the window owner handles.
template <typename QtWindow> class ZentuWindow : public QtWindow {
public:
    ZentuWindow(JobSession& session, ZentuWindows& windows, Prompts& prompts, WindowRole role,
                Qt::WindowFlags flags = Qt::Window)
        : QtWindow(nullptr, flags), m_session(session), m_windows(windows), m_prompts(prompts), m_role(role) {}

protected:
    JobSession& session() const { return m_session; }
    ZentuWindows& windows() const { return m_windows; }
    Prompts& prompts() const { return m_prompts; }

    /// Where the window starts, then where the user left it.
    void restorePosition() { RestoreRolePosition(*this, m_role, m_session, m_windows); }
    void savePosition() const { SaveRolePosition(*this, m_role, m_session, m_windows); }

    void closeEvent(QCloseEvent* event) override {
        event->accept();
        TellClosedByUser(m_windows, this);
    }

private:
    JobSession& m_session;
    ZentuWindows& m_windows;
    Prompts& m_prompts;
    WindowRole m_role;
};

} // namespace zentu
