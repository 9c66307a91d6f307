#pragma once

#include "LogWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace hamlog {

/// A realistic synthetic record number `index` (0-based) of a log generated with `seed`: call signs, dates
/// from 2009 on in time order, J and U times, bands, modes, reports, Japanese text in the later fields.
LogRecord SyntheticRecord(std::uint64_t index, std::uint32_t seed);

/// Creates a log of `count` synthetic records, streaming them to disk (memory does not grow with count).
/// Dates grow with the square root of the index, so small logs span weeks and a million records end before
/// 2023 (two-digit years stay unambiguous up to about ten million records).
bool CreateSyntheticLog(const std::filesystem::path& hdb, std::uint64_t count, std::uint32_t seed, std::string* error);

} // namespace hamlog
