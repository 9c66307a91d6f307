#pragma once

#include <optional>
#include <string_view>

namespace zentu {

/// How a job chooses its records: the number form of the stored select_flag "0" to "4".
enum class RangeMode {
    All = 0,           ///< every record
    DateRange = 1,     ///< records whose date and time lie in a range (JST, UTC or date alone)
    RecordNumbers = 2, ///< records from one number to another (or to the newest)
    LastN = 3,         ///< the newest N records
    NewAdditions = 4,  ///< records added since the job's previous run
};

/// The range mode a select_flag names: exactly "0" to "4". Anything else, the empty text included (a job whose range
/// was never saved), names none.
std::optional<RangeMode> RangeModeFromFlag(std::string_view select_flag);

/// The stored text of a range mode ("0" to "4").
std::string_view FlagOfRangeMode(RangeMode mode);

/// How a date range is compared: in UTC, in JST, or by the date alone.
enum class TimeBase {
    Utc = 0,
    Jst = 1,
    DateOnly = 2,
};

/// The time base a stored set_date_time_UJ names: "UTC", "JST", and any other text (blank included) the date alone.
TimeBase TimeBaseFromSetting(std::string_view set_date_time_UJ);

/// The stored text of a time base: "UTC", "JST" or "NON".
std::string_view SettingOfTimeBase(TimeBase base);

} // namespace zentu
