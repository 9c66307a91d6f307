// Runs of a job with the ADIF 3.1 option: the CSV file keeps every record, the ADIF file holds the records a reader
// takes and the run tells which it left out and why.

#include "ConversionRunFixture.h"

#include "convert/Adif31Writer.h"
#include "convert/JobPlan.h"
#include "convert/ModeTable.h"
#include "text/Cp932Codec.h"

namespace zentu::runtest {
namespace {

std::chrono::system_clock::time_point FixedClock() {
    using namespace std::chrono;
    return sys_days{2024y / 6 / 1} + 9h;
}

std::string Cp932(const char* utf8) {
    return Cp932Codec::encode(utf8).text;
}

/// A log holding every kind of record the option changes or leaves out (record numbers in the comments).
std::vector<hamlog::LogRecord> OddContacts() {
    std::vector<hamlog::LogRecord> records = {
        Qso("JA1AA", "24/05/01", "12:00J", "7.074", "FT4"),        // 1 MFSK + FT4
        Qso("", "24/05/01", "12:00J", "7.050", "CW"),              // 2 no call sign
        Qso("JA1CC", "24/05/01", "12:00J", "", ""),                // 3 no mode, no frequency
        Qso(Cp932("ＪＡ１ＡＢＣ"), "24/05/01", "12:00J"),          // 4 full-width call sign
        Qso("JA1EE", "24/02/30", "12:00J"),                        // 5 no such day
        Qso("JA1FF", "24/05/01", "12:00J", "1.5", "ph"),           // 6 SSB through the table, no band
        Qso("JA1GG", "24/05/01", "12:00J", "54.5", Cp932("ＦＭ")), // 7 full-width mode
        Qso("JA1HH", "24/05/01", "12:00J", "30", "PSK"),           // 8 PSK + PSK31, no band
        Qso("JA1II", "24/05/01", "12:00J", "0.1357", "JS8"),       // 9 2190m, MFSK + JS8
    };
    records[3].fields[3] = Cp932("５９"); // record 4 also has a full-width report
    return records;
}

TEST_F(ConversionRunTest, WithTheAdifV31OptionTheAdifFileHoldsWhatReadersTakeAndTheCsvFileEveryRecord) {
    MakeLog(OddContacts());
    settings.adif_out = "1";
    settings.adif_v31 = "1";
    settings.station_callsign = "JA1ZZZ";
    ModeTable table;
    table.loadFromBytes("SSB,USB,LSB,PH,\r\n");
    RunOptions options;
    options.modeTable = &table;
    options.clock = FixedClock;
    const RunResult result = Run(0, "", options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(result.adifV31);
    EXPECT_EQ(result.recordsRead, 9);
    EXPECT_EQ(result.output_count, 9);
    EXPECT_EQ(result.adifRecords(), 4);

    std::string expected = AdifHeaderV31("0.25", FixedClock());
    const char* const kCommon = " <QSO_DATE:8>20240501 <TIME_ON:4>0300 ";
    const char* const kEnd = " <RST_SENT:3>599 <RST_RCVD:3>579 <STATION_CALLSIGN:6>JA1ZZZ <EOR>\r\n\r\n";
    expected += std::string("<CALL:5>JA1AA") + kCommon + "<MODE:4>MFSK <SUBMODE:3>FT4 <BAND:3>40m <FREQ:5>7.074" + kEnd;
    expected += std::string("<CALL:5>JA1FF") + kCommon + "<MODE:3>SSB <FREQ:3>1.5" + kEnd;
    expected += std::string("<CALL:5>JA1HH") + kCommon + "<MODE:3>PSK <SUBMODE:5>PSK31 <FREQ:2>30" + kEnd;
    expected +=
        std::string("<CALL:5>JA1II") + kCommon + "<MODE:4>MFSK <SUBMODE:3>JS8 <BAND:5>2190m <FREQ:6>0.1357" + kEnd;
    EXPECT_EQ(Adif(), expected);

    const auto bit = [](LeftOutReason reason) { return Bit(reason); };
    EXPECT_EQ(result.adifLeftOut.records,
              (std::vector<LeftOutRecord>{
                  {2, bit(LeftOutReason::NoCall)},
                  {3, bit(LeftOutReason::NoMode) | bit(LeftOutReason::NoFrequency)},
                  {4, bit(LeftOutReason::NonAsciiCall) | bit(LeftOutReason::NonAsciiRstSent)},
                  {5, bit(LeftOutReason::InvalidDateTime)},
                  {7, bit(LeftOutReason::NonAsciiMode)},
              }));
    EXPECT_EQ(
        LeftOutReport(result),
        "ADIF 3.1 の決まりに合わないレコード 5 件は ADIF ファイルに入れていません（CSV ファイルには出力しました。"
        "日付または時刻が正しくない 1 件、コールサインがない 1 件、コールサインに ASCII 以外の文字（全角文字など）"
        "がある 1 件、モードがない 1 件、モードに ASCII 以外の文字（全角文字など）がある 1 件、周波数がないか数値"
        "ではない 1 件、送信レポートに ASCII 以外の文字（全角文字など）がある 1 件。レコード番号 2, 3, 4, 5, 7）。");
}

TEST_F(ConversionRunTest, WithoutTheOptionOrWithoutAdifTheOddContactsAreWrittenAsBefore) {
    MakeLog(OddContacts());
    settings.adif_out = "1";
    const RunResult before = Run(0);
    ASSERT_TRUE(before.ok) << before.error;
    const std::string adif = Adif();
    EXPECT_EQ(before.adifLeftOut.count, 1); // record 5 alone, for its date
    // The option without ADIF output changes nothing; with ADIF off no ADIF file is written at all.
    settings.adif_v31 = "1";
    settings.adif_out = "0";
    std::filesystem::remove(dir / "out" / "LOGLIST.adi");
    const RunResult off = Run(0);
    ASSERT_TRUE(off.ok) << off.error;
    EXPECT_FALSE(off.adifV31);
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "LOGLIST.adi"));
    EXPECT_EQ(off.adifRecords(), 0);
    settings.adif_v31 = "0";
    settings.adif_out = "1";
    ASSERT_TRUE(Run(0).ok);
    EXPECT_EQ(Adif(), adif);
}

TEST_F(ConversionRunTest, CallSignsAnAdifFileCannotHoldStopTheJobBeforeAnythingIsWritten) {
    MakeLog(OddContacts());
    PreviousRun();
    settings.adif_v31 = "1";
    for (const char* call : {"JA1 ZZZ", "ＪＡ１ＺＺＺ"}) {
        settings.station_callsign = call;
        const std::string ini = Ini();
        const RunResult result = Run(0);
        EXPECT_EQ(result.failure, RunFailure::Refused) << call;
        EXPECT_NE(result.error.find("STATION_CALLSIGN"), std::string::npos) << result.error;
        ExpectNothingChanged(result, ini, call);
        // The plan refuses it too, so no program offers to run it.
        JobSettings planned = settings;
        planned.select_flag = "0";
        const JobPlan plan = PlanJob(library, planned, PlanOptions{.programFolder = dir.path()});
        EXPECT_EQ(plan.refusal, PlanRefusal::BadAdif) << call;
    }
}

} // namespace
} // namespace zentu::runtest
