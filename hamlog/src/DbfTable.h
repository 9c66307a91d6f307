#pragma once

// Reading the header of a log table (NAME.hdb, a dBase III table). The format is described in
// hamlog/HamlogApi.h; this is the one place that checks it.

#include "DbfFormat.h"
#include "SystemCalls.h"

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

/// Opens a table read-only: OpenRegularFile(path, OpenFor::Reading) (SystemCalls.h), never waiting on a named pipe
/// or a device.
FileHandle OpenTableFile(const std::string& path);

/// How long the record library waits for a writer's lock before it gives up on a log.
inline constexpr int kReaderLockWaitMilliseconds = 10000;

/// Reads and checks the header of the open table, and counts the records wholly present.
/// Returns HAMLOG_OK, HAMLOG_ERR_HDB_MISSING when reading fails, HAMLOG_ERR_HDB_NOT_DBASE, HAMLOG_ERR_HDB_VERSION
/// or HAMLOG_ERR_HDB_INVALID.
int ReadTableLayout(FileHandle file, TableLayout& layout);

} // namespace hamlog::detail
