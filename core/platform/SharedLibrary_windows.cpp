#include "platform/SharedLibrary.h"

#include "platform/ErrorText.h"
#include "platform/WindowsErrors.h"

#include <windows.h>

namespace zentu {

namespace {

std::string LoadFailureReason(const std::filesystem::path& file, DWORD code) {
    if (!file.has_parent_path()) {
        return "システムのライブラリの場所に見つかりません"; // a bare name, looked up by the system's search
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

} // namespace

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
    // A path is loaded as it is, and the libraries it uses are looked for beside it first; a bare name goes through
    // the system's search order for libraries.
    HMODULE handle = file.is_absolute() ? ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                        : ::LoadLibraryW(file.c_str());
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
