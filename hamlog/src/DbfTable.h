#pragma once

// Reading the header of a log table (NAME.hdb, a dBase III table). The format is described in
// hamlog/HamlogApi.h; this is the one place that checks it.

#include "DbfFormat.h"

#include "hamlog/HamlogApi.h"

#include <array>
#include <cstdint>

namespace hamlog::detail {

/// What a checked table header says about where records and fields lie.
struct TableLayout {
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    /// Records wholly present in the file, never more than the header's count.
    std::int32_t recordCount = 0;
    /// Fields of the table (all of them, also those beyond the sixteen delivered).
    std::uint32_t fieldCount = 0;
    /// Offset from the start of a record and stored length of fields 1 to 16.
    std::array<std::uint32_t, HAMLOG_FIELD_COUNT> fieldOffset{};
    std::array<std::uint32_t, HAMLOG_FIELD_COUNT> fieldLength{};
};

/// Opens a regular file (close-on-exec) with `flags` (O_RDONLY or O_RDWR), without ever waiting on a named pipe
/// or a device: such a file is opened without blocking, seen for what it is and closed again. Returns the
/// descriptor, or -1 with errno set: the open's own error, EISDIR for a folder, or EINVAL for any other file that
/// is not a regular file (a named pipe, a device, a socket).
int OpenRegularFile(const char* path, int flags);

/// Opens a table read-only: OpenRegularFile(path, O_RDONLY); -1 also for a null path.
int OpenTableFile(const char* path);

/// How long the record library waits for a writer's lock before it gives up on a log.
inline constexpr int kReaderLockWaitMilliseconds = 10000;

/// Takes the advisory lock `operation` (LOCK_SH or LOCK_EX, as flock) on the open file, waiting at most
/// `waitMilliseconds` for another holder to let go. Returns false only when the wait ran out; a file system that
/// knows no such locks counts as locked (there is nothing to wait for). The lock goes with the descriptor's close.
bool LockFile(int fd, int operation, int waitMilliseconds);

/// Reads and checks the header of the open table `fd`, and counts the records wholly present.
/// Returns HAMLOG_OK, HAMLOG_ERR_HDB_MISSING when reading fails, HAMLOG_ERR_HDB_NOT_DBASE, HAMLOG_ERR_HDB_VERSION
/// or HAMLOG_ERR_HDB_INVALID.
int ReadTableLayout(int fd, TableLayout& layout);

/// Reads `size` bytes at `offset`, retrying short reads. Returns the bytes read (less at end of file), or -1.
long long ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset);

} // namespace hamlog::detail
