#include "gui/WindowRect.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace zentu {

namespace {

constexpr double kTwipsPerInch = 1440.0;

double twipsFor(double dotsPerInch) {
    return dotsPerInch > 0.0 ? kTwipsPerInch / dotsPerInch : 15.0;
}

} // namespace

TwipsPerPixel ScreenTwipsPerPixel(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return {};
    }
    return {twipsFor(screen->logicalDotsPerInchX()), twipsFor(screen->logicalDotsPerInchY())};
}

WindowRectTwips PixelRectToTwips(const QRect& pixels, TwipsPerPixel scale) {
    return {static_cast<float>(pixels.x() * scale.x), static_cast<float>(pixels.y() * scale.y),
            static_cast<float>(pixels.width() * scale.x), static_cast<float>(pixels.height() * scale.y)};
}

int TwipsToPixels(double twips, double twipsPerPixel) {
    const double pixels = std::round(twips / twipsPerPixel);
    // Stored numbers come from a file: keep absurd ones within what a window coordinate can hold.
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(std::clamp(pixels, -kLimit, kLimit));
}

QRect NormalPixelRect(const QWidget& widget) {
    // normalGeometry() is the geometry itself for a normal window and the remembered one for a maximised or
    // full-screen window; it is empty only for a widget that never became a window of its own.
    const QRect normal = widget.normalGeometry();
    return normal.isEmpty() ? widget.geometry() : normal;
}

WindowRectTwips GetNormalWindowRect(const QWidget& widget) {
    return PixelRectToTwips(NormalPixelRect(widget), ScreenTwipsPerPixel(widget));
}

QRect PullOntoScreen(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty()) {
        return rect;
    }
    // The screen of the title bar; failing that the one showing most of the window; failing that the primary one.
    const QPoint titleMiddle(rect.left() + rect.width() / 2, rect.top());
    auto target = std::find_if(screens.begin(), screens.end(),
                               [&titleMiddle](const QRect& screen) { return screen.contains(titleMiddle); });
    if (target == screens.end()) {
        const auto overlap = [&rect](const QRect& screen) {
            const QRect common = screen.intersected(rect);
            return static_cast<long long>(common.width()) * common.height();
        };
        target = std::max_element(screens.begin(), screens.end(),
                                  [&overlap](const QRect& a, const QRect& b) { return overlap(a) < overlap(b); });
        if (overlap(*target) == 0) {
            target = screens.begin();
        }
    }
    const QRect& area = *target;
    const QSize size = rect.size().boundedTo(area.size());
    const int x = std::clamp(rect.x(), area.left(), area.right() + 1 - size.width());
    const int y = std::clamp(rect.y(), area.top(), area.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace zentu
