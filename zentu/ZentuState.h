#pragma once

#include "convert/JobPlan.h"
#include "convert/ModeTable.h"
#include "convert/RangeMode.h"
#include "gui/PositionStore.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace zentu {

/// A plan that does not stand: nothing runs until a summary was made for the job shown.
inline JobPlan NoPlan() {
    JobPlan plan;
    plan.refusal = PlanRefusal::RangeNotSet;
    return plan;
}

/// The interactive program's process-wide values, owned by main and handed to every window. The names are the ones
/// the windows' rules speak of.
struct ZentuState {
    std::filesystem::path ProgramFolder;
    int CurrentJob = 1;   ///< 1 to 9
    JobSettings settings; ///< JobSettings: the record of CurrentJob that the dialogs edit and the run reads

    // Window flags.
    bool MainWindowOpen = false;
    bool ConfigSaved = false;
    bool RangeSaved = false;
    bool JobHasContent = false;
    bool ConfigOpened = false;
    bool RangeOpened = false;

    // The summary of the current job (ShowJobSettings or the range dialog's save). The run reads the plan: its range
    // mode is RangeMode, its count record_count.
    ::zentu::RangeMode RangeMode = ::zentu::RangeMode::All;
    std::int32_t record_count = 0;
    std::string new_start_rec_no;
    JobPlan plan =
        NoPlan(); ///< what a run of the current job does; does not stand until a summary was made for the job

    // What the range dialog found in the log.
    std::string log_first_date; ///< yyyymmdd of record 1
    std::string log_last_date;  ///< yyyymmdd of the newest record
    std::string log_last_rec_no;

    // The main window's copies of the two paths of the job shown (the "log path in use" of the range dialog).
    std::string shownLogPath;
    std::string shownOutputPath;

    std::string current_qso_signature; ///< the record now at last_end_rec_no (changed-log check)
    std::filesystem::path adif_path;   ///< the ADIF file of the last run that wrote one; empty before

    ModeTable mode_table; ///< loaded by the main window's load
    PositionStore positions;
    RecordLibrary library;
};

} // namespace zentu
