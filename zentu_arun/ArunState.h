#pragma once

#include "convert/JobPlan.h"
#include "gui/PositionStore.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"

#include <array>
#include <filesystem>
#include <string>

namespace zentu {

/// What the auto-run program knows of one job slot, filled when the job list is built.
struct ArunJobSlot {
    bool registered = false;
    std::string msg1;
    std::string msg2;
    std::string msg3;
};

/// The auto-run program's process-wide values, owned by main and handed to its window.
struct ArunState {
    std::filesystem::path ProgramFolder;
    int CurrentJob = 1;
    JobSettings settings;
    JobPlan plan; ///< the plan of the job shown: its range, summary and the no-data flag, or why it cannot run
    std::array<ArunJobSlot, 10> jobSlots; ///< index 1 to 9
    RecordLibrary library;
    PositionStore positions;
};

} // namespace zentu
