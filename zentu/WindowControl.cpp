#include "WindowControl.h"

#include "ZentuTexts.h"

#include "gui/Prompts.h"

#include <QWidget>

namespace zentu {

void ControlOtherWindow(QWidget* window, WindowAction action, Prompts& prompts) {
    namespace texts = zentu_texts;
    const auto notice = [window, &prompts](const char* text) { prompts.notify(window, QString::fromUtf8(text)); };
    if (window == nullptr) {
        notice(texts::kNoSuchWindow);
        return;
    }
    switch (action) {
    case WindowAction::Close:
        window->close();
        break;
    case WindowAction::BringToFront:
        window->raise();
        window->activateWindow();
        break;
    case WindowAction::Restore:
        if (window->isMinimized()) {
            window->showNormal();
        } else {
            notice(texts::kNotMinimised);
        }
        break;
    case WindowAction::KeepOnTop: {
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible) {
            window->show(); // changing a window's flags hides it
        }
        break;
    }
    case WindowAction::Minimise:
        if (!window->isMinimized()) {
            window->showMinimized();
        } else {
            notice(texts::kAlreadyMinimised);
        }
        break;
    }
}

} // namespace zentu
