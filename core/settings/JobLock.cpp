#include "settings/JobLock.h"

#include "platform/ErrorText.h"
#include "platform/ProgramPaths.h"

namespace zentu {

std::filesystem::path JobLockPath(const std::filesystem::path& programFolder, int job) {
    return programFolder / "ini" / ("zentu_" + std::to_string(job) + ".lock");
}

bool JobLock::acquire(const std::filesystem::path& programFolder, int job, std::chrono::milliseconds wait,
                      std::string& reason) {
    m_busy = false;
    m_failure.clear();
    const std::filesystem::path file = JobLockPath(programFolder, job);
    int error = 0;
    switch (m_lock.lock(file, wait, error)) {
    case FileLock::Outcome::Taken:
        return true;
    case FileLock::Outcome::Busy:
        m_busy = true;
        reason = "JOB " + std::to_string(job) +
                 " はほかで実行中です。実行が終わってから、もう一度実行してください（何も変更していません）。";
        return false;
    case FileLock::Outcome::Error:
        break;
    }
    // The lock file is the program's own; the message names the folder the user knows.
    m_failure =
        "設定フォルダー " + Utf8FromPath(file.parent_path()) + " に書き込めません（" + SystemReason(error) + "）。";
    reason = "JOB " + std::to_string(job) + " を実行できません。" + m_failure;
    return false;
}

} // namespace zentu
