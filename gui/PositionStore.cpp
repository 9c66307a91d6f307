#include "gui/PositionStore.h"

#include "gui/WindowRect.h"
#include "text/NumberText.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <charconv>
#include <optional>

namespace zentu {

namespace {

constexpr Qt::WindowStates kPlacementStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

std::optional<Qt::WindowState> storedState(std::string_view text) {
    if (text == "0") {
        return Qt::WindowNoState;
    }
    if (text == "1") {
        return Qt::WindowMinimized;
    }
    if (text == "2") {
        return Qt::WindowMaximized;
    }
    return std::nullopt;
}

// A stored dimension in twips, when the long-integer test accepts its text; the value keeps its fraction.
std::optional<double> storedTwips(const CIniFile& ini, std::string_view key) {
    const std::string text = ini.Data(key);
    if (!CIniFile::IsLng(text)) {
        return std::nullopt;
    }
    return static_cast<double>(static_cast<float>(*ParseDecimalNumber(text)));
}

// Room for a usual title bar and border, for a window whose frame the window system has not told yet (a window not
// shown so far): a little more than most desktops draw, so that the title bar always lands on the screen.
constexpr QMargins kUsualFrame(4, 30, 4, 4);

// The window's frame around its geometry: the window system's margins once it has them, else the usual ones.
QMargins frameOf(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle(); handle != nullptr && !handle->frameMargins().isNull()) {
        return handle->frameMargins();
    }
    return kUsualFrame;
}

// The window's geometry moved (and shrunk) so that the window with its frame, title bar included, lies on a screen.
QRect pullOntoScreens(const QRect& rect, const QMargins& frame) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return rect;
    }
    QList<QRect> areas{primary->availableGeometry()};
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            areas.append(screen->availableGeometry());
        }
    }
    return PullOntoScreen(rect.marginsAdded(frame), areas).marginsRemoved(frame);
}

} // namespace

CIniFile& PositionStore::Reload(const std::filesystem::path& programFolder) {
    m_file = CIniFile{}; // a fresh model in the same object, so references into it stay valid
    m_file.Load(programFolder / std::string(kPositionFileName));
    m_held = true;
    return m_file;
}

bool PositionStore::SaveAll() {
    if (!m_held) {
        return false;
    }
    const bool saved = m_file.Save();
    m_file = CIniFile{};
    m_held = false;
    return saved;
}

std::string FormatSingle(float value) {
    if (value == 0.0F) {
        return "0"; // also for -0, which a window edge never means
    }
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    std::string text(buffer, error == std::errc() ? end : buffer);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

void SaveWindowPosition(PositionStore& store, const QWidget& window, const std::filesystem::path& programFolder,
                        std::string_view section) {
    CIniFile& ini = store.Reload(programFolder);
    ini.NowSection(section);
    // A minimised window is stored as normal, so that it reopens where it last stood in its normal state.
    ini.Data(kKeyWindowState, !window.isMinimized() && window.isMaximized() ? "2" : "0");
    const WindowRectTwips rect = GetNormalWindowRect(window);
    ini.Data(kKeyLeft, FormatSingle(rect.Left));
    ini.Data(kKeyTop, FormatSingle(rect.Top));
    ini.Data(kKeyWidth, FormatSingle(rect.Width));
    ini.Data(kKeyHeight, FormatSingle(rect.Height));
    ini.Save(section);
}

void RestoreWindowPosition(PositionStore& store, QWidget& window, const std::filesystem::path& programFolder,
                           std::string_view section) {
    CIniFile& ini = store.Reload(programFolder);
    ini.NowSection(section);

    const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
    QRect rect = NormalPixelRect(window);
    bool placed = false;
    // A size below one pixel would leave nothing to see; such a value is skipped like an unusable one.
    if (const auto width = storedTwips(ini, kKeyWidth); width && TwipsToPixels(*width, scale.x) > 0) {
        rect.setWidth(TwipsToPixels(*width, scale.x));
        placed = true;
    }
    if (const auto height = storedTwips(ini, kKeyHeight); height && TwipsToPixels(*height, scale.y) > 0) {
        rect.setHeight(TwipsToPixels(*height, scale.y));
        placed = true;
    }
    if (const auto left = storedTwips(ini, kKeyLeft)) {
        rect.moveLeft(TwipsToPixels(*left, scale.x));
        placed = true;
    }
    if (const auto top = storedTwips(ini, kKeyTop)) {
        rect.moveTop(TwipsToPixels(*top, scale.y));
        placed = true;
    }

    const std::optional<Qt::WindowState> state = storedState(ini.Data(kKeyWindowState));
    const Qt::WindowStates current = window.windowState();
    if (placed) {
        // The stored numbers are the normal placement: apply them in the normal state, so that a window
        // maximised afterwards (by the stored state or by the one it had) restores to them.
        if (current & kPlacementStates) {
            window.setWindowState(current & ~kPlacementStates);
        }
        const QRect placement = pullOntoScreens(rect, frameOf(window));
        window.setGeometry(placement);
        // A hidden widget keeps a new geometry to itself until it is shown, and a window shown maximised never
        // hands it on: tell an already created native window directly, so that it restores to this placement.
        if (!window.isVisible() && window.windowHandle() != nullptr) {
            window.windowHandle()->setGeometry(placement);
        }
        if (!state && (current & kPlacementStates)) {
            window.setWindowState(current);
        }
    }
    if (state) {
        window.setWindowState((window.windowState() & ~kPlacementStates) | *state);
    }
}

void KeepOnScreen(QWidget& window) {
    if (window.windowState() & kPlacementStates) {
        return;
    }
    const QRect placement = pullOntoScreens(window.geometry(), frameOf(window));
    if (placement != window.geometry()) {
        window.setGeometry(placement);
    }
}

} // namespace zentu
