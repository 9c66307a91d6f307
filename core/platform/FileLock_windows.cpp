#include "platform/FileLock.h"

#include "platform/NativeFile.h"
#include "platform/WindowsErrors.h"

#include <cerrno>

#include <thread>
#include <windows.h>

namespace zentu {

FileLock::Outcome FileLock::lock(const std::filesystem::path& file, std::chrono::milliseconds wait, int& error) {
    unlock();
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        // Windows answers "access denied" for a folder standing where the lock file belongs; say what it is.
        error =
            code == ERROR_ACCESS_DENIED && KindOfPath(file) == PathKind::Folder ? EISDIR : ErrnoOfWindowsError(code);
        return Outcome::Error;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        OVERLAPPED whole{};
        if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
            break;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
            error = ErrnoOfWindowsError(code);
            ::CloseHandle(handle);
            return Outcome::Error;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::CloseHandle(handle);
            return Outcome::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    return Outcome::Taken;
}

bool FileLock::isLocked() const {
    return m_handle != -1;
}

void FileLock::unlock() {
    if (m_handle != -1) {
        HANDLE handle = reinterpret_cast<HANDLE>(m_handle);
        OVERLAPPED whole{};
        ::UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole);
        ::CloseHandle(handle);
        m_handle = -1;
    }
}

} // namespace zentu
