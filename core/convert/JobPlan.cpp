#include "convert/JobPlan.h"

#include "convert/AdifSettings.h"
#include "convert/JobFiles.h"
#include "convert/JobSummary.h"
#include "convert/JobTexts.h"
#include "hamlog/LogFiles.h"
#include "hamlog/RecordLibrary.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"
#include "text/Cp932Codec.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

namespace {

/// Checks a new-additions plan that stands against the log: whether the log still holds, where the previous run
/// ended, the record it wrote last, and where a run anyway would start when it does not.
void CheckNewAdditionsLog(RecordLibrary& library, const JobSettings& settings, const std::filesystem::path& log,
                          JobPlan& plan) {
    const std::int64_t lastEnd = ValToRecordNumber(settings.last_end_rec_no);
    if (plan.mode != RangeMode::NewAdditions || lastEnd < 1) {
        return; // the job never ran in this mode: there is nothing to compare
    }
    plan.lastQso = CheckLastQso(library, settings, log);
    // Without a stored signature there is no record to compare: the job wrote nothing in this mode that could have
    // changed since (only fewer records than the previous run ended at tell of a changed log then).
    const bool signatureStored = !TrimBlanks(plan.lastQso.stored).empty();
    plan.logChanged = plan.logShorterThanLastRun || (signatureStored && plan.lastQso.changed());
    if (!plan.logChanged) {
        return;
    }
    // Contacts deleted before the record written last (or inserted): that record now stands elsewhere, and the
    // records after it are the ones added since. Starting after last_end_rec_no would skip some of them, or all.
    plan.lastWrittenFoundAt = FindLastQso(library, log, plan.lastQso.stored);
    if (plan.lastWrittenFoundAt > 0) {
        JobSettings from = settings;
        from.last_end_rec_no = std::to_string(plan.lastWrittenFoundAt);
        const JobSummary summary = SummarizeJob(from, plan.record_count);
        plan.new_start_rec_no = summary.new_start_rec_no;
        plan.noNewRecords = summary.noNewRecords;
        plan.summary = summary.text;
        plan.range = RecordRangeFor(from, plan.mode, plan.record_count, plan.new_start_rec_no);
    } else if (plan.logShorterThanLastRun) {
        plan.runAnywayRefused =
            "ログのレコード数（" + std::to_string(plan.record_count) + " 件）が前回の出力最終番号 " +
            settings.last_end_rec_no +
            " より少なく、前回最後に出力したレコードもログに見つかりません。どこからが新しい QSO か分からないため、"
            "範囲設定を「全レコード」か「番号で範囲指定」にして実行し直してください。";
    }
}

} // namespace

JobPlan PlanJob(RecordLibrary& library, JobSettings& settings, const PlanOptions& options) {
    JobPlan refused;
    // A path never set is told as such, not as a file that cannot be opened under an empty name.
    if (TrimBlanks(settings.set_hdb_dir).empty() || TrimBlanks(settings.set_outcsv_dir).empty()) {
        refused.refusal = PlanRefusal::BadPaths;
        refused.reason = TrimBlanks(settings.set_hdb_dir).empty()
                             ? "入力ファイル（Hamlog のログ）が設定されていません。"
                             : "出力ファイル（CSV）が設定されていません。";
        return refused;
    }
    if (auto problem = CheckPathSetting(settings.set_hdb_dir, "ログファイル")) {
        refused.refusal = PlanRefusal::BadPaths;
        refused.reason = std::move(*problem);
        return refused;
    }
    if (auto problem = CheckPathSetting(settings.set_outcsv_dir, "出力ファイル")) {
        refused.refusal = PlanRefusal::BadPaths;
        refused.reason = std::move(*problem);
        return refused;
    }
    // Opening for reading looks at the master file too, which counting does not: a log that cannot be opened is
    // told with its cause before anything else is decided (a missing master file is no changed log).
    const std::filesystem::path log = JobFilePath(options.programFolder, settings.set_hdb_dir);
    const int openCode = library.checkOpen(log);
    const std::int32_t record_count = openCode == 0 ? library.countRecords(log) : -1;
    if (record_count < 0) {
        refused.refusal = PlanRefusal::LogUnreadable;
        refused.reason = LogOpenFailureText(log, openCode != 0 ? openCode : RecordLibrary::kLogInvalid);
        refused.logMissing = KindOfPath(log) == PathKind::Missing;
        return refused;
    }
    JobPlan plan = PlanJobForCount(settings, record_count, options);
    if (plan.stands()) {
        if (auto problem = CheckJobPaths(settings, options.programFolder)) {
            plan.refusal = PlanRefusal::BadPaths;
            plan.reason = std::move(*problem);
        }
    }
    if (plan.stands()) {
        if (auto problem = CheckAdifSettings(settings)) {
            plan.refusal = PlanRefusal::BadAdif;
            plan.reason = std::move(*problem);
        }
    }
    if (plan.stands()) {
        CheckNewAdditionsLog(library, settings, log, plan);
    }
    return plan;
}

