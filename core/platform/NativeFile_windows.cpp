#include "platform/NativeFile.h"

#include "platform/WindowsErrors.h"

#include <aclapi.h>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <limits>
#include <new>
#include <windows.h>

namespace zentu {

int ErrnoOfWindowsError(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY: // a drive without a disk
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DEV_NOT_EXIST:
        return ENOENT;
    case ERROR_DIRECTORY: // a file where a folder of the path should be
        return ENOTDIR;
    case ERROR_INVALID_NAME: // a name no file can have ("?", "<" ...), or one too long for a name
    case ERROR_BAD_PATHNAME:
        return EINVAL;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANT_ACCESS_FILE:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295: // ERROR_DISK_QUOTA_EXCEEDED, which mingw's headers lack
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_DRIVE_LOCKED:
    case ERROR_LOCK_FAILED:
    case ERROR_BUSY:
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

namespace {

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(L".") : file.parent_path();
}

} // namespace

int LastSystemError() {
    const DWORD code = ::GetLastError();
    return code != 0 ? ErrnoOfWindowsError(code) : errno;
}

std::FILE* CreateNewCFile(const std::filesystem::path& path) {
    // Others may delete the file while it is open: the handler that removes temporary files when the program is
    // asked to end (TemporaryFiles.h) runs while the file is still being written. The handle is not inherited.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        ::DeleteFileW(path.c_str());
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
        ::_close(fd);
        ::DeleteFileW(path.c_str());
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return file;
}

bool SyncCFile(std::FILE* file) {
    return ::_commit(::_fileno(file)) == 0;
}

void StartWriteBack(std::FILE* /*file*/, std::uint64_t /*from*/, std::uint64_t /*length*/) {
    // Windows writes a file's cached bytes back by itself; FlushFileBuffers would wait, so nothing is asked here.
}

void TakeOverAttributes(std::FILE* file, const std::filesystem::path& model) {
    // What the user set on the file that is replaced stays: its hidden, system, archive and not-indexed marks,
    // and its access rules (those given to the file itself; the ones it takes from its folder, the new file takes
    // too). Its owner becomes this user, as on Linux when the owner cannot be kept. Failures leave the new file
    // as it was made: it can be written and replaced all the same.
    const DWORD attributes = ::GetFileAttributesW(model.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    HANDLE written = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    HANDLE handle = ::ReOpenFile(written, FILE_WRITE_ATTRIBUTES | WRITE_DAC | READ_CONTROL,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(model.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ::GetSecurityDescriptorControl(descriptor, &control, &revision);
        const SECURITY_INFORMATION which =
            DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
        ::SetSecurityInfo(handle, SE_FILE_OBJECT, which, nullptr, nullptr, dacl, nullptr);
        ::LocalFree(descriptor);
    }
    ::CloseHandle(handle);
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

FileReadOutcome ReadRegularFile(const std::filesystem::path& file, const ReadRoom& room, std::size_t& size, int& error,
                                std::uint64_t maxBytes) {
    size = 0;
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
    struct Closer {
        HANDLE handle;
        ~Closer() { ::CloseHandle(handle); }
    } const closer{handle};
    LARGE_INTEGER length{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &length)) {
        return FileReadOutcome::NotRegularFile;
    }
    const std::uint64_t largest = (std::min<std::uint64_t>)(maxBytes, (std::numeric_limits<std::size_t>::max)() - 1);
    if (static_cast<std::uint64_t>(length.QuadPart) > largest) {
        return FileReadOutcome::TooLarge;
    }
    // Room for the size the file has now, and one byte more to see its end (it may grow while it is read).
    const std::uint64_t limit = largest + 1;
    std::size_t capacity = static_cast<std::size_t>(length.QuadPart) + 1;
    try {
        char* buffer = room(capacity);
        while (true) {
            if (size == capacity) {
                if (capacity >= limit) {
                    return FileReadOutcome::TooLarge;
                }
                capacity = static_cast<std::size_t>((std::min<std::uint64_t>)(limit, std::uint64_t{capacity} * 2));
                buffer = room(capacity);
            }
            const DWORD wanted = static_cast<DWORD>((std::min<std::size_t>)(capacity - size, 1 << 30));
            DWORD got = 0;
            if (!::ReadFile(handle, buffer + size, wanted, &got, nullptr)) {
                error = ErrnoOfWindowsError(::GetLastError());
                size = 0;
                return FileReadOutcome::Failed;
            }
            if (got == 0) {
                break;
            }
            size += got;
        }
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        size = 0;
        return FileReadOutcome::Failed;
    }
    return size > largest ? FileReadOutcome::TooLarge : FileReadOutcome::Read;
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
