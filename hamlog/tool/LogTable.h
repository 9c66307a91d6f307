#pragma once

// The tables the log writer makes, and records laid out for any table the record library reads.

#include "DbfFormat.h"
#include "LogWriter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace hamlog::detail {

/// May follow the last record.
inline constexpr char kEndMark = static_cast<char>(kFileEnd);

/// Where the fields of a record lie: our sixteen fields, or the fields of an existing table.
struct RecordShape {
    std::size_t fieldCount = kLogFieldCount; ///< fields of the table that hold record fields (at most 16)
    std::array<std::size_t, kLogFieldCount> widths{};
    std::size_t recordLength = 0;
};

/// The shape of the tables this writer makes.
RecordShape OurShape();

/// The header of a table of ours that holds `count` records: the fixed part, the sixteen field descriptors and
/// their end mark.
std::string TableHeader(std::uint32_t count);

/// Adds one record (flag byte and blank-padded fields) to `out`; `number` (1-based) names it in messages. A text
/// too long for its field, or a text for a field the table does not have, is refused (false with `error`, `out` as
/// it was).
bool EncodeRecord(const LogRecord& record, const RecordShape& shape, std::uint64_t number, std::string& out,
                  std::string* error);

/// Puts today's date at `at` (three bytes), as dBase keeps the date of the last update: years since 1900, month,
/// day.
void PutToday(char* at);

/// Whether a log can hold `count` records (the record library counts them in 32 signed bits); false with `error`.
bool CountFits(std::uint64_t count, const std::filesystem::path& hdb, std::string* error);

} // namespace hamlog::detail
