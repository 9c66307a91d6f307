#include "ZentuWindows.h"

#include "JobSession.h"
#include "ToolContext.h"
#include "ZentuHelpers.h"
#include "frmConfig.h"
#include "frmDisp2.h"
#include "frmMode.h"
#include "frmMsg.h"
#include "frmSet_hdb.h"
#include "zentu.h"

#include "convert/QslList.h"
#include "gui/Prompts.h"
#include "platform/ProgramPaths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace zentu {

namespace {

/// Marks a window that was unloaded and waits for its deletion, so that no lookup finds it again.
constexpr char kUnloadedProperty[] = "zentuUnloaded";

bool IsUnloaded(const QWidget* window) {
    return window->property(kUnloadedProperty).toBool();
}

/// Shows a window in front, or beside the window in front without taking the focus.
void ShowWindow(QWidget& window, bool activate) {
    window.setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window.show();
    if (activate) {
        window.raise();
        window.activateWindow();
    }
}

} // namespace

ZentuWindows::ZentuWindows(JobSession& session, Prompts& prompts)
    : m_session(session), m_prompts(prompts), m_end([] { QCoreApplication::exit(0); }) {}

ZentuWindows::~ZentuWindows() {
    // The tools are deleted without closing: nothing they would do on closing (bring the main window back, end the
    // program) may happen now.
    delete m_viewer.data();
    delete m_editor.data();
    m_msg.reset();
    m_range.reset();
    m_config.reset();
    m_main.reset();
    for (const QPointer<QWidget>& window : m_unloaded) {
        delete window.data();
    }
}

void ZentuWindows::setProgramEnd(ProgramEnd end) {
    m_end = std::move(end);
}

void ZentuWindows::endProgram() {
    m_ended = true;
    m_end();
}

template <typename Window> void ZentuWindows::unload(std::unique_ptr<Window>& window) {
    if (!window) {
        return;
    }
    // The window may be unloading itself from one of its own handlers: it is hidden now and deleted once control
    // is back in the event loop.
    Window* leaving = window.release();
    leaving->setProperty(kUnloadedProperty, true);
    leaving->hide();
    m_unloaded.emplace_back(leaving);
    leaving->deleteLater();
    std::erase_if(m_unloaded, [](const QPointer<QWidget>& pending) { return pending.isNull(); });
}

zentu* ZentuWindows::showMainWindow() {
    m_mainClosedForDialog = false;
    if (!m_main) {
        m_main = std::make_unique<zentu>(m_session, *this, m_prompts);
        m_main->load();
        if (m_ended || !m_main) {
            return nullptr;
        }
    }
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
    return m_main.get();
}

void ZentuWindows::unloadMainWindow() {
    unload(m_main);
}

void ZentuWindows::mainWindowClosedForDialog() {
    m_mainClosedForDialog = true;
}

frmConfig* ZentuWindows::showConfig(bool activate) {
    if (!m_config) {
        m_config = std::make_unique<frmConfig>(m_session, *this, m_prompts);
        m_config->load();
    }
    ShowWindow(*m_config, activate);
    return m_config.get();
}

void ZentuWindows::unloadConfig() {
    unload(m_config);
}

frmSet_hdb* ZentuWindows::loadRange() {
    if (!m_range) {
        m_range = std::make_unique<frmSet_hdb>(m_session, *this, m_prompts);
        if (!m_range->load()) {
            unload(m_range);
            return nullptr;
        }
    }
    return m_range.get();
}

frmSet_hdb* ZentuWindows::showRange(bool activate) {
    frmSet_hdb* range = loadRange();
    if (range != nullptr) {
        ShowWindow(*range, activate);
    }
    return range;
}

void ZentuWindows::unloadRange() {
    unload(m_range);
}

frmMsg* ZentuWindows::showMsg() {
    unload(m_msg);
    m_msg = std::make_unique<frmMsg>(m_session, *this, m_prompts);
    m_msg->load();
    m_msg->show();
    m_msg->raise();
    m_msg->activateWindow();
    return m_msg.get();
}

void ZentuWindows::unloadMsg() {
    unload(m_msg);
}

void ZentuWindows::closedByUser(QWidget* window) {
    bool settingsDialog = false;
    if (window == m_main.get()) {
        unload(m_main);
    } else if (window == m_config.get()) {
        unload(m_config);
        settingsDialog = true;
    } else if (window == m_range.get()) {
        unload(m_range);
        settingsDialog = true;
    } else if (window == m_msg.get()) {
        unload(m_msg);
    } else if (window != nullptr && window == m_viewer.data()) {
        m_viewer = nullptr; // it is closing and deletes itself: the next choice opens a new one
    } else {
        return;
    }
    if (m_ended) {
        return;
    }
    // The viewer is still on the screen while it tells that it closes.
    const QList<QWidget*> windows = loadedWindows();
    const bool noneLeft = std::none_of(windows.begin(), windows.end(),
                                       [window](QWidget* left) { return left != window && left->isVisible(); });
    // A settings dialog the main window was closed for brings it back, as its save would, without saving anything;
    // so does any dialog that leaves no window behind while the main window is away for a dialog.
    if (m_mainClosedForDialog && !m_main && (settingsDialog || noneLeft)) {
        showMainWindow();
        return;
    }
    if (noneLeft) {
        endProgram();
    }
}

QList<QWidget*> ZentuWindows::loadedWindows() const {
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) && !IsUnloaded(widget)) {
            windows.append(widget);
        }
    }
    return windows;
}

void ZentuWindows::showModeEditor() {
    if (m_editor) {
        m_editor->raise();
        m_editor->activateWindow();
        return;
    }
    unloadMainWindow();
    // "[ 戻る ]" and the close box both bring the main window back, loaded afresh, unless the program is ending.
    m_editor = frmMode::Open(ToolContext{m_session.ProgramFolder(), m_positions, m_prompts}, [this] {
        m_editor = nullptr; // it is closing and deletes itself: the next "Mode" opens a new one
        if (!m_ended) {
            showMainWindow();
        }
    });
}

frmMode* ZentuWindows::modeEditor() const {
    return m_editor.data();
}

void ZentuWindows::showViewer(const QString& path) {
    if (m_viewer) {
        m_viewer->bringToFront();
        return;
    }
    frmDisp2* viewer =
        frmDisp2::Open(ToolContext{m_session.ProgramFolder(), m_positions, m_prompts}, PathFromUtf8(U(path)));
    m_viewer = viewer;
    QObject::connect(viewer, &frmDisp2::closed, [this, viewer] { closedByUser(viewer); });
}

frmDisp2* ZentuWindows::viewer() const {
    return m_viewer.data();
}

void ZentuWindows::runQslList() {
    const QslListResult result =
        MakeNotYetReceivedQslList(DefaultHamlogFiles::qslInput(), DefaultHamlogFiles::qslOutput());
    if (!result.ok) {
        m_prompts.warn(m_main.get(), Q(result.error));
        return;
    }
    if (m_main) {
        m_main->showQslListDone(Q(QslListReport(result)));
    }
}

} // namespace zentu
