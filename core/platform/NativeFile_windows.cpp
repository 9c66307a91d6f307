#include "platform/NativeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace zentu {

namespace {

/// The errno value that stands for the same cause as a Windows error code.
int ErrnoOfWindowsError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DIRECTORY:
        return EISDIR;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(L".") : file.parent_path();
}

} // namespace

int LastSystemError() {
    const DWORD code = ::GetLastError();
    return code != 0 ? ErrnoOfWindowsError(code) : errno;
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

void StartWriteBack(std::FILE* /*file*/, std::uint64_t /*from*/, std::uint64_t /*length*/) {
    // Windows writes a file's cached bytes back by itself; FlushFileBuffers would wait, so nothing is asked here.
}

void TakeOverAttributes(std::FILE* /*file*/, const std::filesystem::path& /*model*/) {
    // A new file takes the access rules of its folder, as the file it replaces did.
}

PathKind KindOfPath(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::Missing;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return PathKind::Folder;
    }
    // Devices ("NUL", "COM1") and pipes are told apart from disk files by the type of an open handle.
    HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return PathKind::RegularFile; // there, but held by another program: a disk file all the same
    }
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    return type == FILE_TYPE_DISK ? PathKind::RegularFile : PathKind::Other;
}

FileReadOutcome ReadRegularFile(const std::filesystem::path& file, std::string& bytes, int& error) {
    bytes.clear();
    error = 0;
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_ACCESS_DENIED && KindOfPath(file) == PathKind::Folder) {
            error = EISDIR;
            return FileReadOutcome::NotRegularFile;
        }
        error = ErrnoOfWindowsError(code);
        return error == ENOENT ? FileReadOutcome::Missing : FileReadOutcome::Failed;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return FileReadOutcome::NotRegularFile;
    }
    char buffer[65536];
    DWORD got = 0;
    while (true) {
        if (!::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            error = ErrnoOfWindowsError(::GetLastError());
            ::CloseHandle(handle);
            bytes.clear();
            return FileReadOutcome::Failed;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    ::CloseHandle(handle);
    return FileReadOutcome::Read;
}

std::optional<FailureCause> ReplaceProblem(const std::filesystem::path& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return FailureCause::IsFolder;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            return FailureCause::ReadOnlyFile;
        }
        if (KindOfPath(target) == PathKind::Other) {
            return FailureCause::NotRegularFile;
        }
        // A file another program holds open without letting others replace it cannot be renamed over.
        HANDLE handle = ::CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return CauseOfErrno(ErrnoOfWindowsError(::GetLastError()));
        }
        ::CloseHandle(handle);
    } else {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) {
            return CauseOfErrno(ErrnoOfWindowsError(code));
        }
    }
    const DWORD folder = ::GetFileAttributesW(FolderOf(target).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES) {
        return CauseOfErrno(ErrnoOfWindowsError(::GetLastError()));
    }
    if (!(folder & FILE_ATTRIBUTE_DIRECTORY)) {
        return FailureCause::FileMissing;
    }
    return std::nullopt;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ErrnoOfWindowsError(::GetLastError());
        return false;
    }
    return true;
}

bool KeepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error) {
    if (::CreateHardLinkW(aside.c_str(), file.c_str(), nullptr)) {
        return true;
    }
    // FAT and some network shares have no second names: keep a copy instead.
    if (!::CopyFileW(file.c_str(), aside.c_str(), TRUE)) {
        error = ErrnoOfWindowsError(::GetLastError());
        return false;
    }
    return true;
}

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::GetCurrentProcessId());
}

bool ProcessMayBeRunning(unsigned long pid) {
    if (pid == 0) {
        return false;
    }
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return ::GetLastError() == ERROR_ACCESS_DENIED; // there, but not ours to look at
    }
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

} // namespace zentu
