#pragma once

#include "settings/CIniFile.h"

#include <filesystem>
#include <string>
#include <string_view>

class QWidget;

namespace zentu {

/// The window position file in the program folder, shared by both programs.
inline constexpr std::string_view kPositionFileName = "zentu_posi.ini";

/// The section of each window in the position file: "Position_" followed by the window's name.
inline constexpr std::string_view kPositionZentu = "Position_zentu";
inline constexpr std::string_view kPositionFrmConfig = "Position_frmConfig";
inline constexpr std::string_view kPositionFrmDisp2 = "Position_frmDisp2";
inline constexpr std::string_view kPositionFrmSetHdb = "Position_frmSet_hdb";
inline constexpr std::string_view kPositionFrmMode = "Position_frmMode";
inline constexpr std::string_view kPositionZentuArun = "Position_zentu_arun";

/// The keys of a window's section, in the order a save writes them.
inline constexpr std::string_view kKeyWindowState = "WindowState";
inline constexpr std::string_view kKeyLeft = "Left";
inline constexpr std::string_view kKeyTop = "Top";
inline constexpr std::string_view kKeyWidth = "Width";
inline constexpr std::string_view kKeyHeight = "Height";

/// The position file as the most recent save or restore of a window loaded it (one per program, owned by the
/// program's state). Every SaveWindowPosition and RestoreWindowPosition replaces its content with a fresh load; a
/// window on its way out then writes it whole with SaveAll.
///
/// The store keeps one CIniFile for its whole life and loads into it in place, so a reference to the file (or to
/// its Sections() and Keys() lists) never dangles: after a later reload it shows the reloaded file.
class PositionStore {
public:
    /// Replaces the held content by a fresh load of programFolder/zentu_posi.ini and returns the file.
    CIniFile& Reload(const std::filesystem::path& programFolder);

    /// Writes every section of the held file (CIniFile::Save with an empty name) and releases it. False when
    /// nothing is held or a write failed; callers need not look at the result.
    bool SaveAll();

    /// The held file, or nullptr when there is none (before the first routine, after SaveAll).
    CIniFile* file() { return m_held ? &m_file : nullptr; }
    const CIniFile* file() const { return m_held ? &m_file : nullptr; }

private:
    CIniFile m_file;
    bool m_held = false;
};

/// A single-precision number as the position file stores it: at most seven significant digits, whole numbers
/// without a decimal point ("1500", "1234.5", "1.234568E+08").
std::string FormatSingle(float value);

/// Stores the window's state ("2" maximised, otherwise "0") and its normal placement in twips under `section`
/// of the position file, after any other keys of that section. The store is reloaded first; a failed write is
/// not reported.
void SaveWindowPosition(PositionStore& store, const QWidget& window, const std::filesystem::path& programFolder,
                        std::string_view section);

/// Applies what `section` of the position file holds: each of Width, Height, Left, Top that the long-integer test
/// accepts (twips, rounded to pixels only here), the placement kept wholly on one screen with its frame and title bar
/// (PullOntoScreen: shrunk to the screen's area, moved onto it; a window not shown yet counts a usual frame), then
/// WindowState when it is exactly "0", "1" or "2". The sizes become
/// the normal placement, so a maximised window later restores to them. Missing or unusable values leave that part of
/// the window as it is. Call it while the window loads, before it is first shown: a window already on screen may report
/// its old normal placement for a moment after the change.
void RestoreWindowPosition(PositionStore& store, QWidget& window, const std::filesystem::path& programFolder,
                           std::string_view section);

/// Keeps a window's present placement, frame and title bar included, wholly on one screen (PullOntoScreen), for a
/// window whose designed place may lie beyond a small screen. A maximised or minimised window is left as it is.
void KeepOnScreen(QWidget& window);

} // namespace zentu
