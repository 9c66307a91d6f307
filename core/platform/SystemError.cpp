#include "platform/SystemError.h"

#include <system_error>

namespace zentu {

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

} // namespace zentu
