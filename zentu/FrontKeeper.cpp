#include "FrontKeeper.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace zentu {

FrontKeeper::FrontKeeper(const QList<QWidget*>& front) : QObject(front.first()) {
    for (QWidget* window : front) {
        m_front.append(window);
    }
}

void FrontKeeper::Keep(const QList<QWidget*>& front, const QList<QWidget*>& appearing, int milliseconds) {
    if (front.isEmpty() || front.contains(nullptr)) {
        return;
    }
    auto* keeper = new FrontKeeper(front);
    for (QWidget* window : appearing) {
        if (window == nullptr) {
            continue;
        }
        window->installEventFilter(keeper);
        // The window system tells the native window when it is really on the screen.
        if (QWindow* native = window->windowHandle()) {
            native->installEventFilter(keeper);
        }
    }
    keeper->bringFrontBack();
    QTimer::singleShot(milliseconds, keeper, &QObject::deleteLater);
}

bool FrontKeeper::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::Expose:
    case QEvent::Show:
        // Handled after the window's own handling, once the window manager is done with it.
        QTimer::singleShot(0, this, &FrontKeeper::bringFrontBack);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FrontKeeper::bringFrontBack() {
    QWidget* last = nullptr;
    for (const QPointer<QWidget>& window : m_front) {
        if (window != nullptr && window->isVisible()) {
            window->raise();
            last = window;
        }
    }
    if (last != nullptr) {
        last->activateWindow();
    }
}

} // namespace zentu
