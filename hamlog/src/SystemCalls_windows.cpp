#include "SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace hamlog::detail {

namespace {

constexpr UINT kPathCodePage = 932;

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

/// The system's name for a path text in CP932; empty when the text is not CP932.
std::wstring WidePath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const int length = ::MultiByteToWideChar(kPathCodePage, MB_ERR_INVALID_CHARS, path.data(),
                                             static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(kPathCodePage, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                          length);
    return wide;
}

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

} // namespace

FileHandle OpenRegularFile(const char* path, OpenFor access) {
    const std::wstring wide = path != nullptr ? WidePath(path) : std::wstring();
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
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
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
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
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
        if (name == L"." || name == L"..") {
            continue;
        }
        BOOL usedDefault = FALSE;
        const int length = ::WideCharToMultiByte(kPathCodePage, WC_NO_BEST_FIT_CHARS, name.data(),
                                                 static_cast<int>(name.size()), nullptr, 0, nullptr, &usedDefault);
        if (length <= 0 || usedDefault) {
            continue;
        }
        std::string bytes(static_cast<std::size_t>(length), '\0');
        ::WideCharToMultiByte(kPathCodePage, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()),
                              bytes.data(), length, nullptr, nullptr);
        names.push_back(bytes);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return true;
}

std::size_t NameStart(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(byte)) {
            ++i; // the trail byte may look like "\"
        } else if (byte == '\\' || byte == '/' || (byte == ':' && i == 1)) {
            start = i + 1;
        }
    }
    return start;
}

std::string PathText(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(kPathCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                             static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return {}; // no CP932 form: names no file
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(kPathCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

std::FILE* CreateOutputFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return ::_wfopen(wide.c_str(), L"wbN");
}

bool RenameOver(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    if (wideFrom.empty() || wideTo.empty()) {
        errno = ENOENT;
        return false;
    }
    if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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

std::tm LocalDate(std::time_t now) {
    std::tm local{};
    ::localtime_s(&local, &now);
    return local;
}

} // namespace hamlog::detail
