#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace zentu {

/// Keeps windows in front while others appear beside them. A window manager may put a window on the screen, and
/// activate it, later than the program showed it: each time one of the new windows comes up or is activated in that
/// while, the windows kept in front are raised again, and the last of them activated. It lets go after a short while,
/// so that the user can then go to any window.
class FrontKeeper : public QObject {
public:
    /// How long a window is kept in front of the windows that appear.
    static constexpr int kKeepMilliseconds = 1500;

    /// Raises `front` (the first lowest) and activates its last window now, and keeps them in front of `appearing`
    /// (shown just before) for `milliseconds`. The keeping ends early when the first of `front` goes.
    static void Keep(const QList<QWidget*>& front, const QList<QWidget*>& appearing,
                     int milliseconds = kKeepMilliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FrontKeeper(const QList<QWidget*>& front);
    void bringFrontBack();

    QList<QPointer<QWidget>> m_front;
};

} // namespace zentu
