#pragma once

// How the log tool hands back why something failed.

#include <cerrno>
#include <cstring>
#include <string>

namespace hamlog {

/// Hands `message` to a caller that asked for the reason of a failure (`error` not null).
inline void SetError(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

/// The system's text for the present errno, for the cause in a message.
inline std::string SystemReason() {
    return std::strerror(errno);
}

} // namespace hamlog
