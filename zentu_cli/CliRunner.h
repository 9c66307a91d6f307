#pragma once

#include "settings/JobLock.h"

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace zentu {

/// Exit statuses of the command-line runner.
enum class CliStatus : int {
    Success = 0,       ///< the job ran, or there was nothing to do
    Usage = 1,         ///< the command line is wrong (also a --folder that is no folder)
    Library = 2,       ///< the record library is missing or too old
    JobNotReady = 3,   ///< the job is not registered, lacks a path or a range, or the mode table is missing
    ChangedLog = 4,    ///< new-additions job whose log no longer matches the last run (use --force)
    LogUnreadable = 5, ///< the log cannot be counted
    RunFailed = 6,     ///< the run failed (log not openable, output not writable); nothing was changed
    JobBusy = 7,       ///< another run of the same job (or of the same outputs) kept its lock; nothing was changed
    OutputFailed = 8,  ///< the standard output could not be written (before the run: nothing was run)
    NotRestored = 9,   ///< the run failed and a previous file could not be put back (the message names its copy)
    LeftOut = 10,      ///< --strict only: the job ran, but records were left out of the ADIF file
};

/// Runs one job of a program folder the way the interactive program does when the job is selected and its run
/// button pressed. `arguments` excludes the program name. Messages go to `out`, errors to `err`; with --report FILE
/// the run's report goes to FILE as JSON as well (a report that cannot be written makes a run that went well status 8).
/// `lockWait` is how long it waits for another run of the job (tests make it short).
CliStatus RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 std::chrono::milliseconds lockWait = kJobLockWait);

/// The help text.
std::string CliUsage();

} // namespace zentu
