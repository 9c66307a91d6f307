#include "platform/SharedLibrary.h"

#include "platform/ErrorText.h"
#include "platform/NativeFile.h"

#include <windows.h>

namespace zentu {

SharedLibrary::~SharedLibrary() {
    close();
}

std::string SharedLibrary::fileName(std::string_view baseName) {
    return std::string(baseName) + ".dll";
}

bool SharedLibrary::open(const std::filesystem::path& file) {
    m_error.clear();
    // A path is loaded as it is; a bare name goes through the system's search order for libraries.
    HMODULE handle = ::LoadLibraryW(file.c_str());
    if (handle == nullptr) {
        const DWORD code = ::GetLastError();
        const bool fileIsThere =
            file.has_parent_path() && ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (code == ERROR_BAD_EXE_FORMAT || (code == ERROR_MOD_NOT_FOUND && fileIsThere)) {
            // The file is there: it is no library for this program, or a library it needs is missing.
            m_error = "ライブラリとして読み込めません（形式が違うか、このライブラリが使う別のライブラリがありません）";
        } else {
            m_error = SystemReason(LastSystemError());
        }
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
