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

QRect PullOntoScreen(const QRect& rect, const QList<QRect>& screens, const QRect& available) {
    if (screens.isEmpty() || available.isEmpty() ||
        std::any_of(screens.begin(), screens.end(), [&rect](const QRect& screen) { return screen.intersects(rect); })) {
        return rect;
    }
    // Clamp so the top-left corner stays inside when the window is larger than the area (its title bar must
    // remain reachable).
    const int x = std::max(available.left(), std::min(rect.x(), available.right() + 1 - rect.width()));
    const int y = std::max(available.top(), std::min(rect.y(), available.bottom() + 1 - rect.height()));
    return QRect(QPoint(x, y), rect.size());
}

} // namespace zentu
