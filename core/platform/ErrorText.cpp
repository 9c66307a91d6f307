#include "platform/ErrorText.h"

#include <system_error>

namespace zentu {

void SetError(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

} // namespace zentu
