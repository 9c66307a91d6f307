#include "platform/SharedLibrary.h"

#include "platform/ErrorText.h"
#include "platform/WindowsErrors.h"

#include <mutex>
#include <windows.h>

namespace zentu {

namespace {

std::string LoadFailureReason(const std::filesystem::path& file, DWORD code) {
    if (!file.has_parent_path()) {
        return "プログラムのフォルダーにもシステムのフォルダーにも見つかりません"; // a bare name
    }
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return SystemReason(ErrnoOfWindowsError(::GetLastError()));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::string(CausePhrase(FailureCause::IsFolder));
    }
    switch (code) {
    case ERROR_BAD_EXE_FORMAT:  // not a library, or one for 64-bit programs
    case ERROR_MOD_NOT_FOUND:   // the file is there: a library it uses is missing
    case ERROR_PROC_NOT_FOUND:  // a library it uses lacks a call
    case ERROR_DLL_INIT_FAILED: // it refused to start
        return "ライブラリとして読み込めません（形式が違うか、このライブラリが使う別のライブラリがありません）";
    default:
        return SystemReason(ErrnoOfWindowsError(code));
    }
}

// The search flags of LoadLibraryExW (LOAD_LIBRARY_SEARCH_...) and SetDefaultDllDirectories came with an update
// of Windows 7 (KB2533623) and are in every later Windows. Without them, a library is loaded by its full path with
// the libraries it uses looked for beside it first.
bool SearchFlagsAvailable() {
    static const bool available =
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
    return available;
}

// Once, before the first library is loaded: whatever this process loads later by a bare name (the record library
// may load libraries of its own) is looked for in the program's folder and the system folder, never in the current
// folder or along PATH.
void RestrictDefaultSearch() {
    static std::once_flag once;
    std::call_once(once, [] {
        using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
        const auto set = reinterpret_cast<SetDirectoriesFn>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
        if (set != nullptr) {
            set(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        }
    });
}

HMODULE Load(std::filesystem::path file) {
    RestrictDefaultSearch();
    if (file.has_parent_path() && !file.is_absolute()) {
        std::error_code ignored;
        file = std::filesystem::absolute(file, ignored); // the search flags below take full paths only
    }
    if (!SearchFlagsAvailable()) {
        return file.is_absolute() ? ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                  : ::LoadLibraryW(file.c_str());
    }
    // A path: the libraries it uses come from its own folder or the system folder. A bare name: the program's
    // folder, then the system folder.
    const DWORD search = file.is_absolute() ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                            : LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    return ::LoadLibraryExW(file.make_preferred().c_str(), nullptr, search);
}

} // namespace

std::vector<std::filesystem::path> SharedLibrary::systemFolders() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return {std::filesystem::path(std::wstring(folder, length))};
}

SharedLibrary::~SharedLibrary() {
    close();
}

std::string SharedLibrary::fileName(std::string_view baseName) {
    return std::string(baseName) + ".dll";
}

bool SharedLibrary::open(const std::filesystem::path& file) {
    m_error.clear();
    // A missing library is told in a message, never in a box of the system's.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE handle = Load(file);
    const DWORD code = ::GetLastError();
    ::SetThreadErrorMode(previousMode, nullptr);
    if (handle == nullptr) {
        m_error = LoadFailureReason(file, code);
        return false;
    }
    close();
    m_handle = handle;
    return true;
}

SharedLibrary::Function SharedLibrary::resolve(const char* name) const {
    if (m_handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

void SharedLibrary::close() {
    if (m_handle != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(m_handle));
        m_handle = nullptr;
    }
}

} // namespace zentu
