#pragma once

#include <string>

class QLabel;

namespace zentu {

/// Makes a label take the width its layout gives it instead of the width of its text, so that a long text never
/// widens its window past the screen: the text is cut at the label's edge, or wrapped when the label wraps.
void KeepLabelFromWideningWindow(QLabel& label);

/// Shows a path in a label that must not widen its window: the path's display form (DisplayPath: shortened with
/// "..." to the last name when it is long), elided in the middle to the label's width whenever the label is resized,
/// and the full path as the tool tip.
void ShowPathInLabel(QLabel& label, const std::string& path);

} // namespace zentu
