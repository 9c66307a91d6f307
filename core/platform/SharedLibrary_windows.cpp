#include "platform/SharedLibrary.h"

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
        m_error = "Windows エラー " + std::to_string(::GetLastError());
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
