#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace zentu {

/// An advisory lock on a lock file, held by one program at a time (and by one FileLock object within a
/// program). Other programs that take the same lock wait or are refused; nothing else is stopped. The lock
/// ends with the object, or with the program however it ends. The lock file stays where it is.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept : m_handle(other.m_handle) { other.m_handle = -1; }
    FileLock& operator=(FileLock&& other) noexcept {
        if (this != &other) {
            unlock();
            m_handle = other.m_handle;
            other.m_handle = -1;
        }
        return *this;
    }

    /// Outcome of an attempt to take the lock.
    enum class Outcome {
        Taken, ///< the lock is held
        Busy,  ///< another holder kept it for the whole wait
        Error, ///< the lock file could not be opened or created; `error` holds the errno value
    };

    /// Creates the lock file when it is missing and takes the lock, trying again during `wait` while another
    /// holder has it (a wait of zero tries once).
    Outcome lock(const std::filesystem::path& file, std::chrono::milliseconds wait, int& error);
    bool isLocked() const;
    /// Gives the lock up. Safe when it is not held.
    void unlock();

private:
    std::intptr_t m_handle = -1;
};

} // namespace zentu
