#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "convert/RangeMode.h"
#include "settings/JobSettings.h"

namespace zentu {

class ModeTable;
class RecordLibrary;

/// What a run reports while it works; each program implements it with its own widgets (or text output).
class RunObserver {
public:
    virtual ~RunObserver() = default;
    /// Called once before the loop with the progress maximum (always at least 1).
    virtual void progressStarted(double maximum) = 0;
    /// Called once per record looked at, with the number of records looked at before it.
    virtual void progressed(std::int64_t value) = 0;
    /// Called after the loop with the final output count (not called when the log could not be opened).
    virtual void outputCounted(std::int64_t output_count) = 0;
};

/// How the run differs between the two programs.
struct RunOptions {
    std::string_view versionText = kZentuVersion; ///< version in the ADIF header
    const ModeTable* modeTable = nullptr;         ///< mode table for ADIF modes; none for the auto-run program
    bool storeSignature = true;                   ///< mode 4: store the last-QSO signature
    bool saveAllKeys = true;                      ///< mode 4: save all keys (false: only the two record numbers)
};

/// Everything a run needs besides the record library (JobPlan::runInput makes it).
struct RunInput {
    std::filesystem::path programFolder;
    int job = 1;
    RangeMode rangeMode = RangeMode::All;
    std::int32_t record_count = 0;
    std::string new_start_rec_no;
};

/// How a run ended.
struct RunResult {
    bool ok = false;   ///< the outputs were written and put in place
    std::string error; ///< why not (Japanese, naming the file and the reason)
    std::int64_t output_count = 0;
    std::int64_t invalidDateRecords = 0; ///< records whose date or time is not a valid date-time
    std::filesystem::path csvPath;
    std::filesystem::path adifPath; ///< empty when no ADIF file was asked for
};

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
void AppendCsvLine(std::string& out, const std::array<std::string, 16>& fields);

/// The conversion run: reads the job's range of records through the record library, writes the CSV file
/// and (adif_out "1") the ADIF file, both first to temporary files beside their targets and put in place
/// only when everything succeeded, and in mode 4 stores the bookkeeping in the job's settings file
/// (and `settings`). On failure the previous output files and the bookkeeping stay as they were.
RunResult RunConversion(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        RunObserver* observer);

/// Loads the record at last_end_rec_no and returns its last-QSO signature as UTF-8 (the changed-log check).
/// Empty when the log cannot be opened.
std::string read_hdb_set_Num_sub(RecordLibrary& library, const JobSettings& settings);

} // namespace zentu
