#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace zentu {

/// A window's normal (restored) placement in twips (1/1440 inch), in this order: Left, Top, Width, Height.
struct WindowRectTwips {
    float Left = 0.0F;
    float Top = 0.0F;
    float Width = 0.0F;
    float Height = 0.0F;
};

/// How many twips one pixel spans, horizontally and vertically.
struct TwipsPerPixel {
    double x = 15.0;
    double y = 15.0;
};

/// 1440 divided by the logical dots per inch of the screen the widget is on (15 at 96 dpi); the primary screen
/// when the widget has none yet, 15 when there is no screen at all.
TwipsPerPixel ScreenTwipsPerPixel(const QWidget& widget);

/// A pixel rectangle in twips: each edge and size times the twips per pixel, as single-precision values.
WindowRectTwips PixelRectToTwips(const QRect& pixels, TwipsPerPixel scale);

/// Twips back to whole pixels (rounded to the nearest), the inverse of PixelRectToTwips.
int TwipsToPixels(double twips, double twipsPerPixel);

/// The widget's normal placement, in pixels: its geometry as it is, or as it will be again when a maximised,
/// full-screen or minimised window is restored.
QRect NormalPixelRect(const QWidget& widget);

/// The normal (restored) position and size of a window in twips, whatever its present state.
WindowRectTwips GetNormalWindowRect(const QWidget& widget);

/// Keeps a window where the user can reach it. `screens` are the available areas of the screens (without task bars),
/// the primary screen first. The window belongs to the screen that holds the middle of its top edge (where its title
/// bar is), else to the screen it overlaps most, else to the primary screen; it is shrunk to that screen's area when
/// it is larger, and moved just far enough to lie wholly inside it. A rectangle already inside one screen's area, or
/// a call without screens, is returned unchanged.
QRect PullOntoScreen(const QRect& rect, const QList<QRect>& screens);

} // namespace zentu
