#include <gtest/gtest.h>

#include <array>
#include <string>

#include "TestSupport.h"
#include "convert/AdifWriter.h"
#include "convert/ModeTable.h"

namespace zentu {
namespace {

using Fields = std::array<std::string, 16>;

Fields Record(std::string call, std::string date, std::string time, std::string sent, std::string received,
              std::string frequency, std::string mode) {
    Fields fields;
    fields[0] = std::move(call);
    fields[1] = std::move(date);
    fields[2] = std::move(time);
    fields[3] = std::move(sent);
    fields[4] = std::move(received);
    fields[5] = std::move(frequency);
    fields[6] = std::move(mode);
    fields[7] = "JCC100101";
    return fields;
}

Fields Plain() {
    return Record("JA1ABC", "10/05/01", "12:34U", "59", "57", "7.050", "CW");
}

std::string Written(const Fields& fields, const ModeTable* table = nullptr, bool* valid = nullptr) {
    std::string out;
    const bool ok = write_adif(out, fields, table);
    if (valid != nullptr) {
        *valid = ok;
    }
    return out;
}

TEST(AdifHeader, HasFiveCrLfLinesWithTheVersion) {
    EXPECT_EQ(AdifHeader("0.25"), "ADIF Export from zentu.exe  Version 0.25\r\n"
                                  "Internet:  https://zentu.example.org/\r\n"
                                  "e-mail to: zentu@example.org\r\n"
                                  "<EOH>\r\n"
                                  "\r\n");
}

TEST(AdifRecord, WritesTheWholeLineInUtcFollowedByAnEmptyLine) {
    bool valid = false;
    const std::string out = Written(Record("JA1ABC", "10/01/01", "03:00J", "59", "57", "7.050", "PH"), nullptr, &valid);
    EXPECT_TRUE(valid);
    EXPECT_EQ(out, "<CALL:6>JA1ABC <QSO_DATE:8:d>20091231 <TIME_ON:4>1800 <MODE:3>SSB <BAND:3>40M "
                   "<FREQ:5>7.050 <RST_SENT:2>59 <RST_RCVD:2>57 <EOR>\r\n\r\n");
}

TEST(AdifRecord, AppendsToWhatIsAlreadyThere) {
    std::string out = "before";
    write_adif(out, Plain(), nullptr);
    EXPECT_EQ(out.substr(0, 14), "before<CALL:6>");
}

TEST(AdifRecord, ConvertsDateAndTimeByZone) {
    EXPECT_NE(
        Written(Record("A", "09/12/31", "23:30J", "", "", "", "")).find("<QSO_DATE:8:d>20091231 <TIME_ON:4>1430 "),
        std::string::npos);
    EXPECT_NE(
        Written(Record("A", "10/05/01", "12:34U", "", "", "", "")).find("<QSO_DATE:8:d>20100501 <TIME_ON:4>1234 "),
        std::string::npos);
    // Without zone letter the time is UTC and stays as it is.
    EXPECT_NE(Written(Record("A", "51/01/01", "03:00", "", "", "", "")).find("<QSO_DATE:8:d>19510101 <TIME_ON:4>0300 "),
              std::string::npos);
}

TEST(AdifRecord, ARecordWithoutAValidDateTimeIsLeftOutAndReported) {
    struct Case {
        const char* date;
        const char* time;
    };
    const std::string sjisYear = test::Sjis("令/01/01");
    for (const Case& c : {Case{"24/02/30", "12:00J"}, Case{"10/13/01", "12:00U"}, Case{"10/01/01", "25:00J"},
                          Case{"10/01/01", "12:60U"}, Case{"10/01/01", "3:0J"}, Case{"", ""},
                          Case{"  /  /  ", "  :  J"}, Case{"ab/cd/ef", "12:00J"}, Case{sjisYear.c_str(), "12:00J"}}) {
        std::string out = "before";
        EXPECT_FALSE(write_adif(out, Record("A", c.date, c.time, "", "", "", ""), nullptr)) << c.date << c.time;
        EXPECT_EQ(out, "before") << c.date << c.time;
    }
    // The last day of a leap February is a day.
    bool valid = false;
    EXPECT_NE(
        Written(Record("A", "24/02/29", "23:59U", "", "", "", ""), nullptr, &valid).find("<QSO_DATE:8:d>20240229"),
        std::string::npos);
    EXPECT_TRUE(valid);
}

TEST(AdifRecord, FrequencyIsTrimmedAndATrailingPointDropped) {
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", " 14. ", "")).find(" <BAND:3>20M <FREQ:2>14 "),
              std::string::npos);
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "  7.050", "")).find(" <BAND:3>40M <FREQ:5>7.050 "),
              std::string::npos);
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "2.5", "")).find(" <BAND:0> <FREQ:3>2.5 "),
              std::string::npos);
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "")).find(" <BAND:0> <FREQ:0> "),
              std::string::npos);
}

