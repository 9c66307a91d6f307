#include "settings/JobLock.h"

#include "platform/ErrorText.h"
#include "platform/ProgramPaths.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>

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
    // The lock file is the program's own; the message names the folder the user knows, unless what stands at the
    // lock file's place is the cause (a folder, a link, a file that cannot be opened).
    const bool folderCause =
        error == ENOENT || error == ENOTDIR || error == EACCES || error == EPERM || error == EROFS || error == ENOSPC;
    m_failure = folderCause ? "設定フォルダー " + Utf8FromPath(file.parent_path()) + " に書き込めません（" +
                                  SystemReason(error) + "）。"
                            : "ロックファイル " + Utf8FromPath(file) + " を使えません（" + SystemReason(error) + "）。";
    reason = "JOB " + std::to_string(job) + " を実行できません。" + m_failure;
    return false;
}

namespace {

/// FNV-1a, 64 bits: a short, stable name for a path of any length.
std::uint64_t NameHash(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::filesystem::path OutputLockPath(const std::filesystem::path& programFolder, const std::filesystem::path& csvPath) {
    std::error_code error;
    std::filesystem::path stem = std::filesystem::weakly_canonical(std::filesystem::absolute(csvPath, error), error);
    if (error) {
        stem = std::filesystem::absolute(csvPath, error).lexically_normal();
    }
    stem.replace_extension();
    char name[32];
    std::snprintf(name, sizeof name, "output_%016llx.lock",
                  static_cast<unsigned long long>(NameHash(PathKeyText(stem))));
    return programFolder / "ini" / name;
}

bool OutputLock::acquire(const std::filesystem::path& programFolder, const std::filesystem::path& csvPath,
                         std::chrono::milliseconds wait, std::string& reason) {
    m_busy = false;
    const std::filesystem::path file = OutputLockPath(programFolder, csvPath);
    int error = 0;
    switch (m_lock.lock(file, wait, error)) {
    case FileLock::Outcome::Taken:
        return true;
    case FileLock::Outcome::Busy:
        m_busy = true;
        reason = "出力ファイル " + Utf8FromPath(csvPath) +
                 " にはほかの JOB が書き込み中です。その実行が終わってから、もう一度実行してください（何も変更して"
                 "いません）。";
        return false;
    case FileLock::Outcome::Error:
        break;
    }
    reason = "出力ファイル " + Utf8FromPath(csvPath) + " のロックファイル " + Utf8FromPath(file) + " を使えません（" +
             SystemReason(error) + "）。";
    return false;
}

} // namespace zentu
