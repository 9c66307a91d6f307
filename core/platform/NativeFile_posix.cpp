#include "platform/NativeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentu {

namespace {

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void SyncFolderOf(const std::filesystem::path& file) {
    // A failure to sync the folder leaves a complete file either way.
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const int folderFd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

/// Closes a file descriptor when it goes.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

} // namespace

int LastSystemError() {
    return errno;
}

std::FILE* CreateNewCFile(const std::filesystem::path& path) {
    const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

void StartWriteBack(std::FILE* file, std::uint64_t from, std::uint64_t length) {
#if defined(__linux__)
    ::sync_file_range(fileno(file), static_cast<off64_t>(from), static_cast<off64_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)from;
    (void)length;
#endif
}

void TakeOverAttributes(std::FILE* file, const std::filesystem::path& model) {
    struct stat existing {};
    if (::stat(model.c_str(), &existing) == 0) {
        ::fchmod(fileno(file), existing.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(fileno(file), existing.st_uid, existing.st_gid);
    }
}

PathKind KindOfPath(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return PathKind::Missing;
    }
    if (S_ISREG(info.st_mode)) {
        return PathKind::RegularFile;
    }
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

FileReadOutcome ReadRegularFile(const std::filesystem::path& file, const ReadRoom& room, std::size_t& size, int& error,
                                std::uint64_t maxBytes) {
    size = 0;
    error = 0;
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer.
    const int fd = OpenRetrying(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return (error == ENOENT || error == ENOTDIR) ? FileReadOutcome::Missing : FileReadOutcome::Failed;
    }
    const FileDescriptor closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return FileReadOutcome::NotRegularFile;
    }
    // A regular file never blocks; clear the flag all the same so reads behave as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return FileReadOutcome::TooLarge;
    }
    // Room for the size the file has now, and one byte more to see its end (it may grow while it is read). Reading
    // stops one byte past the most the caller takes.
    const std::uint64_t limit = maxBytes < std::numeric_limits<std::uint64_t>::max() ? maxBytes + 1 : maxBytes;
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    try {
        char* buffer = room(capacity);
        while (true) {
            if (size == capacity) {
                if (capacity >= limit) {
                    return FileReadOutcome::TooLarge;
                }
                capacity = static_cast<std::size_t>(std::min<std::uint64_t>(limit, std::uint64_t{capacity} * 2));
                buffer = room(capacity);
            }
            const ssize_t got = ::read(fd, buffer + size, capacity - size);
            if (got > 0) {
                size += static_cast<std::size_t>(got);
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                error = errno;
                size = 0;
                return FileReadOutcome::Failed;
            }
        }
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        size = 0;
        return FileReadOutcome::Failed;
    }
    return size > maxBytes ? FileReadOutcome::TooLarge : FileReadOutcome::Read;
}

std::optional<FailureCause> ReplaceProblem(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return FailureCause::IsFolder;
        }
        if (!S_ISREG(info.st_mode)) {
            return FailureCause::NotRegularFile;
        }
        // A file without any write permission was made read-only on purpose, even where the system would let
        // this user (the administrator) write it.
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return FailureCause::ReadOnlyFile;
        }
        if (::access(target.c_str(), W_OK) != 0) {
            return errno == EACCES || errno == EPERM ? FailureCause::ReadOnlyFile : CauseOfErrno(errno);
        }
    } else if (errno != ENOENT) {
        return CauseOfErrno(errno);
    }
    if (::access(FolderOf(target).c_str(), W_OK | X_OK) != 0) {
        return CauseOfErrno(errno);
    }
    return std::nullopt;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    SyncFolderOf(to);
    return true;
}

bool KeepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error) {
    if (::link(file.c_str(), aside.c_str()) == 0) {
        return true;
    }
    if (errno != EPERM && errno != EXDEV && errno != EMLINK && errno != ENOTSUP && errno != EOPNOTSUPP) {
        error = errno;
        return false;
    }
    // A file system without second names (FAT, some network shares): keep a copy instead.
    std::error_code copyError;
    if (!std::filesystem::copy_file(file, aside, std::filesystem::copy_options::none, copyError)) {
        error = copyError.value() != 0 ? copyError.value() : EIO;
        return false;
    }
    return true;
}

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool ProcessMayBeRunning(unsigned long pid) {
    if (pid == 0 || pid > 0x7fffffffUL) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

} // namespace zentu
