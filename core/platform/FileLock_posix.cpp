#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace zentu {

FileLock::Outcome FileLock::lock(const std::filesystem::path& file, std::chrono::milliseconds wait, int& error) {
    unlock();
    int fd;
    do {
        // O_NONBLOCK: a named pipe put in place of the lock file must not make the program wait. O_NOFOLLOW: a
        // symbolic link put there must not make the program create or open the file it points to (ELOOP).
        fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno;
        return Outcome::Error;
    }
    // flock, not fcntl: its lock belongs to this open file, so two holders in one program exclude each other too.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            error = errno;
            ::close(fd);
            return Outcome::Error;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return Outcome::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_handle = fd;
    return Outcome::Taken;
}

bool FileLock::isLocked() const {
    return m_handle >= 0;
}

void FileLock::unlock() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle)); // closing the file gives the lock up
        m_handle = -1;
    }
}

} // namespace zentu
