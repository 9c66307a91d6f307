#pragma once

#include <string>

namespace zentu {

/// The system's text for an errno value (as strerror gives it), for the cause in a message.
std::string SystemReason(int error);

} // namespace zentu
