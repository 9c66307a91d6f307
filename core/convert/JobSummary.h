#pragma once

#include "convert/RangeMode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zentu {

struct JobSettings;

/// What a window shows of a job before a run: the range mode, the first record of the new-additions mode
/// and the one-line summary ("出力データ ： ..."). Both programs build their summary lines from it.
struct JobSummary {
    std::optional<RangeMode> mode; ///< the range mode select_flag names; none for any other text
    std::string new_start_rec_no;  ///< Val(last_end_rec_no) + 1 as text (mode 4 only, else empty)
    bool noNewRecords = false;     ///< mode 4 and record_count < new_start_rec_no
    std::string text;              ///< the summary line (UTF-8); empty when the mode is not known
};

/// Builds the summary of a job for a log of `record_count` records. The numbers shown are those the run takes
/// where they do not stand as stored: the record count as the end of a number range that runs to the newest record,
/// and count - N + 1 to count for the newest N records.
JobSummary SummarizeJob(const JobSettings& settings, std::int32_t record_count);

/// Fills blank fields the way the main window's summary does before a run: dates "20100101" and
/// "20100201", set_end_rec_no the record count, set_start_rec_no "1", last_start_rec_no and
/// last_end_rec_no "0" (blank means empty after trimming blanks).
void CompleteBlankSettings(JobSettings& settings, std::int32_t record_count);

/// The last-QSO signature of a record: fields 1, 2, 3, 6, 7 and 8 joined with "_" (index 0 = field 1).
std::string LastQsoSignature(const std::array<std::string, 16>& fields);

/// The signature as the settings file stores it, from the record's bytes as the library delivered them (CP932):
/// line breaks become spaces (a value is one line), and it is cut the way the file's value is read back
/// (StoredBytesAsLoaded). A run stores exactly these bytes and the changed-log check builds the same from the
/// record now at last_end_rec_no, so both sides compare alike whatever bytes the record holds.
std::string StoredLastQsoSignature(const std::array<std::string, 16>& rawFields);

} // namespace zentu
