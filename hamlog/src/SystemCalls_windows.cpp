#include "SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <io.h>
#include <thread>
#include <windows.h>

namespace hamlog::detail {

namespace {

/// The code page of the paths the record library's callers hand in.
constexpr UINT kCallerCodePage = 932;

/// The byte that LockFile locks: far beyond the end of any log, so that the lock, which Windows enforces on the
/// bytes it covers, keeps no one from reading or writing the log itself.
constexpr std::uint64_t kLockByte = 0x7FFFFFFF00000000ULL;

/// errno for the system's error code, for the messages of the log tool.
void SetErrnoFrom(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        errno = EACCES;
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EBUSY;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_WRITE_PROTECT:
        errno = EROFS;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        errno = ENAMETOOLONG;
        break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        errno = ENOMEM;
        break;
    default:
        errno = EIO;
        break;
    }
}

HANDLE Handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

/// UTF-16 to the code page; empty when some character has no exact form there.
std::string Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) {
        return {};
    }
    BOOL usedDefault = FALSE;
    BOOL* check = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length =
        ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, check);
    if (length <= 0 || usedDefault) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                          nullptr);
    return text;
}

/// The system's name for a path text (UTF-8); empty when the text is not UTF-8.
std::wstring WidePath(const std::string& path) {
    return Wide(path, CP_UTF8);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

bool IdentityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& identity) {
    return ::GetFileInformationByHandle(handle, &identity) != 0;
}

} // namespace

std::string PathFromCaller(const char* path) {
    return path != nullptr ? Narrow(Wide(path, kCallerCodePage), CP_UTF8) : std::string();
}

std::string CallerPath(const std::filesystem::path& path) {
    return Narrow(path.native(), kCallerCodePage);
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

FileHandle OpenRegularFile(const std::string& path, OpenFor access) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return kNoFile;
    }
    const DWORD rights = access == OpenFor::Reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    HANDLE handle = ::CreateFileW(wide.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            errno = EISDIR; // Windows opens no folder as a file and calls it a denied access
        } else {
            SetErrnoFrom(code);
        }
        return kNoFile;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        errno = EINVAL;
        return kNoFile;
    }
    return reinterpret_cast<FileHandle>(handle);
}

void CloseFile(FileHandle file) {
    if (file != kNoFile) {
        ::CloseHandle(Handle(file));
    }
}

long long ReadAt(FileHandle file, void* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = At(offset + done);
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(Handle(file), static_cast<char*>(buffer) + done, wanted, &got, &position)) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_HANDLE_EOF) {
                break;
            }
            SetErrnoFrom(code);
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return static_cast<long long>(done);
}

bool WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = At(offset + done);
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD wrote = 0;
        if (!::WriteFile(Handle(file), static_cast<const char*>(bytes) + done, wanted, &wrote, &position)) {
            SetErrnoFrom(::GetLastError());
            return false;
        }
        if (wrote == 0) {
            errno = EIO;
            return false;
        }
        done += wrote;
    }
    return true;
}

bool FileSize(FileHandle file, std::uint64_t& size) {
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(Handle(file), &value)) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

bool SetFileSize(FileHandle file, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end)) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    return true;
}

void AdviseSequentialReading(FileHandle /*file*/) {}

bool LockFile(FileHandle file, LockKind kind, int waitMilliseconds) {
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    while (true) {
        OVERLAPPED position = At(kLockByte);
        if (::LockFileEx(Handle(file), flags, 0, 1, 0, &position)) {
            return true;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
            return true; // no locks on this file system
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void UnlockFile(FileHandle file) {
    OVERLAPPED position = At(kLockByte);
    ::UnlockFileEx(Handle(file), 0, 1, 0, &position);
}

bool IsFileAtPath(FileHandle file, const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return false;
    }
    HANDLE named = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION held{};
    BY_HANDLE_FILE_INFORMATION now{};
    const bool same = IdentityOf(Handle(file), held) && IdentityOf(named, now) &&
                      held.dwVolumeSerialNumber == now.dwVolumeSerialNumber &&
                      held.nFileIndexHigh == now.nFileIndexHigh && held.nFileIndexLow == now.nFileIndexLow;
    ::CloseHandle(named);
    return same;
}

EntryKind KindAt(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return EntryKind::Missing;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        SetErrnoFrom(code);
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? EntryKind::Missing : EntryKind::Unknown;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EntryKind::Folder;
    }
    // Devices ("NUL", "COM1") are told apart from disk files by the type of an open handle.
    HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return EntryKind::RegularFile; // there, but held by another program: a disk file all the same
    }
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    return type == FILE_TYPE_DISK ? EntryKind::RegularFile : EntryKind::Other;
}

bool PathExists(const std::string& path) {
    const std::wstring wide = WidePath(path);
    return !wide.empty() && ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderEntries(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    const std::wstring wide = folder.empty() ? std::wstring(L".") : WidePath(folder);
    if (wide.empty()) {
        return false;
    }
    const std::wstring pattern = wide + (wide.back() == L'\\' || wide.back() == L'/' ? L"*" : L"\\*");
    WIN32_FIND_DATAW entry{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(Narrow(name, CP_UTF8));
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return true;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos) {
        return separator + 1;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0; // "C:LOG.hdb"
}

std::FILE* CreateNewFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFrom(::GetLastError());
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    std::FILE* file = fd >= 0 ? ::_fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        if (fd >= 0) {
            ::_close(fd);
        } else {
            ::CloseHandle(handle);
        }
        ::DeleteFileW(wide.c_str());
        errno = ENOMEM;
    }
    return file;
}

bool RenameOver(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    if (wideFrom.empty() || wideTo.empty()) {
        errno = ENOENT;
        return false;
    }
    // A program that has the target open (a reader counting its records, another writer) keeps it from being
    // replaced until it lets go; most let go at once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) ||
            std::chrono::steady_clock::now() >= deadline) {
            SetErrnoFrom(code);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool CanReplaceOpenFiles() {
    return false;
}

bool MakeHardLink(const std::string& file, const std::string& link) {
    const std::wstring wideFile = WidePath(file);
    const std::wstring wideLink = WidePath(link);
    if (wideFile.empty() || wideLink.empty()) {
        errno = ENOENT;
        return false;
    }
    if (!::CreateHardLinkW(wideLink.c_str(), wideFile.c_str(), nullptr)) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    return true;
}

bool RemoveFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty() || !::DeleteFileW(wide.c_str())) {
        SetErrnoFrom(wide.empty() ? ERROR_FILE_NOT_FOUND : ::GetLastError());
        return false;
    }
    return true;
}

unsigned long ProcessId() {
    return ::GetCurrentProcessId();
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

std::tm LocalDate(std::time_t now) {
    std::tm local{};
    ::localtime_s(&local, &now);
    return local;
}

} // namespace hamlog::detail
