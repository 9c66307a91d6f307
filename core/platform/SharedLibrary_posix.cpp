#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace zentu {

SharedLibrary::~SharedLibrary() {
    close();
}

std::string SharedLibrary::fileName(std::string_view baseName) {
    return "lib" + std::string(baseName) + ".so";
}

bool SharedLibrary::open(const std::filesystem::path& file) {
    m_error.clear();
    void* handle = ::dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
        // Worded as the programs have always reported it (the wording of Qt's QLibrary, which loaded the
        // libraries before), so messages and the scripts that read them stay the same.
        const char* reason = ::dlerror();
        m_error = "Cannot load library " + file.string() + ": " +
                  (reason != nullptr ? "(" + std::string(reason) + ")" : std::string());
        return false;
    }
    close();
    m_handle = handle;
    return true;
}

SharedLibrary::Function SharedLibrary::resolve(const char* name) const {
    return m_handle != nullptr ? reinterpret_cast<Function>(::dlsym(m_handle, name)) : nullptr;
}

void SharedLibrary::close() {
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
        m_handle = nullptr;
    }
}

} // namespace zentu
