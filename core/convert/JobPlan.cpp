#include "convert/JobPlan.h"

#include "convert/JobSummary.h"
#include "convert/JobTexts.h"
#include "hamlog/RecordLibrary.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"
#include "text/NumberText.h"

#include <algorithm>
#include <array>

namespace zentu {

bool LoadRecordLibrary(RecordLibrary& library, const std::filesystem::path& programFolder, std::string& reason) {
    if (!library.load(programFolder)) {
        reason = library.errorString();
        return false;
    }
    if (library.version() < RecordLibrary::kMinimumVersion) {
        reason = job_texts::kOldLibrary;
        return false;
    }
    return true;
}

RecordRange RecordRangeFor(const JobSettings& settings, RangeMode mode, std::int32_t record_count,
                           std::string_view new_start_rec_no) {
    const std::int64_t count = record_count;
    RecordRange range;
    switch (mode) {
    case RangeMode::RecordNumbers:
        range.first = ValToRecordNumber(settings.set_start_rec_no);
        range.last = settings.set_anytime_last == "1" ? count : ValToRecordNumber(settings.set_end_rec_no);
        range.progressMaximum = static_cast<double>(range.last - range.first + 4);
        break;
    case RangeMode::LastN: {
        const std::int64_t wanted = ValToRecordNumber(settings.set_rec_hani);
        range.first = count - wanted + 1;
        range.last = count;
        range.progressMaximum = static_cast<double>(wanted + 4);
        break;
    }
    case RangeMode::NewAdditions:
        range.first = ValToRecordNumber(new_start_rec_no);
        range.last = count;
        range.progressMaximum = static_cast<double>(count - range.first + 4);
        break;
    case RangeMode::All:
    case RangeMode::DateRange:
        range.first = 1;
        range.last = count;
        range.progressMaximum = static_cast<double>(count + 2);
        break;
    }
    // Records exist only from 1 to the count: a start below 1 (more records asked for than the log holds) starts at
    // the first record, and numbers beyond the log are not read, so no empty lines are written for them.
    range.first = std::max<std::int64_t>(range.first, 1);
    range.last = std::min<std::int64_t>(range.last, count);
    range.progressMaximum = std::max(range.progressMaximum, 1.0);
    return range;
}

RunInput JobPlan::runInput(const std::filesystem::path& programFolder, int job) const {
    RunInput input;
    input.programFolder = programFolder;
    input.job = job;
    input.rangeMode = mode;
    input.record_count = record_count;
    input.new_start_rec_no = new_start_rec_no;
    return input;
}

JobPlan PlanJob(const RecordLibrary& library, JobSettings& settings, const PlanOptions& options) {
    const std::int32_t record_count = library.countRecords(PathFromUtf8(settings.set_hdb_dir));
    if (record_count < 0) {
        JobPlan plan;
        plan.refusal = PlanRefusal::LogUnreadable;
        plan.reason = "ログファイル " + settings.set_hdb_dir + " を読めません。";
        return plan;
    }
    return PlanJobForCount(settings, record_count, options);
}

JobPlan PlanJobForCount(JobSettings& settings, std::int32_t record_count, const PlanOptions& options) {
    JobPlan plan;
    plan.record_count = record_count;
    if (options.completeBlankSettings) {
        CompleteBlankSettings(settings, record_count);
    }
    const JobSummary summary = SummarizeJob(settings, record_count);
    if (!summary.mode) {
        plan.refusal = PlanRefusal::RangeNotSet;
        plan.reason = "範囲設定が保存されていません。";
        return plan;
    }
    plan.mode = *summary.mode;
    plan.new_start_rec_no = summary.new_start_rec_no;
    plan.noNewRecords = summary.noNewRecords;
    plan.summary = summary.text;
    plan.range = RecordRangeFor(settings, plan.mode, record_count, plan.new_start_rec_no);
    return plan;
}

LastQsoCheck CheckLastQso(RecordLibrary& library, const JobSettings& settings) {
    return LastQsoCheck{settings.select_flag_new_add_last_QSO_data, read_hdb_set_Num_sub(library, settings)};
}

} // namespace zentu
