#include "convert/JobSummary.h"

#include "convert/JobPlan.h"
#include "settings/JobSettings.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zentu {

namespace {

// "　" below is the ideographic space U+3000, "～" the full-width tilde U+FF5E (CP932 0x8160).
constexpr std::string_view kPrefix = "出力データ ： ";
constexpr std::string_view kTo = "　～　";

/// Val(text) + 1 as a whole record number: the first record after the previous run's last one.
std::int64_t NextRecordNumber(std::string_view lastEnd) {
    const double next = RoundHalfEven(Val(lastEnd) + 1.0);
    // Record numbers are 32-bit; clamping keeps absurd hand-edited values from overflowing.
    constexpr double kLow = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<std::int32_t>::max()) + 1.0;
    return static_cast<std::int64_t>(std::clamp(next, kLow, kHigh));
}

} // namespace

JobSummary SummarizeJob(const JobSettings& settings, std::int32_t record_count) {
    JobSummary summary;
    const std::optional<RangeMode> mode = RangeModeFromFlag(settings.select_flag);
    if (!mode) {
        return summary;
    }
    std::string text(kPrefix);
    switch (*mode) {
    case RangeMode::All:
        text += "全レコード";
        break;
    case RangeMode::DateRange:
        text += "日付で範囲指定 ：　" + settings.set_start_date + std::string(kTo) + settings.set_end_date;
        text += settings.set_date_time_UJ == "NON" ? std::string("  UTC/JST 無視") : "  " + settings.set_date_time_UJ;
        break;
    case RangeMode::RecordNumbers: {
        // Running to the newest record, the run ends at the record count whatever end was stored.
        const std::string end =
            settings.set_anytime_last == "1" ? std::to_string(record_count) : settings.set_end_rec_no;
        text += "番号で範囲指定 ：　" + settings.set_start_rec_no + std::string(kTo) + end;
        break;
    }
    case RangeMode::LastN: {
        // The newest N records: count - N + 1 to count (from record 1 when N is larger than the log), whatever
        // numbers were stored beside N.
        const RecordRange range = RecordRangeFor(settings, RangeMode::LastN, record_count, {});
        text += "最終までの指定レコード数 ：（ " + settings.set_rec_hani + " ）　　" + std::to_string(range.first) +
                std::string(kTo) + std::to_string(range.last);
        break;
    }
    case RangeMode::NewAdditions: {
        const std::int64_t start = NextRecordNumber(settings.last_end_rec_no);
        summary.new_start_rec_no = std::to_string(start);
        summary.noNewRecords = record_count < start;
        text += "新規追加分のみ ：";
        text += summary.noNewRecords ? std::string(29, ' ') : "  " + summary.new_start_rec_no;
        text += std::string(kTo) + std::to_string(record_count);
        break;
    }
    }
    summary.mode = mode;
    summary.text = std::move(text);
    return summary;
}

void CompleteBlankSettings(JobSettings& settings, std::int32_t record_count) {
    if (IsBlank(settings.set_end_rec_no)) {
        settings.set_end_rec_no = std::to_string(record_count);
    }
    if (IsBlank(settings.set_start_date)) {
        settings.set_start_date = "20100101";
    }
    if (IsBlank(settings.set_end_date)) {
        settings.set_end_date = "20100201";
    }
    if (IsBlank(settings.set_start_rec_no)) {
        settings.set_start_rec_no = "1";
    }
    if (IsBlank(settings.last_start_rec_no)) {
        settings.last_start_rec_no = "0";
    }
    if (IsBlank(settings.last_end_rec_no)) {
        settings.last_end_rec_no = "0";
    }
}

std::string LastQsoSignature(const std::array<std::string, 16>& fields) {
    return fields[0] + "_" + fields[1] + "_" + fields[2] + "_" + fields[5] + "_" + fields[6] + "_" + fields[7];
}

std::string StoredLastQsoSignature(const std::array<std::string, 16>& rawFields) {
    std::string signature = LastQsoSignature(rawFields);
    for (char& c : signature) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return StoredBytesAsLoaded(signature);
}

} // namespace zentu