JobPlan PlanJobForCount(JobSettings& settings, std::int32_t record_count, const PlanOptions& options) {
    JobPlan plan;
    plan.record_count = record_count;
    plan.counted = true;
    if (options.completeBlankSettings) {
        CompleteBlankSettings(settings, record_count);
    }
    if (auto problem = CheckRangeFlag(settings.select_flag)) {
        plan.refusal = problem->refusal;
        plan.reason = std::move(problem->reason);
        return plan;
    }
    const JobSummary summary = SummarizeJob(settings, record_count);
    plan.mode = *summary.mode;
    plan.new_start_rec_no = summary.new_start_rec_no;
    plan.noNewRecords = summary.noNewRecords;
    plan.summary = summary.text;
    plan.range = RecordRangeFor(settings, plan.mode, record_count, plan.new_start_rec_no);
    if (auto problem = CheckRangeSettings(settings, plan.mode)) {
        plan.refusal = PlanRefusal::BadRange;
        plan.reason = std::move(*problem);
        plan.noNewRecords = false;
        return plan;
    }
    if (plan.mode == RangeMode::NewAdditions && record_count < ValToRecordNumber(settings.last_end_rec_no)) {
        // Fewer records than the previous run ended at: contacts were deleted, so "nothing new" would hide the
        // contacts added since.
        plan.logShorterThanLastRun = true;
        plan.noNewRecords = false;
    }
    return plan;
}

namespace {

/// A whole number from `minimum` to the largest record number, read strictly (blanks around it allowed).
std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t minimum) {
    const std::optional<double> value = ParseDecimalNumber(text);
    if (!value || *value != std::floor(*value) || *value < static_cast<double>(minimum) ||
        *value > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

/// A calendar date of eight digits yyyymmdd (blanks around it allowed), as a number.
std::optional<std::int64_t> CalendarDate(std::string_view text) {
    text = TrimBlanks(text);
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const int year = std::stoi(std::string(text.substr(0, 4)));
    const int month = std::stoi(std::string(text.substr(4, 2)));
    const int day = std::stoi(std::string(text.substr(6, 2)));
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1] ||
        (month == 2 && day == 29 && !leap)) {
        return std::nullopt;
    }
    return std::stoll(std::string(text));
}

std::string Setting(std::string_view title, std::string_view key, std::string_view value) {
    return std::string(title) + " " + std::string(key) + " の値「" + std::string(value) + "」";
}

} // namespace

std::optional<RangeFlagProblem> CheckRangeFlag(std::string_view select_flag) {
    if (RangeModeFromFlag(select_flag)) {
        return std::nullopt;
    }
    if (TrimBlanks(select_flag).empty()) {
        return RangeFlagProblem{PlanRefusal::RangeNotSet, "範囲設定が保存されていません。"};
    }
    return RangeFlagProblem{PlanRefusal::BadRange,
                            "範囲設定の" + Setting("種類", "select_flag", select_flag) +
                                "は 0 から 4 のどれでもありません（範囲設定で選び直して保存してください）。"};
}

