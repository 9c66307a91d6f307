#pragma once

class QWidget;

namespace zentu {

class Prompts;

/// What ControlOtherWindow does to a window.
enum class WindowAction {
    Close = 0,
    BringToFront = 1,
    Restore = 2,   ///< from minimised
    KeepOnTop = 3, ///< above every other window
    Minimise = 4,
};

/// Acts on one of the program's own top-level windows. A notice tells when there is no such window (`window` is
/// null), when a window to restore is not minimised, and when a window to minimise already is; the window is then
/// left as it is.
void ControlOtherWindow(QWidget* window, WindowAction action, Prompts& prompts);

} // namespace zentu
