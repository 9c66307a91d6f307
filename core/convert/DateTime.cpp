#include "convert/DateTime.h"

#include <array>
#include <chrono>
#include <optional>

#include "text/TextHelpers.h"

namespace zentu {

namespace {

namespace chr = std::chrono;

constexpr int kJstOffsetHours = 9;

/// A date and a time of day whose parts are known to be valid.
struct DateTimeValue {
    chr::year_month_day date;
    int hour = 0;
    int minute = 0;
};

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

/// The value of a text made only of ASCII digits; nothing for an empty text or any other character.
std::optional<int> DigitsValue(std::string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<chr::year_month_day> MakeDate(int year, int month, int day) {
    // The Gregorian calendar's month lengths, checked here rather than by year_month_day::ok(): the date filter asks
    // this for every record.
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return std::nullopt;
    }
    if (day > kDays[month - 1]) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        if (!(month == 2 && day == 29 && leap)) {
            return std::nullopt;
        }
    }
    return chr::year_month_day{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                               chr::day{static_cast<unsigned>(day)}};
}

/// A date yyyymmdd of exactly eight digits.
std::optional<chr::year_month_day> ParseLongDate(std::string_view text) {
    if (text.size() != 8) {
        return std::nullopt;
    }
    const auto year = DigitsValue(text.substr(0, 4));
    const auto month = DigitsValue(text.substr(4, 2));
    const auto day = DigitsValue(text.substr(6, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    return MakeDate(*year, *month, *day);
}

/// A date yymmdd of exactly six digits, the year widened by the century rule.
std::optional<chr::year_month_day> ParseShortDate(std::string_view text) {
    if (text.size() != 6) {
        return std::nullopt;
    }
    const auto year = DigitsValue(text.substr(0, 2));
    const auto month = DigitsValue(text.substr(2, 2));
    const auto day = DigitsValue(text.substr(4, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    return MakeDate(WidenYear(*year), *month, *day);
}

/// Hour and minute from the first four characters hhmm of a text.
std::optional<std::pair<int, int>> ParseHourMinute(std::string_view text) {
    if (text.size() < 4) {
        return std::nullopt;
    }
    const auto hour = DigitsValue(text.substr(0, 2));
    const auto minute = DigitsValue(text.substr(2, 2));
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return std::pair{*hour, *minute};
}

/// A record's time hhmm followed by its zone: "J", "U" or nothing (blanks around the zone are allowed).
std::optional<std::pair<int, int>> ParseRecordTime(std::string_view text) {
    const auto hourMinute = ParseHourMinute(text);
    if (!hourMinute) {
        return std::nullopt;
    }
    const std::string_view zone = TrimBlanks(text.substr(4));
    if (!zone.empty() && zone != "J" && zone != "U") {
        return std::nullopt;
    }
    return hourMinute;
}

DateTimeValue ShiftToUtc(const DateTimeValue& jst) {
    const chr::sys_time<chr::minutes> point =
        chr::sys_days{jst.date} + chr::hours{jst.hour} + chr::minutes{jst.minute} - chr::hours{kJstOffsetHours};
    const chr::sys_days day = chr::floor<chr::days>(point);
    const auto minutesOfDay = static_cast<int>((point - day).count());
    return DateTimeValue{chr::year_month_day{day}, minutesOfDay / 60, minutesOfDay % 60};
}

/// The last `width` decimal digits of a value, zero-padded on the left.
void WriteDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + (value > 0 ? value % 10 : 0));
        value /= 10;
    }
}

/// yyyymmdd into out[0..7].
void WriteDate(char* out, const chr::year_month_day& date) {
    WriteDigits(out, static_cast<int>(date.year()), 4);
    WriteDigits(out + 4, static_cast<int>(static_cast<unsigned>(date.month())), 2);
    WriteDigits(out + 6, static_cast<int>(static_cast<unsigned>(date.day())), 2);
}

/// hhmm into out[0..3].
void WriteTime(char* out, int hour, int minute) {
    WriteDigits(out, hour, 2);
    WriteDigits(out + 2, minute, 2);
}

std::string FormatDate(const chr::year_month_day& date) {
    std::string text(8, '0');
    WriteDate(text.data(), date);
    return text;
}

std::string FormatTime(int hour, int minute) {
    std::string text(4, '0');
    WriteTime(text.data(), hour, minute);
    return text;
}

std::int64_t DateNumber(const chr::year_month_day& date) {
    return static_cast<std::int64_t>(static_cast<int>(date.year())) * 10000 +
           static_cast<std::int64_t>(static_cast<unsigned>(date.month())) * 100 +
           static_cast<std::int64_t>(static_cast<unsigned>(date.day()));
}

std::int64_t Key(const chr::year_month_day& date, int hour, int minute) {
    return DateNumber(date) * 10000 + hour * 100 + minute;
}

/// The calendar date of the first eight digits of a 12-digit key, when they form one.
std::optional<chr::year_month_day> KeyDate(std::int64_t key) {
    const std::int64_t date = key / 10000;
    if (date < 0 || date > 99991231) {
        return std::nullopt;
    }
    return MakeDate(static_cast<int>(date / 10000), static_cast<int>(date / 100 % 100), static_cast<int>(date % 100));
}

/// Whether a date lies within one calendar day of an edge date.
bool IsNextTo(const chr::year_month_day& date, const std::optional<chr::year_month_day>& edge) {
    if (!edge) {
        return false;
    }
    const auto distance = (chr::sys_days{date} - chr::sys_days{*edge}).count();
    return distance >= -1 && distance <= 1;
}

/// The common part of conv_J2U_2 and conv_UTC.
bool ConvertRecordDateTime(std::string_view date, std::string_view time, bool shift, std::string& qsoDate,
                           std::string& timeOn) {
    char dateText[8];
    char timeText[4];
    if (!RecordDateTimeToUtc(date, time, shift, dateText, timeText)) {
        return false;
    }
    qsoDate.assign(dateText, sizeof dateText);
    timeOn.assign(timeText, sizeof timeText);
    return true;
}

/// The text without any of the character `removed`: in `buffer` when it fits there, else in `spill`. The date
/// filter looks at every record, so it makes no string for the usual short field.
std::string_view WithoutChar(std::string_view text, char removed, std::array<char, 16>& buffer, std::string& spill) {
    if (text.size() > buffer.size()) {
        spill = RemoveAll(text, std::string_view(&removed, 1));
        return spill;
    }
    std::size_t length = 0;
    for (const char c : text) {
        if (c != removed) {
            buffer[length++] = c;
        }
    }
    return {buffer.data(), length};
}

} // namespace

int WidenYear(int twoDigitYear) {
    return twoDigitYear > 50 ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

bool conv_J2U(std::string_view date, std::string_view time, std::string& outDate, std::string& outTime) {
    const auto day = ParseLongDate(date);
    const auto hourMinute = ParseHourMinute(time);
    if (!day || !hourMinute) {
        return false;
    }
    const DateTimeValue utc = ShiftToUtc(DateTimeValue{*day, hourMinute->first, hourMinute->second});
    outDate = FormatDate(utc.date);
    outTime = FormatTime(utc.hour, utc.minute) + "U";
    return true;
}

bool RecordDateTimeToUtc(std::string_view date, std::string_view time, bool shift, char* qsoDate, char* timeOn) {
    const auto day = ParseShortDate(date);
    const auto hourMinute = ParseRecordTime(time);
    if (!day || !hourMinute) {
        return false;
    }
    DateTimeValue value{*day, hourMinute->first, hourMinute->second};
    if (shift) {
        value = ShiftToUtc(value);
    }
    WriteDate(qsoDate, value.date);
    WriteTime(timeOn, value.hour, value.minute);
    return true;
}

bool conv_J2U_2(std::string_view date, std::string_view time, std::string& qsoDate, std::string& timeOn) {
    return ConvertRecordDateTime(date, time, true, qsoDate, timeOn);
}

bool conv_UTC(std::string_view date, std::string_view time, std::string& qsoDate, std::string& timeOn) {
    return ConvertRecordDateTime(date, time, false, qsoDate, timeOn);
}

RangeKeys MakeRangeKeys(std::string_view startDate, std::string_view endDate, std::string_view dateTimeUJ) {
    RangeKeys keys;
    const auto start = ParseLongDate(TrimBlanks(startDate));
    const auto end = ParseLongDate(TrimBlanks(endDate));
    if (!start || !end) {
        keys.valid = false;
        return keys;
    }
    if (dateTimeUJ == "JST") {
        // The range is given in JST days: from 00:00 JST of the first day to 23:59 JST of the last.
        const DateTimeValue from = ShiftToUtc(DateTimeValue{*start, 0, 0});
        const DateTimeValue to = ShiftToUtc(DateTimeValue{*end, 23, 59});
        keys.start_key = Key(from.date, from.hour, from.minute);
        keys.end_key = Key(to.date, to.hour, to.minute);
    } else {
        keys.start_key = Key(*start, 0, 0);
        keys.end_key = Key(*end, 23, 59);
    }
    return keys;
}

namespace {

/// A record's date and time as the date filter reads them.
struct RecordMoment {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    bool jst = false;
};

bool IsValidDay(int year, int month, int day) {
    return MakeDate(year, month, day).has_value();
}

int TwoDigits(char tens, char ones) {
    return (tens - '0') * 10 + (ones - '0');
}

/// The date "yy/mm/dd" without its slashes and the time "hh:mm" with its zone without its colon, each read as a
/// whole (a record whose date or time is anything else gives nothing). The usual form of both, eight and six
/// characters with the separators in their places, is read where it stands; it reads the same either way.
std::optional<RecordMoment> ReadRecordMoment(std::string_view dateField, std::string_view timeField) {
    const auto digit = [](char c) { return IsAsciiDigit(c); };
    if (dateField.size() == 8 && dateField[2] == '/' && dateField[5] == '/' && timeField.size() == 6 &&
        timeField[2] == ':' && digit(timeField[0]) && digit(timeField[1]) && digit(timeField[3]) &&
        digit(timeField[4]) &&
        (timeField[5] == 'J' || timeField[5] == 'U' || timeField[5] == ' ' || timeField[5] == '\t')) {
        if (!digit(dateField[0]) || !digit(dateField[1]) || !digit(dateField[3]) || !digit(dateField[4]) ||
            !digit(dateField[6]) || !digit(dateField[7])) {
            return std::nullopt;
        }
        RecordMoment moment;
        moment.year = WidenYear(TwoDigits(dateField[0], dateField[1]));
        moment.month = TwoDigits(dateField[3], dateField[4]);
        moment.day = TwoDigits(dateField[6], dateField[7]);
        moment.hour = TwoDigits(timeField[0], timeField[1]);
        moment.minute = TwoDigits(timeField[3], timeField[4]);
        moment.jst = timeField[5] == 'J';
        if (!IsValidDay(moment.year, moment.month, moment.day) || moment.hour > 23 || moment.minute > 59) {
            return std::nullopt;
        }
        return moment;
    }
    std::array<char, 16> dateBuffer;
    std::array<char, 16> timeBuffer;
    std::string dateSpill;
    std::string timeSpill;
    const auto date = ParseShortDate(WithoutChar(dateField, '/', dateBuffer, dateSpill));
    const std::string_view time = WithoutChar(timeField, ':', timeBuffer, timeSpill);
    const auto hourMinute = ParseRecordTime(time);
    if (!date || !hourMinute) {
        return std::nullopt;
    }
    return RecordMoment{static_cast<int>(date->year()),
                        static_cast<int>(static_cast<unsigned>(date->month())),
                        static_cast<int>(static_cast<unsigned>(date->day())),
                        hourMinute->first,
                        hourMinute->second,
                        time.find('J') != std::string_view::npos};
}

/// Whether a date (as yyyymmdd) may lie within one calendar day of an edge date: the numbers are at most one apart
/// (days of one month), or one is the first of a month and the other a day from the 28th on of the month before (the
/// turn of a month or a year). Only then are the calendar days compared.
bool MayBeNextTo(std::int64_t date, std::int64_t edge) {
    if (date - edge <= 1 && edge - date <= 1) {
        return true;
    }
    const auto monthBefore = [](std::int64_t yearMonth) {
        return yearMonth % 100 == 1 ? yearMonth - 100 + 11 : yearMonth - 1;
    };
    const auto turnsInto = [&](std::int64_t earlier, std::int64_t later) {
        return later % 100 == 1 && earlier % 100 >= 28 && earlier / 100 == monthBefore(later / 100);
    };
    return turnsInto(date, edge) || turnsInto(edge, date);
}

} // namespace

DateDecision Date_sub(std::string_view dateField, std::string_view timeField, const RangeKeys& keys,
                      std::string_view dateTimeUJ) {
    if (!keys.valid) {
        return DateDecision::Skip;
    }
    const std::optional<RecordMoment> moment = ReadRecordMoment(dateField, timeField);
    if (!moment) {
        return DateDecision::Invalid;
    }

    const std::int64_t d = static_cast<std::int64_t>(moment->year) * 10000 + moment->month * 100 + moment->day;
    const std::int64_t s = keys.start_key / 10000;
    const std::int64_t e = keys.end_key / 10000;
    if (dateTimeUJ == "NON") {
        return s <= d && d <= e ? DateDecision::Take : DateDecision::Skip;
    }
    if (s < d && d < e) {
        return DateDecision::Take;
    }

    // At the range's edges the time decides; a JST time is moved to UTC first, which may move the date
    // back a day. Farther away the date alone already puts the record outside.
    std::int64_t k = d * 10000 + moment->hour * 100 + moment->minute;
    if (moment->jst && (MayBeNextTo(d, s) || MayBeNextTo(d, e))) {
        const chr::year_month_day date{chr::year{moment->year}, chr::month{static_cast<unsigned>(moment->month)},
                                       chr::day{static_cast<unsigned>(moment->day)}};
        if (IsNextTo(date, KeyDate(keys.start_key)) || IsNextTo(date, KeyDate(keys.end_key))) {
            const DateTimeValue utc = ShiftToUtc(DateTimeValue{date, moment->hour, moment->minute});
            k = Key(utc.date, utc.hour, utc.minute);
        }
    }
    return keys.start_key <= k && k <= keys.end_key ? DateDecision::Take : DateDecision::Skip;
}

} // namespace zentu