std::optional<std::string> CheckRangeSettings(const JobSettings& s, RangeMode mode) {
    switch (mode) {
    case RangeMode::All:
        return std::nullopt;
    case RangeMode::DateRange: {
        const auto start = CalendarDate(s.set_start_date);
        if (!start) {
            return "範囲設定の" + Setting("開始日", "set_start_date", s.set_start_date) +
                   "は日付（年月日の 8 桁）ではありません。";
        }
        const auto end = CalendarDate(s.set_end_date);
        if (!end) {
            return "範囲設定の" + Setting("終了日", "set_end_date", s.set_end_date) +
                   "は日付（年月日の 8 桁）ではありません。";
        }
        if (*start > *end) {
            return "範囲設定の開始日 set_start_date「" + s.set_start_date + "」が終了日 set_end_date「" +
                   s.set_end_date + "」より後です。";
        }
        return std::nullopt;
    }
    case RangeMode::RecordNumbers: {
        const auto start = WholeNumber(s.set_start_rec_no, 0);
        if (!start) {
            return "範囲設定の" + Setting("開始番号", "set_start_rec_no", s.set_start_rec_no) +
                   "はレコード番号ではありません。";
        }
        if (s.set_anytime_last == "1") {
            return std::nullopt;
        }
        const auto end = WholeNumber(s.set_end_rec_no, 0);
        if (!end) {
            return "範囲設定の" + Setting("終了番号", "set_end_rec_no", s.set_end_rec_no) +
                   "はレコード番号ではありません。";
        }
        if (*start > *end) {
            return "範囲設定の開始番号 set_start_rec_no「" + s.set_start_rec_no + "」が終了番号 set_end_rec_no「" +
                   s.set_end_rec_no + "」より大きくなっています。";
        }
        return std::nullopt;
    }
    case RangeMode::LastN:
        if (!WholeNumber(s.set_rec_hani, 1)) {
            return "範囲設定の" + Setting("レコード数", "set_rec_hani", s.set_rec_hani) +
                   "は 1 以上の整数ではありません。";
        }
        return std::nullopt;
    case RangeMode::NewAdditions:
        if (!TrimBlanks(s.last_end_rec_no).empty() && !WholeNumber(s.last_end_rec_no, 0)) {
            return Setting("前回の出力最終番号", "last_end_rec_no", s.last_end_rec_no) +
                   "はレコード番号ではありません。";
        }
        return std::nullopt;
    }
    return std::nullopt;
}

LastQsoCheck CheckLastQso(RecordLibrary& library, const JobSettings& settings, const std::filesystem::path& log) {
    LastQsoCheck check;
    check.stored = settings.select_flag_new_add_last_QSO_data;
    const std::int32_t lastEnd = ValToRecordNumber(settings.last_end_rec_no);
    if (library.open(log) == 0) {
        std::array<std::string, 16> fields;
        // A previous run that ended at record 1 or later expects a record there.
        check.recordMissing = !library.read(lastEnd) && lastEnd >= 1;
        library.fields(fields);
        check.current = Cp932Codec::decodeLossy(StoredLastQsoSignature(fields));
    }
    library.close();
    return check;
}

std::int64_t FindLastQso(RecordLibrary& library, const std::filesystem::path& log, const std::string& signature) {
    if (TrimBlanks(signature).empty()) {
        return 0; // no signature was stored: there is nothing to look for
    }
    std::int64_t found = 0;
    const std::int32_t count = library.countRecords(log);
    if (count > 0 && library.open(log) == 0) {
        // The fields of the signature only; the others stay empty (StoredLastQsoSignature does not use them).
        std::array<std::string, 16> fields;
        for (std::int32_t number = count; number >= 1 && found == 0; --number) {
            if (!library.read(number)) {
                continue;
            }
            for (const int field : {1, 2, 3, 6, 7, 8}) {
                fields[static_cast<std::size_t>(field - 1)] = library.field(field);
            }
            if (Cp932Codec::decodeLossy(StoredLastQsoSignature(fields)) == signature) {
                found = number;
            }
        }
    }
    library.close();
    return found;
}

} // namespace zentu
