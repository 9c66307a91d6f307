#include "convert/JobSummary.h"

#include "settings/JobSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace zentu {
namespace {

// Spelled out by code point so that a look-alike character in the code cannot pass unnoticed:
// U+3000 ideographic space, U+FF5E full-width tilde, U+FF1A full-width colon.
const std::string kIs = "\u3000";
const std::string kTo = "\u3000\uFF5E\u3000";
const std::string kHead = "出力データ \uFF1A ";

JobSettings RangeSettings(std::string flag) {
    JobSettings s;
    s.select_flag = std::move(flag);
    s.set_start_date = "20100101";
    s.set_end_date = "20100201";
    s.set_date_time_UJ = "JST";
    s.set_start_rec_no = "5";
    s.set_end_rec_no = "99";
    s.set_rec_hani = "95";
    s.last_end_rec_no = "120";
    return s;
}

TEST(JobSummary, TextsOfTheFirstFourModes) {
    const auto all = SummarizeJob(RangeSettings("0"), 10);
    EXPECT_EQ(all.mode, RangeMode::All);
    EXPECT_EQ(all.text, kHead + "全レコード");

    const auto jst = SummarizeJob(RangeSettings("1"), 10);
    EXPECT_EQ(jst.mode, RangeMode::DateRange);
    EXPECT_EQ(jst.text, kHead + "日付で範囲指定 \uFF1A" + kIs + "20100101" + kTo + "20100201  JST");
    JobSettings non = RangeSettings("1");
    non.set_date_time_UJ = "NON";
    EXPECT_EQ(SummarizeJob(non, 10).text,
              kHead + "日付で範囲指定 \uFF1A" + kIs + "20100101" + kTo + "20100201  UTC/JST 無視");

    const auto numbers = SummarizeJob(RangeSettings("2"), 10);
    EXPECT_EQ(numbers.mode, RangeMode::RecordNumbers);
    EXPECT_EQ(numbers.text, kHead + "番号で範囲指定 \uFF1A" + kIs + "5" + kTo + "99");

    const auto last = SummarizeJob(RangeSettings("3"), 100);
    EXPECT_EQ(last.mode, RangeMode::LastN);
    EXPECT_EQ(last.text, kHead + "最終までの指定レコード数 \uFF1A\uFF08 95 \uFF09" + kIs + kIs + "6" + kTo + "100");
    EXPECT_EQ(last.new_start_rec_no, "");
    EXPECT_FALSE(last.noNewRecords);
}

TEST(JobSummary, ShowsTheRecordsTheRunTakesWhereTheStoredNumbersDoNotSayIt) {
    // The newest N: count - N + 1 to count, from record 1 when N is larger than the log.
    EXPECT_EQ(SummarizeJob(RangeSettings("3"), 10).text,
              kHead + "最終までの指定レコード数 \uFF1A\uFF08 95 \uFF09" + kIs + kIs + "1" + kTo + "10");
    // A number range that runs to the newest record ends at the count, not at the stored end.
    JobSettings toNewest = RangeSettings("2");
    toNewest.set_anytime_last = "1";
    EXPECT_EQ(SummarizeJob(toNewest, 250).text, kHead + "番号で範囲指定 \uFF1A" + kIs + "5" + kTo + "250");
}

TEST(JobSummary, NewAdditionsStartAfterThePreviousRun) {
    const auto none = SummarizeJob(RangeSettings("4"), 120);
    EXPECT_EQ(none.mode, RangeMode::NewAdditions);
    EXPECT_EQ(none.new_start_rec_no, "121");
    EXPECT_TRUE(none.noNewRecords);
    EXPECT_EQ(none.text, kHead + "新規追加分のみ \uFF1A" + std::string(29, ' ') + kTo + "120");

    const auto one = SummarizeJob(RangeSettings("4"), 121);
    EXPECT_FALSE(one.noNewRecords);
    EXPECT_EQ(one.text, kHead + "新規追加分のみ \uFF1A  121" + kTo + "121");

    JobSettings never = RangeSettings("4");
    never.last_end_rec_no = "";
    EXPECT_EQ(SummarizeJob(never, 3).text, kHead + "新規追加分のみ \uFF1A  1" + kTo + "3");
    // A fraction stored by hand still gives a whole record number, with no decimal point.
    never.last_end_rec_no = "7.6";
    EXPECT_EQ(SummarizeJob(never, 3).new_start_rec_no, "9");
}

TEST(JobSummary, UnknownFlagLeavesTheModeUnknown) {
    for (const char* flag : {"", "5", " 1", "x"}) {
        const auto summary = SummarizeJob(RangeSettings(flag), 10);
        EXPECT_FALSE(summary.mode) << flag;
        EXPECT_EQ(summary.text, "") << flag;
    }
}

TEST(JobSummary, BlankFieldsAreCompletedAndOthersKept) {
    JobSettings blank;
    blank.set_start_date = "  ";
    CompleteBlankSettings(blank, 250);
    EXPECT_EQ(blank.set_start_date, "20100101");
    EXPECT_EQ(blank.set_end_date, "20100201");
    EXPECT_EQ(blank.set_end_rec_no, "250");
    EXPECT_EQ(blank.set_start_rec_no, "1");
    EXPECT_EQ(blank.last_start_rec_no, "0");
    EXPECT_EQ(blank.last_end_rec_no, "0");
    EXPECT_EQ(blank.set_rec_hani, "");

    JobSettings set = RangeSettings("2");
    set.last_start_rec_no = "100";
    const JobSettings before = set;
    CompleteBlankSettings(set, 250);
    EXPECT_EQ(set, before);
}

TEST(JobSummary, SignatureJoinsFieldsOneTwoThreeSixSevenAndEight) {
    std::array<std::string, 16> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = "f" + std::to_string(i + 1);
    }
    EXPECT_EQ(LastQsoSignature(fields), "f1_f2_f3_f6_f7_f8");
}

} // namespace
} // namespace zentu
