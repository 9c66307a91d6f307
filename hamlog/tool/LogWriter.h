#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hamlog {

/// One log record: the texts of fields 1 to 16 (index 0 = field 1), CP932 bytes.
struct LogRecord {
    std::array<std::string, 16> fields;
};

/// The width in bytes of each of the sixteen fields of the tables this writer makes.
const std::array<std::size_t, 16>& FieldWidths();

/// Creates a log: NAME.hdb (a dBase III table of the sixteen fields) and its companion NAME.mst.
/// Replaces existing files. A text longer than its field is refused (false, with `error`).
bool CreateLog(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// Appends records to an existing log, as a user adds contacts (updates the record count in the header).
bool AppendRecords(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// A realistic synthetic record number `index` (0-based) of a log generated with `seed`: call signs, dates
/// from 2009 on in time order, J and U times, bands, modes, reports, Japanese text in the later fields.
LogRecord SyntheticRecord(std::uint64_t index, std::uint32_t seed);

/// Creates a log of `count` synthetic records, streaming them to disk (memory does not grow with count).
bool CreateSyntheticLog(const std::filesystem::path& hdb, std::uint64_t count, std::uint32_t seed,
                        std::string* error);

} // namespace hamlog
