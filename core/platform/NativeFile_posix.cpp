#include "platform/NativeFile.h"

#include "platform/ErrorText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentu {

std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* CreateNewCFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int reason = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = reason;
    }
    return file;
}

bool SyncCFile(std::FILE* file) {
    return ::fsync(fileno(file)) == 0;
}

void TakeOverAttributes(std::FILE* file, const std::filesystem::path& model) {
    struct stat existing {};
    if (::stat(model.c_str(), &existing) == 0) {
        ::fchmod(fileno(file), existing.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(fileno(file), existing.st_uid, existing.st_gid);
    }
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        reason = SystemReason(errno);
        return false;
    }
    // A failure to sync the folder leaves a complete file either way.
    const auto folder = to.parent_path().empty() ? std::filesystem::path(".") : to.parent_path();
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace zentu