TEST(AdifRecord, EmptyReportStillGetsItsTag) {
    const std::string out = Written(Record("A", "10/01/01", "00:00U", "", "57", "", ""));
    EXPECT_NE(out.find(" <RST_SENT:0> <RST_RCVD:2>57 <EOR>"), std::string::npos) << out;
}

TEST(AdifRecord, CountsCharactersNotBytesAndKeepsTheBytes) {
    const std::string call = test::Sjis("JA1ABC/移動");
    const std::string report = test::Sjis("５９");
    const std::string halfWidth = test::Sjis("ｶ9");
    const std::string out = Written(Record(call, "10/01/01", "00:00U", report, halfWidth, "", ""));
    EXPECT_NE(out.find("<CALL:9>" + call + " "), std::string::npos);
    EXPECT_NE(out.find("<RST_SENT:2>" + report + " "), std::string::npos);
    EXPECT_NE(out.find("<RST_RCVD:2>" + halfWidth + " "), std::string::npos);
}

TEST(AdifRecord, CharacterCountHandlesAStrayLeadByte) {
    EXPECT_EQ(Cp932CharacterCount(""), 0u);
    EXPECT_EQ(Cp932CharacterCount("abc"), 3u);
    EXPECT_EQ(Cp932CharacterCount("\x83\x61"
                                  "a"),
              2u); // a double-byte character whose second byte is "a"
    EXPECT_EQ(Cp932CharacterCount("a\x83"), 2u);
}

TEST(FrequencyBand, UsesInclusiveBoundsAndTheFirstRow) {
    EXPECT_EQ(freq_band(1.9), "160M");
    EXPECT_EQ(freq_band(2.0), "160M");
    EXPECT_EQ(freq_band(2.5), "");
    EXPECT_EQ(freq_band(3.5), "80M");
    EXPECT_EQ(freq_band(10.1), "30M");
    EXPECT_EQ(freq_band(29.7), "10M");
    EXPECT_EQ(freq_band(30.0), "10M");
    EXPECT_EQ(freq_band(11000.0), "3CM");
    EXPECT_EQ(freq_band(11000.5), "");
    EXPECT_EQ(freq_band(-7.0), "");
}

TEST(ModeMapping, FixedListComparesTheWholeTextWithCase) {
    EXPECT_EQ(FixedModeName("PH"), "SSB");
    EXPECT_EQ(FixedModeName("ph"), "ph");
    EXPECT_EQ(FixedModeName("PSK3"), "PSK31");
    EXPECT_EQ(FixedModeName("PSK31"), "PSK31");
    EXPECT_EQ(FixedModeName(" PH"), " PH");
}

TEST(ModeMapping, TableSeesTheFixedListResultAndIsOptional) {
    ModeTable table;
    table.loadFromBytes("Phone,SSB,,,\r\nRTTY,RTTY45,,,\r\n");
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "PH"), &table).find(" <MODE:5>Phone "),
              std::string::npos);
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "PH")).find(" <MODE:3>SSB "), std::string::npos);
    // Lower case misses the fixed list; the table upper-cases its key and finds it.
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "ph")).find(" <MODE:2>ph "), std::string::npos);
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "rtty45"), &table).find(" <MODE:4>RTTY "),
              std::string::npos);

    ModeTable other;
    other.loadFromBytes("USB,U,,,\r\n");
    EXPECT_NE(Written(Record("A", "10/01/01", "00:00U", "", "", "", "PH"), &other).find(" <MODE:3>SSB "),
              std::string::npos);
}

} // namespace
} // namespace zentu
