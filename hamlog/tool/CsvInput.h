#pragma once

#include "LogWriter.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hamlog {

/// The text encoding of a CSV input file.
enum class CsvEncoding {
    /// A UTF-8 byte order mark or pure ASCII: UTF-8. Otherwise the reading in which the file is valid; a file
    /// valid in both whose two readings differ is refused (the user must say which it is).
    Detect,
    Utf8,
    Cp932,
};

/// One row of a CSV text and the line on which it starts (1-based).
struct CsvRow {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

/// Splits CSV text into rows: fields separated by commas, a field may be enclosed in double quotes (then it
/// may hold commas, line ends and doubled quotes), lines end in CR LF, LF or CR alone. Empty lines are skipped.
/// Returns false with `error` (naming the line) on a quote left open, text after a closing quote, or a NUL
/// character in a field (named with its line and column).
bool ParseCsv(std::string_view text, std::vector<CsvRow>& rows, std::string* error);

/// Reads a CSV file of log records, sixteen columns a line, into CP932 records. A UTF-8 byte order mark is
/// skipped. Returns false with a Japanese message naming the file and line when the file cannot be read, its
/// text is not valid in the encoding (or, detecting, reads differently as UTF-8 and as CP932), ParseCsv refuses
/// it, a line has another number of columns, or a text has no CP932 form.
bool LoadCsvRecords(const std::filesystem::path& csv, CsvEncoding encoding, std::vector<LogRecord>& records,
                    std::string* error);

/// LoadCsvRecords over the file's bytes; `name` names the file in messages.
bool CsvRecordsFromBytes(std::string bytes, CsvEncoding encoding, const std::string& name,
                         std::vector<LogRecord>& records, std::string* error);

} // namespace hamlog
