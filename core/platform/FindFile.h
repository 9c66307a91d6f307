#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace zentu {

/// The entry of `folder` named `name` whatever the letter case of its ASCII letters, as a Windows file system finds
/// it: the exact spelling first (whatever stands there), else, of several spellings, the first in name order, so the
/// choice does not depend on the folder's order. Nothing when there is none. The result is `folder` / the entry's
/// own name (only the name when `folder` is empty: the current folder is searched then).
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

} // namespace zentu
