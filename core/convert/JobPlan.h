#pragma once

#include "convert/ConversionRun.h"
#include "convert/RangeMode.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentu {

class RecordLibrary;
struct JobSettings;

/// Binds the record library from the program folder and checks its version: the first step of every program.
/// False with `reason` (Japanese) naming the missing library or call, or saying that the library is too old.
bool LoadRecordLibrary(RecordLibrary& library, const std::filesystem::path& programFolder, std::string& reason);

/// The records a run reads, `first` to `last` (none when first > last), and its progress maximum.
struct RecordRange {
    std::int64_t first = 1;
    std::int64_t last = 0;
    double progressMaximum = 1;
};

/// The records a range mode takes from a log of `record_count` records. Numbers come from the settings' texts by
/// their leading number; the range never reaches below record 1 or past the last record.
RecordRange RecordRangeFor(const JobSettings& settings, RangeMode mode, std::int32_t record_count,
                           std::string_view new_start_rec_no);

/// Why a job cannot be planned.
enum class PlanRefusal {
    None,          ///< the plan stands
    LogUnreadable, ///< the log (or its master file) cannot be opened or counted
    RangeNotSet,   ///< select_flag is blank: the range was never saved
    BadPaths,      ///< a path is not set or cannot be used, or an output would replace the log or a program file
    BadRange,      ///< a range setting cannot describe a range (no range mode, not a date, start after end, ...)
    BadAdif,       ///< the ADIF 3.1 option's call signs cannot go into an ADIF file (CheckAdifSettings)
};

/// How each program prepares a job before it runs.
struct PlanOptions {
    /// Fill blank settings the way the interactive program's summary does (dates, record numbers, bookkeeping).
    /// The auto-run program takes the settings as they stand.
    bool completeBlankSettings = true;
    /// The program folder, whose files the outputs must not replace (none checked when empty).
    std::filesystem::path programFolder;
};

/// The last-QSO signatures of a new-additions job: the one its previous run stored, and the one of the record now at
/// last_end_rec_no. They differ when contacts were deleted, inserted or sorted since.
struct LastQsoCheck {
    std::string stored;
    std::string current;
    bool recordMissing = false; ///< the log holds no record at last_end_rec_no (it has fewer records now)
    bool changed() const { return recordMissing || current != stored; }
};

/// What a run of a job will do, decided from its settings and its log before anything is written. Every program
/// shows the plan its own way and hands it to the run.
struct JobPlan {
    PlanRefusal refusal = PlanRefusal::None;
    std::string reason;              ///< why not, in Japanese (empty when the plan stands)
    RangeMode mode = RangeMode::All; ///< meaningful when the plan stands
    std::int32_t record_count = 0;   ///< records in the log when the plan was made
    bool counted = false;            ///< the log was counted (a refusal may come before)
    bool logMissing = false;         ///< LogUnreadable: nothing stands at the log's path (the log was not found)
    std::string new_start_rec_no;    ///< new additions: the record after the previous run's last one
    RecordRange range;               ///< the records the run reads
    bool noNewRecords = false;       ///< new additions: nothing was added since the previous run
    /// New additions: the log holds fewer records than the previous run ended at (contacts were deleted), a
    /// changed log like any other (logChanged).
    bool logShorterThanLastRun = false;
    /// New additions after a run that ended at record 1 or later: the log no longer holds, at last_end_rec_no, the
    /// record that run wrote last (its signature differs from the stored one, or the record is gone; without a
    /// stored signature only a log shorter than where the run ended counts). Told before
    /// anything else of the plan, "no new records" included: the interactive program warns, zentu_cli stops unless
    /// forced, the auto-run program does not run.
    bool logChanged = false;
    LastQsoCheck lastQso; ///< the stored and the current signature (checked for logChanged)
    /// With logChanged: the record the previous run wrote last, found elsewhere in the log by searching (0 when it is
    /// found nowhere). A run anyway then starts after it (new_start_rec_no, range and summary say so), so contacts
    /// added since are exported even where contacts before them were deleted.
    std::int64_t lastWrittenFoundAt = 0;
    /// With logChanged: why a run anyway is refused, or empty: the log holds fewer records than the previous run ended
    /// at and the record it wrote last is found nowhere, so no start can be told that would not skip new contacts.
    std::string runAnywayRefused;
    std::string summary; ///< the summary line "出力データ ： ..." (UTF-8)

    bool stands() const { return refusal == PlanRefusal::None; }
    /// The plan stands and there is something to do (after the changed-log warning, when logChanged).
    bool canRun() const { return stands() && !noNewRecords && runAnywayRefused.empty(); }
    /// The run's input for job `job` of the program folder.
    RunInput runInput(const std::filesystem::path& programFolder, int job) const;
};

/// Checks the job's paths, opens the log the settings name (with its master file; a relative path taken from the
/// program folder) and counts it, and plans the job against that count. With `completeBlankSettings` the blank
/// settings are filled in `settings` first (they reach the job's file only with its next save). Refusals, in this
/// order: a path that is not set or cannot be used (BadPaths), a log that cannot be opened (LogUnreadable, with its
/// cause), those of PlanJobForCount, then outputs that would replace the log or a program file (BadPaths), then
/// ADIF 3.1 call signs that an ADIF file cannot hold (BadAdif). A new additions plan that stands is then checked
/// against the log (logChanged).
JobPlan PlanJob(RecordLibrary& library, JobSettings& settings, const PlanOptions& options = {});

/// Plans the job against a count the caller already has: refuses a job without a range (RangeNotSet), with a
/// select_flag that names no range mode or a range setting that describes no range (BadRange, CheckRangeFlag and
/// CheckRangeSettings). The paths are not looked at.
JobPlan PlanJobForCount(JobSettings& settings, std::int32_t record_count, const PlanOptions& options = {});

/// Why a select_flag names no range mode, or nothing when it names one: a blank flag means the range was never
/// saved (RangeNotSet), any other text is a value no range mode stands for (BadRange, naming the value).
struct RangeFlagProblem {
    PlanRefusal refusal;
    std::string reason;
};
std::optional<RangeFlagProblem> CheckRangeFlag(std::string_view select_flag);

/// Why the range settings of `mode` cannot describe a range, naming the setting and its value (for the range
/// dialog's Save as well), or nothing: mode 1 needs two calendar dates yyyymmdd, the start not after the end;
/// mode 2 whole record numbers, the start not after the end (the end is not looked at when the range runs to the
/// newest record); mode 3 a whole number of records of at least 1; mode 4 a last_end_rec_no that is a whole
/// record number (blank counts as 0).
std::optional<std::string> CheckRangeSettings(const JobSettings& settings, RangeMode mode);

/// Reads the record at last_end_rec_no of the log `log` and pairs its signature with the stored one.
LastQsoCheck CheckLastQso(RecordLibrary& library, const JobSettings& settings, const std::filesystem::path& log);

/// The number of the last record of the log `log` whose signature is `signature` (as CheckLastQso builds it), or 0
/// when no record has it (or the log cannot be opened).
std::int64_t FindLastQso(RecordLibrary& library, const std::filesystem::path& log, const std::string& signature);

} // namespace zentu
