#include "convert/LogBounds.h"

#include "convert/DateTime.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>

namespace zentu {

namespace {

/// A blank date takes the log's date, or `fallback` (kept in the bound as well) when the log gave none.
void CompleteDate(std::string& date, std::string& logDate, const char* fallback) {
    if (!date.empty()) {
        return;
    }
    if (logDate.empty()) {
        logDate = fallback;
    }
    date = logDate;
}

} // namespace

std::string FullLogDate(std::string_view dateField) {
    const std::string digits = RemoveAll(dateField, "/");
    // The first two characters are the year; what is not a year of 0 to 99 counts as this century's.
    const double year = std::clamp(Val(std::string_view(digits).substr(0, 2)), 0.0, 99.0);
    const std::string century = std::to_string(WidenYear(static_cast<int>(year)) / 100);
    return std::string(TrimBlanks(century + digits));
}

void CountLog(const RecordLibrary& library, const std::filesystem::path& log, LogBounds& bounds) {
    bounds.log_last_rec_no = std::to_string(std::max(library.countRecords(log), 0));
}

int ReadLogBounds(RecordLibrary& library, const std::filesystem::path& log, LogBounds& bounds) {
    CountLog(library, log, bounds);
    const int code = library.open(log);
    if (code == 0) {
        const std::int32_t count = ValToRecordNumber(bounds.log_last_rec_no);
        if (count >= 1) {
            library.read(1);
            bounds.log_first_date = FullLogDate(library.field(2));
            library.read(count);
            bounds.log_last_date = FullLogDate(library.field(2));
        } else {
            bounds.log_first_date.clear();
            bounds.log_last_date.clear();
        }
    }
    library.close();
    return code;
}

void CompleteRangeDates(JobSettings& settings, LogBounds& bounds) {
    CompleteDate(settings.set_start_date, bounds.log_first_date, "20040101");
    CompleteDate(settings.set_end_date, bounds.log_last_date, "20040110");
}

} // namespace zentu
