#pragma once

// For the Windows files of the platform layer only: how a Windows error code (GetLastError) is told as a cause.

namespace zentu {

/// The errno value that stands for the same cause as a Windows error code, so that messages name it with the
/// phrases of ErrorText.h; EIO (a cause without a phrase of its own) for codes that stand for none of them.
int ErrnoOfWindowsError(unsigned long code);

} // namespace zentu
