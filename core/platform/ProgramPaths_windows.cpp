#include "platform/ProgramPaths.h"

#include "codec/Cp932.h"

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
    // The record library's ANSI calls take CP932, the code page of the Japanese Windows that Hamlog runs on,
    // whatever the code page of the system running this program. A path with a character CP932 lacks cannot be
    // handed over: the empty text names no file.
    const codec::Converted cp932 = codec::Utf8ToCp932(Utf8FromPath(path));
    return cp932.ok ? cp932.text : std::string();
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) {
    // The helper files made beside a file (AtomicFile) add up to about 40 characters to its path.
    constexpr std::size_t kHelperRoom = 48;
    const std::wstring& native = path.native();
    if (native.size() + kHelperRoom < MAX_PATH || native.starts_with(L"\\\\?\\") || native.starts_with(L"\\\\.\\")) {
        return path;
    }
    // The extended form is taken as it is written, so the path is first completed the way the system completes a
    // path of the usual form: made absolute, "/" turned into "\\", "." and ".." resolved, trailing dots and
    // blanks of a name dropped.
    const DWORD needed = ::GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(native.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) {
        return full; // a device ("NUL") or a path in the extended form already
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2); // \\server\share\...
    }
    return L"\\\\?\\" + full;
}

bool PathTextsNameOneFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string PathKeyText(const std::filesystem::path& path) {
    std::wstring upper = path.native();
    if (!upper.empty()) {
        ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    }
    return Utf8FromPath(upper);
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
    std::string text = Utf8FromPath(std::filesystem::path(folder).make_preferred());
    if (text.empty() || text.back() != '\\') {
        text += '\\';
    }
    return text;
}

// The Windows program's fixed folder.
std::filesystem::path DefaultHamlogFiles::folder() {
    return std::filesystem::path(L"C:\\Hamlog");
}

} // namespace zentu
