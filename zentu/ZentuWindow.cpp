#include "ZentuWindow.h"

#include "JobSession.h"
#include "ZentuWindows.h"
#include "zentu.h"

#include "gui/PositionStore.h"

#include <QWidget>

#include <algorithm>

namespace zentu {

namespace {

constexpr QPoint kMainStart{20, 40};
/// The main window's designed width, for dialogs placed before it is loaded.
constexpr int kMainDesignWidth = 680;
/// Room for the window frames between the main window and the dialogs.
constexpr int kGap = 20;
/// From the environment dialog's top to the range dialog's.
constexpr int kRangeBelowConfig = 340;
constexpr QPoint kChangedLogStart{240, 160};

} // namespace

QPoint StartPlace(WindowRole role, const QWidget* mainWindow) {
    switch (role) {
    case WindowRole::Main:
        return kMainStart;
    case WindowRole::ChangedLog:
        return kChangedLogStart;
    case WindowRole::Config:
    case WindowRole::Range:
        break;
    }
    QPoint beside(kMainStart.x() + kMainDesignWidth + kGap, kMainStart.y());
    if (mainWindow != nullptr) {
        // The main window may be wider than designed (its texts decide); it may not be on the screen yet.
        const int width =
            std::max({mainWindow->frameGeometry().width(), mainWindow->width(), mainWindow->minimumSizeHint().width()});
        beside.setX(mainWindow->x() + width + kGap);
    }
    return role == WindowRole::Config ? beside : beside + QPoint(0, kRangeBelowConfig);
}

std::string_view PositionSection(WindowRole role) {
    switch (role) {
    case WindowRole::Main:
        return kPositionZentu;
    case WindowRole::Config:
        return kPositionFrmConfig;
    case WindowRole::Range:
        return kPositionFrmSetHdb;
    case WindowRole::ChangedLog:
        break;
    }
    return {};
}

void RestoreRolePosition(QWidget& window, WindowRole role, JobSession& session, ZentuWindows& windows) {
    const zentu* main = windows.mainWindow();
    window.move(StartPlace(role, main == &window ? nullptr : main));
    if (const std::string_view section = PositionSection(role); !section.empty()) {
        RestoreWindowPosition(windows.positions(), window, session.ProgramFolder(), section);
    }
    KeepOnScreen(window);
}

void SaveRolePosition(const QWidget& window, WindowRole role, JobSession& session, ZentuWindows& windows) {
    if (const std::string_view section = PositionSection(role); !section.empty()) {
        SaveWindowPosition(windows.positions(), window, session.ProgramFolder(), section);
    }
}

void TellClosedByUser(ZentuWindows& windows, QWidget* window) {
    windows.closedByUser(window);
}

} // namespace zentu
