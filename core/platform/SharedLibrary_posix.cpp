#include "platform/SharedLibrary.h"

#include "platform/ErrorText.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentu {

namespace {

std::string LoadFailureReason(const std::filesystem::path& file) {
    if (!file.has_parent_path()) {
        return "システムのライブラリの場所に見つかりません"; // a bare name, looked up on the library path
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return SystemReason(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return std::string(CausePhrase(FailureCause::IsFolder));
    }
    if (::access(file.c_str(), R_OK) != 0) {
        return SystemReason(errno);
    }
    return "ライブラリとして読み込めません（形式が違うか、このライブラリが使う別のライブラリがありません）";
}

} // namespace

SharedLibrary::~SharedLibrary() {
    close();
}

std::string SharedLibrary::fileName(std::string_view baseName) {
    return "lib" + std::string(baseName) + ".so";
}

std::vector<std::filesystem::path> SharedLibrary::systemFolders() {
    return {std::filesystem::path()};
}

bool SharedLibrary::open(const std::filesystem::path& file) {
    m_error.clear();
    void* handle = ::dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
        // The loader's own text is English; the cause is told from the file instead.
        ::dlerror();
        m_error = LoadFailureReason(file);
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
