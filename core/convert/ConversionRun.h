#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "convert/FieldTexts.h"
#include "convert/LeftOutRecords.h"
#include "convert/RangeMode.h"
#include "settings/JobLock.h"
#include "settings/JobSettings.h"

namespace zentu {

class ModeTable;
class RecordLibrary;
class ReplaceSteps;

/// What a run reports while it works; each program implements it with its own widgets (or text output). Every call
/// comes from the thread that called RunConversion, in order; a window that runs the conversion on a thread of its
/// own hands what it is told over to its own thread (gui/RunProgress).
class RunObserver {
public:
    virtual ~RunObserver() = default;
    /// Called once before the loop with the progress maximum (always at least 1).
    virtual void progressStarted(double maximum) = 0;
    /// Called once per record looked at, with the number of records looked at before it, in order (the records of
    /// a span of the range one after the other once the span is read).
    virtual void progressed(std::int64_t value) = 0;
    /// Called after the loop with the final output count (not called when the log could not be opened).
    virtual void outputCounted(std::int64_t output_count) = 0;
};

/// How the run differs between the two programs.
struct RunOptions {
    std::string_view versionText = kZentuVersion; ///< version in the ADIF header
    const ModeTable* modeTable = nullptr;         ///< mode table for ADIF modes; none for the auto-run program
    bool storeSignature = true;                   ///< mode 4: store the last-QSO signature
    /// Mode 4: save all keys (false: only the two record numbers and, with storeSignature, the signature).
    bool saveAllKeys = true;
    /// How long the run waits for another run of the same job that holds the job's lock (when it takes the lock
    /// itself, RunInput::lock), and for another job's run that writes the same output files.
    std::chrono::milliseconds lockWait = kJobLockWait;
    /// The file-system steps that put the files in place (the system's when null; tests make one fail).
    ReplaceSteps* replaceSteps = nullptr;
    /// The time an ADIF 3.1 header gives as CREATED_TIMESTAMP (the system's clock when null; tests fix it).
    std::chrono::system_clock::time_point (*clock)() = nullptr;
};

/// Everything a run needs besides the record library (JobPlan::runInput makes it).
struct RunInput {
    std::filesystem::path programFolder;
    int job = 1;
    RangeMode rangeMode = RangeMode::All;
    std::int32_t record_count = 0;
    std::string new_start_rec_no;
    /// The job's lock when the caller took it before counting (zentu_cli); the run takes it itself when null.
    const JobLock* lock = nullptr;
};

/// Why a run did not finish.
enum class RunFailure {
    None,        ///< the run finished
    Refused,     ///< the settings cannot be run as they stand (a path, or outputs that would replace another file)
    Busy,        ///< another run of the job (or a run writing the same outputs) held its lock; nothing was changed
    Outdated,    ///< another run of the job moved its bookkeeping since the job was planned; nothing was changed
    Failed,      ///< reading or writing failed (memory or threads ran out included); nothing was changed
    NotRestored, ///< putting the files in place failed, and so did putting a previous file back: the error names the
                 ///< file and the kept copy that holds its previous content
};

/// How a run ended.
struct RunResult {
    bool ok = false; ///< the outputs were written and put in place
    RunFailure failure = RunFailure::None;
    std::string error; ///< why not (Japanese, naming the file and the reason)
    std::int64_t output_count = 0;
    std::int64_t recordsRead = 0;        ///< records of the range looked at (those of the log in the date range mode)
    std::int64_t invalidDateRecords = 0; ///< records whose date or time is not a valid date-time (both kinds below)
    LeftOutRecords adifLeftOut;          ///< written to the CSV file, left out of the ADIF file (with their reasons)
    LeftOutRecords dateRangeUndecided;   ///< date range mode: cannot be compared, so in neither file
    std::filesystem::path csvPath;
    std::filesystem::path adifPath; ///< empty when no ADIF file was asked for
    bool adifV31 = false;           ///< the ADIF file follows ADIF 3.1 (the job's option)
    /// Records written to the ADIF file (0 when none was asked for).
    std::int64_t adifRecords() const { return adifPath.empty() ? 0 : output_count - adifLeftOut.count; }
};

/// What the user is told after a run about the records it left out (how many, why, the first record numbers), in
/// Japanese; empty when there were none. Every program shows this line.
std::string LeftOutReport(const RunResult& result);

/// The ADIF path of a CSV path: its last extension replaced by "adi" (".adi" added when it has none).
std::filesystem::path AdifPathFor(const std::filesystem::path& csvPath);

/// The parts of a path the way the scripting file object splits it (fails, returning false and leaving the
/// outputs unchanged, when the path names no existing file).
struct SplitPathParts {
    std::string FileNamePart;
    std::string ExtensionPart;
    std::string FolderPart;
    std::string StemWithDot;
};
bool SplitPath(const std::string& path, SplitPathParts& parts);

/// Builds the CSV line of a record (15 quoted fields: 1 to 14 and 16, quotes doubled, CR LF) from its
/// sixteen field texts as the library gave them.
void AppendCsvLine(std::string& out, const FieldTexts& fields);
void AppendCsvLine(std::string& out, const std::array<std::string, 16>& fields);

/// The conversion run: reads the job's range of records through the record library (a span of records at a time, on
/// two threads through two record areas when the library allows it, see OutputWriter), writes the CSV file
/// and (adif_out "1") the ADIF file, both first to temporary files beside their targets, and in mode 4 prepares
/// the bookkeeping of the job's settings file the same way; then puts the two or three files in place together
/// (AtomicFile::commitTogether), and updates `settings`. On failure, wherever it happens, the previous output
/// files and the bookkeeping stay as they were and no temporary file is left.
///
/// Before it writes anything the run refuses paths that cannot be used or outputs that would replace the log or a
/// program file (CheckJobPaths; relative paths are taken from the program folder, JobFilePath), holds the job's lock
/// (JobLock: taken here unless `input.lock` holds it) and the lock of its outputs (OutputLock), refuses in mode 4
/// when another run moved the bookkeeping in the job's file since `settings` was loaded, and removes the temporary
/// files a killed run of the job left beside its outputs. A record that cannot be read (the log shrank or is damaged)
/// fails the run, and so does memory or a thread that cannot be had (std::bad_alloc, std::system_error are caught
/// here, with every thread of the run ended).
RunResult RunConversion(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        RunObserver* observer);

/// What the user is told when a run could not get the memory (`memory`) or the threads and other system resources it
/// needs: nothing was changed.
std::string OutOfResourcesText(bool memory);

/// Loads the record at last_end_rec_no and returns its last-QSO signature as UTF-8 (the changed-log check).
/// Empty when the log cannot be opened.
std::string read_hdb_set_Num_sub(RecordLibrary& library, const JobSettings& settings,
                                 const std::filesystem::path& programFolder);

} // namespace zentu
