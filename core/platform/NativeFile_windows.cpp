#include "platform/NativeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace zentu {

std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wideMode.c_str());
}

std::FILE* CreateNewCFile(const std::filesystem::path& path) {
    const int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
        const int reason = errno;
        ::_close(fd);
        ::_wremove(path.c_str());
        errno = reason;
    }
    return file;
}

bool SyncCFile(std::FILE* file) {
    return ::_commit(::_fileno(file)) == 0;
}

void TakeOverAttributes(std::FILE* /*file*/, const std::filesystem::path& /*model*/) {
    // A new file takes the access rules of its folder, as the file it replaces did.
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason) {
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = "Windows エラー " + std::to_string(::GetLastError());
        return false;
    }
    return true;
}

} // namespace zentu
