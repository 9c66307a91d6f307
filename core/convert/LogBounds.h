#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zentu {

class RecordLibrary;
struct JobSettings;

/// What the range settings show of a log: its record count and the dates of its first and newest record. The texts
/// keep their last values when a later reading fails.
struct LogBounds {
    std::string log_first_date;  ///< yyyymmdd of record 1
    std::string log_last_date;   ///< yyyymmdd of the newest record
    std::string log_last_rec_no; ///< the record count as decimal text, which is also the newest record's number
};

/// A log's date field "yy/mm/dd" as yyyymmdd: the slashes removed and the century put in front by WidenYear.
std::string FullLogDate(std::string_view dateField);

/// Counts the log into `bounds.log_last_rec_no` ("0" when it cannot be counted).
void CountLog(const RecordLibrary& library, const std::filesystem::path& log, LogBounds& bounds);

/// Counts the log and reads the dates of its first and newest record (a log without records has none). Returns the
/// record library's open result: 0 when the log was read; RecordLibrary::kMasterMissing when its master file could
/// not be opened; any other result leaves both dates as they were.
int ReadLogBounds(RecordLibrary& library, const std::filesystem::path& log, LogBounds& bounds);

/// The dates of a job whose range dates are blank: the log's first and newest date, or 20040101 and 20040110 when
/// the log gave none (no dates read, or a log without records); the bounds then take those dates too.
void CompleteRangeDates(JobSettings& settings, LogBounds& bounds);

} // namespace zentu
