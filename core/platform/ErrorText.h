#pragma once

#include <string>

namespace zentu {

/// Hands `message` to a caller that asked for the reason of a failure (`error` not null).
void SetError(std::string* error, std::string message);

/// The system's text for an errno value (as strerror gives it), for the cause in a message.
std::string SystemReason(int error);

} // namespace zentu
