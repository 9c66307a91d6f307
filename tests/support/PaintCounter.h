#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <functional>
#include <utility>

namespace zentu::test {

/// Calls `onPaint` whenever a widget is painted.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* widget, std::function<void()> onPaint) : m_onPaint(std::move(onPaint)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            m_onPaint();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onPaint;
};

} // namespace zentu::test
