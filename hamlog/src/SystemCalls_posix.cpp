#include "SystemCalls.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hamlog::detail {

FileHandle OpenRegularFile(const char* path, OpenFor access) {
    if (path == nullptr) {
        errno = ENOENT;
        return kNoFile;
    }
    const int flags = access == OpenFor::Reading ? O_RDONLY : O_RDWR;
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return kNoFile;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return kNoFile;
    }
    return fd;
}

void CloseFile(FileHandle file) {
    if (file != kNoFile) {
        ::close(static_cast<int>(file));
    }
}

long long ReadAt(FileHandle file, void* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(static_cast<int>(file), static_cast<char*>(buffer) + done, size - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

bool WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(static_cast<int>(file), static_cast<const char*>(bytes) + done, size - done,
                                       static_cast<off_t>(offset + done));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            if (wrote == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool FileSize(FileHandle file, std::uint64_t& size) {
    struct stat info {};
    if (::fstat(static_cast<int>(file), &info) != 0) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool SetFileSize(FileHandle file, std::uint64_t size) {
    return ::ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0;
}

void AdviseSequentialReading(FileHandle file) {
    ::posix_fadvise(static_cast<int>(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool FolderEntries(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* entries = ::opendir(folder.empty() ? "." : folder.c_str());
    if (entries == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(entries);
    return true;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string PathText(const std::filesystem::path& path) {
    return path.native();
}

std::FILE* CreateOutputFile(const std::string& path) {
    return std::fopen(path.c_str(), "wbe");
}

bool RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::tm LocalDate(std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

} // namespace hamlog::detail
