#include "convert/Adif31Writer.h"

#include "convert/ModeTable.h"
#include "text/Cp932Codec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace zentu {
namespace {

std::array<std::string, 16> Fields(const std::string& call, const std::string& freq, const std::string& mode) {
    return {call, "24/05/01", "21:30J", "599", "59", freq, mode, "", "", "", "", "", "", "", "", ""};
}

std::string Record(const std::array<std::string, 16>& fields, const AdifStyle& style = {.v31 = true}) {
    std::string out;
    EXPECT_EQ(write_adif_v31(out, ViewsOf(fields), style), 0);
    return out;
}

std::string Cp932(const char* utf8) {
    return Cp932Codec::encode(utf8).text;
}

TEST(Adif31WriterTest, TheHeaderCarriesTheVersionTheProgramAndWhenItWasMade) {
    using namespace std::chrono;
    const system_clock::time_point created = sys_days{2024y / 5 / 1} + 12h + 3min + 4s;
    EXPECT_EQ(AdifHeaderV31("0.25", created), "ADIF Export from zentu.exe  Version 0.25\r\n"
                                              "Internet:  https://zentu.example.org/\r\n"
                                              "e-mail to: zentu@example.org\r\n"
                                              "<ADIF_VER:5>3.1.4 <PROGRAMID:5>zentu <PROGRAMVERSION:4>0.25 "
                                              "<CREATED_TIMESTAMP:15>20240501 120304\r\n"
                                              "<EOH>\r\n\r\n");
}

TEST(Adif31WriterTest, WritesModeAndSubmodeBandOnlyInsideABandAndTheStationsCallSigns) {
    EXPECT_EQ(Record(Fields("JA1ABC", "7.074", "FT4")),
              "<CALL:6>JA1ABC <QSO_DATE:8>20240501 <TIME_ON:4>1230 <MODE:4>MFSK <SUBMODE:3>FT4 <BAND:3>40m "
              "<FREQ:5>7.074 <RST_SENT:3>599 <RST_RCVD:2>59 <EOR>\r\n\r\n");
    // Hamlog's PSK goes through the fixed list (PSK31), then becomes PSK with its submode; a frequency in no band
    // keeps its FREQ and gets no BAND; empty reports are left out; the station's call signs close the record.
    auto fields = Fields("W1AW/KH6", "1.5", "PSK");
    fields[3].clear();
    fields[4].clear();
    EXPECT_EQ(Record(fields, {.v31 = true, .stationCallsign = "JA1ZZZ/1", .operatorCallsign = "JA1ABC"}),
              "<CALL:8>W1AW/KH6 <QSO_DATE:8>20240501 <TIME_ON:4>1230 <MODE:3>PSK <SUBMODE:5>PSK31 <FREQ:3>1.5 "
              "<STATION_CALLSIGN:8>JA1ZZZ/1 <OPERATOR:6>JA1ABC <EOR>\r\n\r\n");
    // The mode table comes before ADIF's enumeration, and lower case is ADIF's upper case.
    ModeTable table;
    table.loadFromBytes("SSB,PH,,,\r\nJS8,JS8CALL,,,\r\n");
    EXPECT_NE(
        Record(Fields("JA1ABC", "14.", "ph"), {.modeTable = &table, .v31 = true}).find("<MODE:3>SSB <BAND:3>20m "),
        std::string::npos);
    EXPECT_NE(Record(Fields("JA1ABC", "7.078", "js8call"), {.modeTable = &table, .v31 = true})
                  .find("<MODE:4>MFSK <SUBMODE:3>JS8 "),
              std::string::npos);
    EXPECT_NE(Record(Fields("JA1ABC", "430.5", "c4fm")).find("<MODE:12>DIGITALVOICE <SUBMODE:4>C4FM <BAND:4>70cm"),
              std::string::npos);
    // A table that names the mode of a submode keeps the submode the log spelt.
    table.loadFromBytes("SSB,USB,LSB,,\r\nDIGITALVOICE,DV,C4FM,,\r\nPSK31,BPSK31,,,\r\n");
    for (const auto& [spelt, written] :
         {std::pair{"usb", "<MODE:3>SSB <SUBMODE:3>USB "}, std::pair{"C4FM", "<MODE:12>DIGITALVOICE <SUBMODE:4>C4FM "},
          std::pair{"DV", "<MODE:12>DIGITALVOICE <BAND"}, std::pair{"BPSK31", "<MODE:3>PSK <SUBMODE:5>PSK31 "}}) {
        EXPECT_NE(Record(Fields("JA1ABC", "430.5", spelt), {.modeTable = &table, .v31 = true}).find(written),
                  std::string::npos)
            << spelt;
    }
}

TEST(Adif31WriterTest, ARecordAReaderMustRefuseIsLeftOutWithItsReasons) {
    struct Case {
        const char* what;
        std::array<std::string, 16> fields;
        LeftOutReasons reasons;
    };
    auto withDate = Fields("JA1ABC", "7.050", "CW");
    withDate[1] = "24/02/30";
    auto withRst = Fields("JA1ABC", "7.050", "CW");
    withRst[3] = Cp932("５９");
    withRst[4] = Cp932("５９");
    const Case cases[] = {
        {"no call sign", Fields("", "7.050", "CW"), Bit(LeftOutReason::NoCall)},
        {"blank call sign", Fields("   ", "7.050", "CW"), Bit(LeftOutReason::NoCall)},
        {"full-width call sign", Fields(Cp932("ＪＡ１ＡＢＣ"), "7.050", "CW"), Bit(LeftOutReason::NonAsciiCall)},
        {"kana call sign", Fields(Cp932("ﾊﾑ"), "7.050", "CW"), Bit(LeftOutReason::NonAsciiCall)},
        {"no mode", Fields("JA1ABC", "7.050", ""), Bit(LeftOutReason::NoMode)},
        {"full-width mode", Fields("JA1ABC", "7.050", Cp932("ＦＭ")), Bit(LeftOutReason::NonAsciiMode)},
        {"unknown mode", Fields("JA1ABC", "7.050", "FT-8"), Bit(LeftOutReason::UnknownMode)},
        {"no frequency", Fields("JA1ABC", "", "CW"), Bit(LeftOutReason::NoFrequency)},
        {"frequency in letters", Fields("JA1ABC", "7.050MHz", "CW"), Bit(LeftOutReason::NoFrequency)},
        {"full-width frequency", Fields("JA1ABC", Cp932("７．０５"), "CW"), Bit(LeftOutReason::NoFrequency)},
        {"invalid date", withDate, Bit(LeftOutReason::InvalidDateTime)},
        {"full-width reports", withRst, Bit(LeftOutReason::NonAsciiRstSent) | Bit(LeftOutReason::NonAsciiRstRcvd)},
        {"no call, mode and frequency", Fields("", "", ""),
         Bit(LeftOutReason::NoCall) | Bit(LeftOutReason::NoMode) | Bit(LeftOutReason::NoFrequency)},
    };
    for (const Case& c : cases) {
        std::string out = "before";
        EXPECT_EQ(write_adif_v31(out, ViewsOf(c.fields), {.v31 = true}), c.reasons) << c.what;
        EXPECT_EQ(out, "before") << c.what;
    }
}

} // namespace
} // namespace zentu
