#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zentu {

/// The sixteen field texts of one record (index 0 = field 1) as the record library gave them: CP932 bytes, cut at
/// NUL, quotes not doubled. The texts live elsewhere (a record block, an array of strings).
using FieldTexts = std::array<std::string_view, 16>;

/// Views of sixteen texts held in strings.
inline FieldTexts ViewsOf(const std::array<std::string, 16>& fields) {
    FieldTexts views;
    for (std::size_t k = 0; k < views.size(); ++k) {
        views[k] = fields[k];
    }
    return views;
}

} // namespace zentu
