#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zentu {

/// Widens a two-digit year: above 50 gives 19yy, 50 and below 20yy ("50" is 2050, "51" 1951, "00" 2000).
int WidenYear(int twoDigitYear);

/// Shifts a JST date yyyymmdd and a time whose first four characters are hhmm back 9 hours.
/// Out: the date yyyymmdd and the time hhmm followed by "U". Returns false, leaving the outputs
/// untouched, when the input does not form a valid date-time (the date must be exactly eight digits,
/// year 0001 to 9999; what follows the four time digits is not looked at).
bool conv_J2U(std::string_view date, std::string_view time, std::string& outDate, std::string& outTime);

/// From a date yymmdd and a time hhmm plus zone letter: QSO_DATE yyyymmdd and TIME_ON hhmm, 9 hours earlier.
/// Returns false, leaving the outputs untouched, when the input does not form a valid date-time (the date
/// must be exactly six digits; after the four time digits only "J", "U" or nothing may follow, blanks aside).
bool conv_J2U_2(std::string_view date, std::string_view time, std::string& qsoDate, std::string& timeOn);

/// As conv_J2U_2 without the shift.
bool conv_UTC(std::string_view date, std::string_view time, std::string& qsoDate, std::string& timeOn);

/// conv_J2U_2 (`shift`) or conv_UTC writing QSO_DATE to qsoDate[0..7] and TIME_ON to timeOn[0..3], for the ADIF
/// writer's loop, which makes no strings per record.
bool RecordDateTimeToUtc(std::string_view date, std::string_view time, bool shift, char* qsoDate, char* timeOn);

/// The date range of range mode 1 as 12-digit numbers yyyymmddhhmm.
struct RangeKeys {
    std::int64_t start_key = 0;
    std::int64_t end_key = 0;
    bool valid = true; ///< false when a range date does not form a valid date (then no record is taken)
};

/// Builds the range keys from set_start_date, set_end_date (yyyymmdd, blanks around them ignored) and
/// set_date_time_UJ. "JST": both ends shifted to UTC (start at 00:00, end at 23:59); anything else: taken
/// as they are.
RangeKeys MakeRangeKeys(std::string_view startDate, std::string_view endDate, std::string_view dateTimeUJ);

/// What the date filter decided for one record.
enum class DateDecision { Take, Skip, Invalid };

/// The date filter of range mode 1 for one record, from its date "yy/mm/dd" and time "hh:mmJ"/"hh:mmU"
/// (CP932 bytes as the library gave them). A time without zone letter counts as UTC.
/// A record whose date or time does not form a valid date-time is not taken (Invalid), in every
/// comparison mode. Keys that are not valid take no record (Skip).
DateDecision Date_sub(std::string_view dateField, std::string_view timeField, const RangeKeys& keys,
                      std::string_view dateTimeUJ);

} // namespace zentu
