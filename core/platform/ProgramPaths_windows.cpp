#include "platform/ProgramPaths.h"

#include <cstdlib>
#include <system_error>
#include <windows.h>

namespace zentu {

std::filesystem::path ExecutableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return std::filesystem::current_path();
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2); // the name was cut: try again with more room
    }
    std::error_code error;
    const auto exe = std::filesystem::canonical(name, error);
    return (error ? std::filesystem::path(name) : exe).parent_path();
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string NativePathBytes(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length, nullptr,
                              nullptr);
    }
    return bytes;
}

bool PathTextsNameOneFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string ExecutableSuffix() {
    return ".exe";
}

std::filesystem::path HomeFolder() {
    if (const wchar_t* profile = ::_wgetenv(L"USERPROFILE"); profile != nullptr && *profile != L'\0') {
        return profile;
    }
    return std::filesystem::current_path();
}

std::string FolderWithSeparator(const std::filesystem::path& folder) {
    std::string text = Utf8FromPath(folder);
    if (text.empty() || (text.back() != '\\' && text.back() != '/')) {
        text += '\\';
    }
    return text;
}

namespace {
// The Windows program's fixed folder.
std::filesystem::path HamlogFolder() {
    return std::filesystem::path(L"C:\\Hamlog");
}
} // namespace

std::filesystem::path DefaultHamlogFiles::log() {
    return HamlogFolder() / "Hamlog.hdb";
}
std::filesystem::path DefaultHamlogFiles::outputCsv() {
    return HamlogFolder() / "LOGLIST.CSV";
}
std::filesystem::path DefaultHamlogFiles::qslInput() {
    return HamlogFolder() / "LOGLIST_0.csv";
}
std::filesystem::path DefaultHamlogFiles::qslOutput() {
    return HamlogFolder() / "LOGLIST_not_yet_qsl.csv";
}

} // namespace zentu
