#pragma once

// The files the log writer works with: the log locked for writing, and new files beside their targets that go away
// unless they are put in place, also when the program is asked to end or was killed. File changes go through the
// calls a test may replace (LogWriter.h).

#include "SystemCalls.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace hamlog::detail {

/// Renames `from` over `to` with the call a test may have set (SetRenameCallForTesting). False with errno set.
bool RenameFile(const std::string& from, const std::string& to);

/// Writes all bytes at `offset` with the call a test may have set (SetWriteCallForTesting). False with errno set.
bool WriteFileAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset);

/// The cause of a failed OpenRegularFile, in Japanese.
std::string OpenReason();

/// Whether `path` is missing or a regular file (what may be replaced by a new log or master file); false with
/// `error` naming it as `what`.
bool MayReplace(const std::string& path, const std::string& what, std::string* error);

/// A name beside `target` for a file of this run: "TARGET.PID-NUMBER.tmp".
std::string TemporaryNameBeside(const std::string& target);

/// Removes the files that runs which have ended left beside `target` under names TemporaryNameBeside gives (a run
/// that was killed outright could not remove them); those of runs still going are kept.
void RemoveLeftovers(const std::string& target);

/// A new file beside its target, buffered, that remembers the first failure and is removed unless put in place,
/// also when the program is asked to end while it exists (TemporaryFiles.h).
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    /// Creates the file beside `target`; false with reason() set.
    bool create(const std::string& target);
    bool write(std::string_view bytes);
    bool close();
    /// Renames the file over `target`; from then on it is the target's and no longer removed.
    bool moveTo(const std::string& target);
    /// Why the file failed, in Japanese; empty while it has not.
    const std::string& reason() const { return m_reason; }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_reason;
    int m_slot = -1;
};

/// The log file a path names, opened and locked for writing. Another run may put a new file in place of the path
/// while this one waits for the lock; then the lock is taken again on the file the path names now, so the lock held
/// is always the present log's.
class LockedLog {
public:
    enum class State { Locked, Missing, Failed };

    LockedLog() = default;
    LockedLog(const LockedLog&) = delete;
    LockedLog& operator=(const LockedLog&) = delete;
    ~LockedLog() { release(); }

    /// Opens for `access` and locks. Missing: there is no log at the path (not an error for a run that creates one).
    /// Failed: `error` tells why.
    State lock(const std::filesystem::path& hdb, OpenFor access, std::string* error);
    FileHandle file() const { return m_file; }
    /// Lets go of the lock and the file.
    void release();

private:
    FileHandle m_file = kNoFile;
};

} // namespace hamlog::detail
