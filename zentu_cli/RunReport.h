#pragma once

#include "convert/ConversionRun.h"
#include "convert/JobPlan.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zentu {

/// What zentu_cli's --report file says about one run of a job: what was asked, what the plan was, what the run wrote
/// and left out, and how it ended. Filled while the run goes on; whatever is not known stays out of the report.
struct RunReport {
    int job = 0;
    std::filesystem::path folder;
    std::string jobName;
    bool adifAsked = false; ///< the job writes an ADIF file
    bool adifV31 = false;   ///< with the ADIF 3.1 option
    std::optional<JobPlan> plan;
    std::optional<RunResult> result; ///< the run's result, when it ran
    int exitStatus = 0;
    std::string status;   ///< one word: "ok", "left_out", "no_new_records", "changed_log", "failed", ...
    std::string messages; ///< what the program told on its error output
};

/// The report as JSON text (UTF-8): job, range, records read, CSV lines, ADIF records, the records left out with their
/// numbers and reasons, the outputs and the status.
std::string RunReportJson(const RunReport& report);

/// Writes the report to `file`, whole or not at all. False with `error` (in Japanese, naming the file and the cause).
bool WriteRunReport(const std::filesystem::path& file, const RunReport& report, std::string& error);

} // namespace zentu
