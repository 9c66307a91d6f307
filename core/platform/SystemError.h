#pragma once

#include <string>

namespace zentu {

/// The cause of a failed file operation in the program's language, from the system's error number (errno). Common
/// causes have their own sentence; any other reads "システムエラー N".
std::string SystemErrorText(int error);

} // namespace zentu
