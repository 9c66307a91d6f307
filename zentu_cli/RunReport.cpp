#include "RunReport.h"

#include "convert/RangeMode.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"
#include "settings/JobSettings.h"

#include <nlohmann/json.hpp>

namespace zentu {

namespace {

using Json = nlohmann::ordered_json;

std::string_view RangeName(RangeMode mode) {
    switch (mode) {
    case RangeMode::All:
        return "all";
    case RangeMode::DateRange:
        return "date_range";
    case RangeMode::RecordNumbers:
        return "record_numbers";
    case RangeMode::LastN:
        return "last_n";
    case RangeMode::NewAdditions:
        return "new_additions";
    }
    return "all";
}

Json LeftOutJson(const LeftOutRecords& records) {
    Json byReason = Json::object();
    for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
        if (records.byReason[i] > 0) {
            byReason[std::string(LeftOutReasonCode(LeftOutReasonAt(i)))] = records.byReason[i];
        }
    }
    Json list = Json::array();
    for (const LeftOutRecord& record : records.records) {
        Json reasons = Json::array();
        Json texts = Json::array();
        for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
            if ((record.reasons & Bit(LeftOutReasonAt(i))) != 0) {
                reasons.push_back(LeftOutReasonCode(LeftOutReasonAt(i)));
                texts.push_back(LeftOutReasonText(LeftOutReasonAt(i)));
            }
        }
        list.push_back(Json{{"record", record.number}, {"reasons", reasons}, {"texts", texts}});
    }
    return Json{{"count", records.count}, {"by_reason", byReason}, {"records", list}};
}

} // namespace

std::string RunReportJson(const RunReport& report) {
    Json json;
    json["program"] = "zentu_cli";
    json["version"] = kZentuVersion;
    json["job"] = report.job;
    json["job_name"] = report.jobName;
    json["folder"] = Utf8FromPath(report.folder);
    json["status"] = report.status;
    json["exit_status"] = report.exitStatus;
    json["messages"] = report.messages;
    json["adif"] = report.adifAsked;
    json["adif_v31"] = report.adifV31;
    if (report.plan && report.plan->counted) {
        json["log_records"] = report.plan->record_count;
    }
    if (report.plan && report.plan->stands()) {
        const RecordRange& range = report.plan->range;
        json["range"] = Json{{"mode", RangeName(report.plan->mode)},
                             {"first", range.first},
                             {"last", range.last},
                             {"summary", report.plan->summary}};
    }
    if (report.result && report.result->ok) {
        const RunResult& result = *report.result;
        json["records_read"] = result.recordsRead;
        json["csv_lines"] = result.output_count;
        json["adif_records"] = result.adifPath.empty() ? Json(nullptr) : Json(result.adifRecords());
        json["adif_left_out"] = LeftOutJson(result.adifLeftOut);
        json["date_range_left_out"] = LeftOutJson(result.dateRangeUndecided);
        json["outputs"] = Json{{"csv", Utf8FromPath(result.csvPath)},
                               {"adif", result.adifPath.empty() ? Json(nullptr) : Json(Utf8FromPath(result.adifPath))}};
    }
    // Texts that are not UTF-8 (a path of bytes from a hand-edited file) are written with replacement characters
    // rather than failing the report.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool WriteRunReport(const std::filesystem::path& file, const RunReport& report, std::string& error) {
    return AtomicFile::writeWhole(file, RunReportJson(report), &error, "レポートファイル");
}

} // namespace zentu
