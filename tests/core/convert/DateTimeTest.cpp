#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "convert/DateTime.h"

namespace zentu {
namespace {

struct Converted {
    bool ok = false;
    std::string date = "untouched";
    std::string time = "untouched";
};

Converted J2U(std::string_view date, std::string_view time) {
    Converted c;
    c.ok = conv_J2U(date, time, c.date, c.time);
    return c;
}

Converted J2U2(std::string_view date, std::string_view time) {
    Converted c;
    c.ok = conv_J2U_2(date, time, c.date, c.time);
    return c;
}

Converted Utc(std::string_view date, std::string_view time) {
    Converted c;
    c.ok = conv_UTC(date, time, c.date, c.time);
    return c;
}

TEST(DateTime, WidensTwoDigitYearsAroundFifty) {
    EXPECT_EQ(WidenYear(50), 2050);
    EXPECT_EQ(WidenYear(51), 1951);
    EXPECT_EQ(WidenYear(0), 2000);
    EXPECT_EQ(WidenYear(99), 1999);
}

TEST(DateTime, ShiftsJstToUtcAcrossDayMonthYearAndLeapDay) {
    struct Case {
        const char* date;
        const char* time;
        const char* qsoDate;
        const char* timeOn;
    };
    const std::vector<Case> cases = {
        {"100101", "0300J", "20091231", "1800"}, // year end
        {"091231", "2330J", "20091231", "1430"}, // same day
        {"100101", "0900J", "20100101", "0000"}, // exactly midnight
        {"080301", "0500J", "20080229", "2000"}, // leap day
        {"090301", "0500J", "20090228", "2000"}, // no leap day
        {"000301", "0100J", "20000229", "1600"}, // 2000 is a leap year
        {"500101", "0000J", "20491231", "1500"}, // 50 is 2050
        {"510701", "0830J", "19510630", "2330"}, // 51 is 1951
    };
    for (const Case& c : cases) {
        const Converted got = J2U2(c.date, c.time);
        EXPECT_TRUE(got.ok) << c.date << " " << c.time;
        EXPECT_EQ(got.date, c.qsoDate) << c.date << " " << c.time;
        EXPECT_EQ(got.time, c.timeOn) << c.date << " " << c.time;
    }
}

TEST(DateTime, UtcConversionOnlyWidensAndFormats) {
    const Converted utc = Utc("100101", "0300U");
    EXPECT_TRUE(utc.ok);
    EXPECT_EQ(utc.date, "20100101");
    EXPECT_EQ(utc.time, "0300");

    const Converted noZone = Utc("991231", "2359");
    EXPECT_TRUE(noZone.ok);
    EXPECT_EQ(noZone.date, "19991231");
    EXPECT_EQ(noZone.time, "2359");
}

TEST(DateTime, LongDateShiftKeepsUtcMarker) {
    const Converted start = J2U("20100101", "0000");
    EXPECT_TRUE(start.ok);
    EXPECT_EQ(start.date, "20091231");
    EXPECT_EQ(start.time, "1500U");

    const Converted leap = J2U("20120301", "0859J");
    EXPECT_TRUE(leap.ok);
    EXPECT_EQ(leap.date, "20120229");
    EXPECT_EQ(leap.time, "2359U");
}

TEST(DateTime, RejectsInvalidDatesAndTimesWithoutTouchingOutputs) {
    const std::vector<std::pair<const char*, const char*>> shortForms = {
        {"101301", "0300J"},  // 13th month
        {"100230", "0300J"},  // 30 February
        {"090229", "0300J"},  // no leap day in 2009
        {"100100", "0300J"},  // day 0
        {"100101", "2500J"},  // hour 25
        {"100101", "1260J"},  // minute 60
        {"1a0101", "0300J"},  // letter in the date
        {"100101", "03x0J"},  // letter in the time
        {"10011", "0300J"},   // short date
        {"1001011", "0300J"}, // long date
        {"100101", "030"},    // short time
        {"100101", "0300X"},  // unknown zone letter
        {"", ""},
    };
    for (const auto& [date, time] : shortForms) {
        for (const Converted& got : {J2U2(date, time), Utc(date, time)}) {
            EXPECT_FALSE(got.ok) << date << " " << time;
            EXPECT_EQ(got.date, "untouched") << date << " " << time;
            EXPECT_EQ(got.time, "untouched") << date << " " << time;
        }
    }

    const std::vector<std::pair<const char*, const char*>> longForms = {
        {"20101301", "0000"}, {"20100132", "0000"}, {"2010010", "0000"},  {"00000101", "0000"},
        {"20100101", "2400"}, {"20100101", "12"},   {"2010/1/1", "0000"},
    };
    for (const auto& [date, time] : longForms) {
        const Converted got = J2U(date, time);
        EXPECT_FALSE(got.ok) << date << " " << time;
        EXPECT_EQ(got.date, "untouched");
        EXPECT_EQ(got.time, "untouched");
    }
}

TEST(RangeKeys, JstRangeIsComparedInUtc) {
    const RangeKeys keys = MakeRangeKeys("20100101", "20100131", "JST");
    EXPECT_TRUE(keys.valid);
    EXPECT_EQ(keys.start_key, 200912311500);
    EXPECT_EQ(keys.end_key, 201001311459);
}

TEST(RangeKeys, OtherRangesTakeTheDatesAsTheyAre) {
    for (const char* uj : {"UTC", "NON", ""}) {
        const RangeKeys keys = MakeRangeKeys("20100101", "20100131", uj);
        EXPECT_TRUE(keys.valid);
        EXPECT_EQ(keys.start_key, 201001010000);
        EXPECT_EQ(keys.end_key, 201001312359);
    }
}

TEST(RangeKeys, InvalidRangeDateTakesNoRecord) {
    for (const char* bad : {"", "2010011", "20100230", "2010Jan1"}) {
        for (const char* uj : {"JST", "UTC"}) {
            const RangeKeys keys = MakeRangeKeys(bad, "20100131", uj);
            EXPECT_FALSE(keys.valid) << bad;
            EXPECT_EQ(Date_sub("10/01/15", "12:00J", keys, uj), DateDecision::Skip);
        }
    }
    EXPECT_FALSE(MakeRangeKeys("20100101", "20101301", "NON").valid);
}

TEST(DateFilter, JstRangeTakesRecordsByTheirUtcTime) {
    const RangeKeys keys = MakeRangeKeys("20100101", "20100131", "JST");
    EXPECT_EQ(Date_sub("10/01/01", "05:00J", keys, "JST"), DateDecision::Take);
    EXPECT_EQ(Date_sub("09/12/31", "23:00J", keys, "JST"), DateDecision::Skip);
    EXPECT_EQ(Date_sub("10/01/31", "10:00J", keys, "JST"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/02/01", "08:00J", keys, "JST"), DateDecision::Skip);
    // The first and last JST minutes of the range.
    EXPECT_EQ(Date_sub("10/01/01", "00:00J", keys, "JST"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/01/31", "23:59J", keys, "JST"), DateDecision::Take);
    // A time without zone letter is UTC and is compared as it stands.
    EXPECT_EQ(Date_sub("10/01/31", "14:59", keys, "JST"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/01/31", "15:00", keys, "JST"), DateDecision::Skip);
}

TEST(DateFilter, UtcRangeShiftsOnlyJstTimesNearItsEnds) {
    const RangeKeys keys = MakeRangeKeys("20100101", "20100131", "UTC");
    EXPECT_EQ(Date_sub("10/01/01", "00:00U", keys, "UTC"), DateDecision::Take);
    EXPECT_EQ(Date_sub("09/12/31", "23:59U", keys, "UTC"), DateDecision::Skip);
    EXPECT_EQ(Date_sub("10/01/31", "23:59U", keys, "UTC"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/02/01", "00:00U", keys, "UTC"), DateDecision::Skip);
    // 08:00 JST on 1 February is 23:00 UTC on 31 January.
    EXPECT_EQ(Date_sub("10/02/01", "08:00J", keys, "UTC"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/02/01", "09:00J", keys, "UTC"), DateDecision::Skip);
    // 08:00 JST on 1 January is still 31 December in UTC.
    EXPECT_EQ(Date_sub("10/01/01", "08:00J", keys, "UTC"), DateDecision::Skip);
}

TEST(DateFilter, EdgeShiftCrossesALeapDay) {
    const RangeKeys keys = MakeRangeKeys("20080301", "20080331", "JST");
    EXPECT_EQ(keys.start_key, 200802291500);
    EXPECT_EQ(Date_sub("08/03/01", "05:00J", keys, "JST"), DateDecision::Take);
    EXPECT_EQ(Date_sub("08/02/29", "23:00J", keys, "JST"), DateDecision::Skip);
    EXPECT_EQ(Date_sub("08/02/29", "15:00U", keys, "JST"), DateDecision::Take);
}

TEST(DateFilter, EveryMinuteNearTheTurnsOfMonthsAndYearsIsDecidedByItsUtcTime) {
    // Ranges whose JST or UTC edges fall next to the turn of a month, a leap day and a year, held against the record's
    // UTC time worked out with the calendar: a J time is 9 hours ahead of UTC, any other is UTC.
    namespace chr = std::chrono;
    const auto key = [](chr::sys_time<chr::minutes> t) {
        const chr::year_month_day d{chr::floor<chr::days>(t)};
        const auto m = (t - chr::floor<chr::days>(t)).count();
        return (static_cast<std::int64_t>(static_cast<int>(d.year())) * 10000 + static_cast<unsigned>(d.month()) * 100 +
                static_cast<unsigned>(d.day())) *
                   10000 +
               m / 60 * 100 + m % 60;
    };
    const auto text = [](int a, int b, int c, char sep) {
        char out[16];
        std::snprintf(out, sizeof out, "%02d%c%02d%c%02d", a % 100, sep, b, sep, c);
        return std::string(out);
    };
    for (const auto& [start, end] : {std::pair{"20120301", "20121231"}, std::pair{"20120229", "20130101"}}) {
        for (const char* uj : {"JST", "UTC"}) {
            const RangeKeys keys = MakeRangeKeys(start, end, uj);
            for (const chr::sys_days around :
                 {chr::sys_days{chr::year{2012} / 2 / 26}, chr::sys_days{chr::year{2012} / 12 / 29}}) {
                for (chr::sys_time<chr::minutes> t = around; t < around + chr::days{5}; t += chr::minutes{29}) {
                    const chr::year_month_day d{chr::floor<chr::days>(t)};
                    const auto m = static_cast<int>((t - chr::floor<chr::days>(t)).count());
                    const std::string date =
                        text(static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
                             static_cast<int>(static_cast<unsigned>(d.day())), '/');
                    for (const char zone : {'J', 'U'}) {
                        const std::string time = text(m / 60, m % 60, 0, ':').substr(0, 5) + zone;
                        const std::int64_t utc = key(zone == 'J' ? t - chr::hours{9} : t);
                        const bool taken = keys.start_key <= utc && utc <= keys.end_key;
                        EXPECT_EQ(Date_sub(date, time, keys, uj), taken ? DateDecision::Take : DateDecision::Skip)
                            << start << "-" << end << " " << uj << " " << date << " " << time;
                    }
                }
            }
        }
    }
}

TEST(DateFilter, DateOnlyRangeIgnoresTimes) {
    const RangeKeys keys = MakeRangeKeys("20100101", "20100131", "NON");
    EXPECT_EQ(Date_sub("10/01/31", "23:59J", keys, "NON"), DateDecision::Take);
    EXPECT_EQ(Date_sub("10/01/01", "00:00J", keys, "NON"), DateDecision::Take);
    EXPECT_EQ(Date_sub("09/12/31", "23:59U", keys, "NON"), DateDecision::Skip);
    EXPECT_EQ(Date_sub("10/02/01", "00:00U", keys, "NON"), DateDecision::Skip);
}

TEST(DateFilter, RecordsWithoutAValidDateTimeAreNeverTaken) {
    const std::vector<std::pair<const char*, const char*>> records = {
        {"10/13/01", "12:00J"}, {"10/02/30", "12:00J"},   {"10/01/15", "25:00J"}, {"10/01/15", "12:60U"},
        {"ab/cd/ef", "12:00J"}, {"10/1/15", "12:00J"},    {"10/01/15", "12:0"},   {"", ""},
        {"10/01/15", "12:00Z"}, {"10/01/15", "\x83\x41"},
    };
    for (const char* uj : {"JST", "UTC", "NON"}) {
        const RangeKeys keys = MakeRangeKeys("20000101", "20491231", uj);
        for (const auto& [date, time] : records) {
            EXPECT_EQ(Date_sub(date, time, keys, uj), DateDecision::Invalid) << uj << " " << date << " " << time;
        }
    }
}

} // namespace
} // namespace zentu
