#include "SystemCalls.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace hamlog::detail {

namespace {

int Fd(FileHandle file) {
    return static_cast<int>(file);
}

} // namespace

std::string PathFromCaller(const char* path) {
    return path != nullptr ? std::string(path) : std::string();
}

std::string CallerPath(const std::filesystem::path& path) {
    return path.native();
}

std::string PathText(const std::filesystem::path& path) {
    return path.native();
}

FileHandle OpenRegularFile(const std::string& path, OpenFor access) {
    if (path.empty()) {
        errno = ENOENT;
        return kNoFile;
    }
    // O_NONBLOCK makes the open of a named pipe with no writer return at once instead of waiting for one.
    const int flags = (access == OpenFor::Reading ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
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
    // A regular file: reads and writes block as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void CloseFile(FileHandle file) {
    if (file != kNoFile) {
        ::close(Fd(file));
    }
}

long long ReadAt(FileHandle file, void* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(Fd(file), static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
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
        const ssize_t wrote =
            ::pwrite(Fd(file), static_cast<const char*>(bytes) + done, size - done, static_cast<off_t>(offset + done));
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
    if (::fstat(Fd(file), &info) != 0) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool SetFileSize(FileHandle file, std::uint64_t size) {
    return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0;
}

void AdviseSequentialReading(FileHandle file) {
    ::posix_fadvise(Fd(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

bool LockFile(FileHandle file, LockKind kind, int waitMilliseconds) {
    const int operation = kind == LockKind::Shared ? LOCK_SH : LOCK_EX;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    while (::flock(Fd(file), operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return true; // no locks on this file system
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void UnlockFile(FileHandle file) {
    ::flock(Fd(file), LOCK_UN);
}

bool IsFileAtPath(FileHandle file, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(Fd(file), &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

EntryKind KindAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Unknown;
    }
    if (S_ISREG(info.st_mode)) {
        return EntryKind::RegularFile;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
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

std::FILE* CreateNewFile(const std::string& path) {
    // Mode 0666 less the umask, as any new file.
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
    }
    return file;
}

bool RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CanReplaceOpenFiles() {
    return true;
}

bool MakeHardLink(const std::string& file, const std::string& link) {
    return ::link(file.c_str(), link.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool ProcessMayBeRunning(unsigned long pid) {
    if (pid == 0 || pid > 0x7fffffffUL) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

std::tm LocalDate(std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

} // namespace hamlog::detail
