#pragma once

#include "platform/FileLock.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace zentu {

/// How long a run waits for another run of the same job before it gives up.
inline constexpr std::chrono::milliseconds kJobLockWait{3000};

/// programFolder/ini/zentu_N.lock: the lock file of job N.
std::filesystem::path JobLockPath(const std::filesystem::path& programFolder, int job);

/// The lock one run of a job holds from counting the log to its final save, so that two runs of one job never
/// overlap, whichever of the programs runs them. The first run keeps it; a second waits a short time and is then
/// refused without changing anything.
class JobLock {
public:
    /// Takes the lock of job `job`, waiting up to `wait` while another run holds it. False with `reason` set (in
    /// Japanese): busy() tells whether another run held it, else its lock file could not be made.
    bool acquire(const std::filesystem::path& programFolder, int job, std::chrono::milliseconds wait,
                 std::string& reason);
    bool held() const { return m_lock.isLocked(); }
    /// The last acquire failed because another run held the lock.
    bool busy() const { return m_busy; }
    /// Why the last acquire could not make the lock file (in Japanese, naming the ini folder), when not busy().
    const std::string& failure() const { return m_failure; }
    void release() { m_lock.unlock(); }

private:
    FileLock m_lock;
    bool m_busy = false;
    std::string m_failure;
};

/// programFolder/ini/output_HASH.lock: the lock file of the outputs whose CSV file is `csvPath` (resolved, without
/// its extension, so that it covers the ADIF file beside it and another job's CSV file of the same stem).
std::filesystem::path OutputLockPath(const std::filesystem::path& programFolder, const std::filesystem::path& csvPath);

/// The lock a run holds on its output files, besides its job's lock, so that two jobs that write the same files
/// follow each other instead of mixing their files (a CSV file of one job and the ADIF file of the other).
class OutputLock {
public:
    /// Takes the lock of the outputs of `csvPath`, waiting up to `wait` while another run holds it. False with
    /// `reason` set (in Japanese, naming the CSV file); busy() tells whether another run held it.
    bool acquire(const std::filesystem::path& programFolder, const std::filesystem::path& csvPath,
                 std::chrono::milliseconds wait, std::string& reason);
    bool busy() const { return m_busy; }

private:
    FileLock m_lock;
    bool m_busy = false;
};

} // namespace zentu
