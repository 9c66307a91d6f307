#include "platform/FindFile.h"

#include "platform/ProgramPaths.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace zentu {

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& folder, std::string_view name) {
    std::error_code error;
    const std::filesystem::path exact = folder / std::string(name);
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) {
        return exact;
    }
    std::optional<std::string> found;
    const std::filesystem::path searched = folder.empty() ? std::filesystem::path(".") : folder;
    for (std::filesystem::directory_iterator it(searched, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = Utf8FromPath(it->path().filename());
        if (SameIgnoringAsciiCase(candidate, name) && (!found || candidate < *found)) {
            found = candidate;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    return folder / PathFromUtf8(*found);
}

} // namespace zentu
