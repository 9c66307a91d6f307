#pragma once

namespace zentu {

} // namespace zentu
