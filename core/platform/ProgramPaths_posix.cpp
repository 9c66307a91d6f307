#include "platform/ProgramPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace zentu {

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::canonical("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path();
    }
    return exe.parent_path();
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::string NativePathBytes(const std::filesystem::path& path) {
    return path.string();
}

bool PathTextsNameOneFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return a.native() == b.native();
}

std::string PathKeyText(const std::filesystem::path& path) {
    return path.native();
}

std::string ExecutableSuffix() {
    return {};
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return std::filesystem::current_path();
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) {
    return path;
}

std::string FolderWithSeparator(const std::filesystem::path& folder) {
    std::string text = Utf8FromPath(folder);
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::filesystem::path DefaultHamlogFiles::folder() {
    return HomeFolder() / "Hamlog";
}

} // namespace zentu
