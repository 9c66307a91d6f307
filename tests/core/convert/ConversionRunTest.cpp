#include "convert/ConversionRun.h"

#include "convert/AdifWriter.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/ModeTable.h"
#include "convert/RecordBlock.h"
#include "hamlog/RecordLibrary.h"
#include "platform/AtomicFile.h"
#include "settings/JobLock.h"
#include "settings/JobSettings.h"
#include "text/Cp932Codec.h"

#include "ConversionRunFixture.h"
#include "LogWriter.h"
#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <exception>
#include <new>
#include <numeric>
#include <set>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace zentu {
namespace {

using namespace std::chrono_literals;
using namespace runtest;

TEST_F(ConversionRunTest, AllRecordsModeWritesEveryRecordAsAQuotedCsvLine) {
    MakeLog({Qso("JA1ABC", "10/05/01", "12:34J"), Qso("JH3XYZ", "10/05/02", "01:00U")});
    const RunResult result = Run(0);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output_count, 2);
    EXPECT_EQ(Csv(), "\"JA1ABC\",\"10/05/01\",\"12:34J\",\"599\",\"579\",\"7.050\",\"CW\",\"1001\",\"PM95\",\"J\","
                     "\"\",\"\",\"\",\"\",\"F16\"\r\n" +
                         CsvLine(log[1]));
    EXPECT_EQ(observer.maximum, 4);
    EXPECT_EQ(observer.values, (std::vector<std::int64_t>{0, 1}));
    EXPECT_EQ(observer.counted, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "LOGLIST.adi"));
    EXPECT_TRUE(result.adifPath.empty());
}

TEST_F(ConversionRunTest, DoublesQuotesInTheCsvButNotInTheAdifFile) {
    auto record = Qso("JA1ABC", "10/05/01", "12:34J");
    record.fields[10] = "say \"hi\"";
    record.fields[3] = "5\"9";
    MakeLog({record});
    settings.adif_out = "1";
    ASSERT_TRUE(Run(0).ok);
    EXPECT_NE(Csv().find("\"say \"\"hi\"\"\""), std::string::npos) << Csv();
    const std::string adif = test::ReadBytes(dir / "out" / "LOGLIST.adi");
    EXPECT_NE(adif.find("<RST_SENT:3>5\"9 "), std::string::npos) << adif;
}

TEST_F(ConversionRunTest, WritesTheAdifFileBesideTheCsvFileWithHeaderAndOneRecordPerLine) {
    MakeLog({Qso("JA1ABC", "10/01/01", "03:00J", "14.", "PH"), Qso("W1AW", "09/12/31", "23:30U", "2.5", "RY")});
    settings.adif_out = "1";
    ModeTable table;
    table.loadFromBytes("SSB-X,SSB,,,\r\n");
    RunOptions options;
    options.modeTable = &table;
    const RunResult result = Run(0, "", options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.adifPath, dir / "out" / "LOGLIST.adi");
    std::string expected = AdifHeader("0.25");
    expected += "<CALL:6>JA1ABC <QSO_DATE:8:d>20091231 <TIME_ON:4>1800 <MODE:5>SSB-X <BAND:3>20M <FREQ:2>14 "
                "<RST_SENT:3>599 <RST_RCVD:3>579 <EOR>\r\n\r\n";
    expected += "<CALL:4>W1AW <QSO_DATE:8:d>20091231 <TIME_ON:4>2330 <MODE:4>RTTY <BAND:0> <FREQ:3>2.5 "
                "<RST_SENT:3>599 <RST_RCVD:3>579 <EOR>\r\n\r\n";
    EXPECT_EQ(test::ReadBytes(result.adifPath), expected);
}

TEST_F(ConversionRunTest, RecordsWithoutAValidDateTimeStayInTheCsvFileAndOutOfTheAdifFile) {
    std::vector<hamlog::LogRecord> records;
    for (int n = 1; n <= 9; ++n) {
        records.push_back(Qso("A" + std::to_string(n), "10/01/01", "03:00J"));
    }
    for (const int n : {2, 4, 5, 6, 7, 8}) {
        records[static_cast<std::size_t>(n - 1)].fields[1] = n == 2 ? "24/02/30" : n == 4 ? "  /  /" : "10/01/01";
        records[static_cast<std::size_t>(n - 1)].fields[2] = n == 5 ? "25:00J" : n == 6 ? "ab:cdU" : "12:00J";
    }
    records[6].fields[1] = "10/0x/01";
    records[7].fields[2] = "";
    MakeLog(records);
    settings.adif_out = "1";
    const RunResult result = Run(0);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(result.adifLeftOut.count, 6);
    EXPECT_EQ(result.adifLeftOut.firstNumbers, (std::vector<std::int64_t>{2, 4, 5, 6, 7}));
    // The valid records are written as they would be alone.
    std::string expected = AdifHeader("0.25");
    for (const int n : {1, 3, 9}) {
        write_adif(expected, records[static_cast<std::size_t>(n - 1)].fields, nullptr);
    }
    EXPECT_EQ(Adif(), expected);
    EXPECT_EQ(LeftOutReport(result), "日付または時刻が正しくないレコード 6 件は ADIF ファイルに入れていません"
                                     "（CSV ファイルには出力しました。レコード番号 2, 4, 5, 6, 7 ほか）。");
}

TEST_F(ConversionRunTest, ALogOfManySpansIsWrittenInOrderAsOneReaderWouldWriteIt) {
    // The range is read a span at a time, by two threads when the library allows it: the files, the records left
    // out and the progress must still come in the order of the log. In the date range mode the second reader's spans
    // take no record, so it runs ahead of the first.
    ASSERT_TRUE(library.readsAreasConcurrently());
    constexpr int kCount = 11000;
    std::vector<hamlog::LogRecord> records;
    const std::set<int> undated = {3, 2100, 4300, 6500, 8700, 10900};
    // Only the first and the third span hold the day the range takes.
    const auto inRange = [](int n) { return n <= 2048 || (4097 <= n && n <= 6144); };
    for (int n = 1; n <= kCount; ++n) {
        const std::string date = undated.count(n) ? "10/13/01" : inRange(n) ? "10/01/01" : "11/06/01";
        // Some calls hold a quote: the CSV line doubles it, the ADIF record keeps it as it is.
        records.push_back(Qso((n % 3 == 0 ? "A\"" : "A") + std::to_string(n), date, n % 2 == 0 ? "03:00J" : "12:00U"));
    }
    MakeLog(records);
    settings.adif_out = "1";
    const RunResult all = Run(0);
    ASSERT_TRUE(all.ok) << all.error;
    std::string expected;
    for (const auto& record : records) {
        expected += CsvLine(record);
    }
    EXPECT_EQ(Csv(), expected);
    std::string expectedAdif = AdifHeader("0.25");
    for (const auto& record : records) {
        write_adif(expectedAdif, record.fields, nullptr);
    }
    EXPECT_EQ(Adif(), expectedAdif);
    EXPECT_EQ(all.adifLeftOut.count, 6);
    EXPECT_EQ(all.adifLeftOut.firstNumbers, (std::vector<std::int64_t>{3, 2100, 4300, 6500, 8700}));
    std::vector<std::int64_t> looked(records.size());
    std::iota(looked.begin(), looked.end(), 0);
    EXPECT_EQ(observer.values, looked);

    settings.set_start_date = "20100101";
    settings.set_end_date = "20100101";
    settings.set_date_time_UJ = "UTC";
    const RunResult dated = Run(1);
    ASSERT_TRUE(dated.ok) << dated.error;
    EXPECT_EQ(dated.dateRangeUndecided.count, 6);
    EXPECT_EQ(dated.dateRangeUndecided.firstNumbers, (std::vector<std::int64_t>{3, 2100, 4300, 6500, 8700}));
    // The UTC records of the day are taken; the JST ones fall on the day before.
    expected.clear();
    for (int n = 1; n <= kCount; n += 2) {
        expected += undated.count(n) || !inRange(n) ? "" : CsvLine(records[static_cast<std::size_t>(n - 1)]);
    }
    EXPECT_EQ(Csv(), expected);
    EXPECT_EQ(dated.output_count, 2047);
}

TEST_F(ConversionRunTest, LongTextsThatFillMoreThanOneBlockAreWrittenWhole) {
    // A dBase III table of sixteen fields of 250 bytes, made byte by byte: spans of long texts go in several blocks.
    constexpr int kCount = 2100;
    constexpr std::size_t kWidth = 250;
    std::string table(32, '\0');
    table[0] = 0x03;
    const auto put = [&table](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            table[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
        }
    };
    put(4, kCount, 4);
    put(8, 32 + 16 * 32 + 1, 2);
    put(10, 1 + 16 * kWidth, 2);
    for (int field = 0; field < 16; ++field) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, 2, "F" + std::string(1, static_cast<char>('A' + field)));
        descriptor[11] = 'C';
        descriptor[16] = static_cast<char>(kWidth);
        table += descriptor;
    }
    table += '\r';
    std::vector<std::array<std::string, 16>> texts;
    for (int n = 1; n <= kCount; ++n) {
        std::array<std::string, 16> fields;
        table += ' ';
        for (std::size_t k = 0; k < 16; ++k) {
            fields[k] = k == 1 ? "10/01/01" : k == 2 ? "12:00J" : std::to_string(n) + std::string(200, 'a' + k % 26);
            table += fields[k] + std::string(kWidth - fields[k].size(), ' ');
        }
        texts.push_back(fields);
    }
    test::WriteBytes(dir / "LOG.hdb", table);
    test::WriteBytes(dir / "LOG.mst", "m");
    log.resize(kCount);
    const RunResult result = Run(0);
    ASSERT_TRUE(result.ok) << result.error;
    std::string expected;
    for (const auto& fields : texts) {
        AppendCsvLine(expected, fields);
    }
    EXPECT_EQ(Csv(), expected);
}

TEST_F(ConversionRunTest, TheAutoRunOptionsSkipTheModeTableAndWriteTheirOwnVersion) {
    MakeLog({Qso("JA1ABC", "10/01/01", "03:00J", "14.070", "PH")});
    settings.adif_out = "1";
    ModeTable table;
    table.loadFromBytes("SSB-X,SSB,,,\r\n");
    RunOptions options;
    options.versionText = kZentuArunVersion;
    options.modeTable = nullptr;
    ASSERT_TRUE(Run(0, "", options).ok);
    const std::string adif = test::ReadBytes(dir / "out" / "LOGLIST.adi");
    EXPECT_EQ(adif.rfind(AdifHeader("0.24"), 0), 0u);
    EXPECT_NE(adif.find("<MODE:3>SSB "), std::string::npos);
}

TEST_F(ConversionRunTest, DateRangeModeTakesTheJstExamples) {
    MakeLog({Qso("A1", "10/01/01", "05:00J"), Qso("A2", "09/12/31", "23:00J"), Qso("A3", "10/01/31", "10:00J"),
             Qso("A4", "10/02/01", "08:00J"), Qso("A5", "10/13/01", "08:00J")});
    settings.set_start_date = "20100101";
    settings.set_end_date = "20100131";
    settings.set_date_time_UJ = "JST";
    const RunResult result = Run(1);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Csv(), ExpectedCsv({1, 3}));
    EXPECT_EQ(result.invalidDateRecords, 1);
    EXPECT_EQ(LeftOutReport(result), "日付または時刻が正しくないレコード 1 件は日付の範囲を判定できないため、"
                                     "出力していません（レコード番号 5）。");
}

TEST_F(ConversionRunTest, DateRangeWithoutTimeBaseTakesTheWholeEndDate) {
    MakeLog({Qso("A1", "10/01/31", "23:59J"), Qso("A2", "10/02/01", "00:00U")});
    settings.set_start_date = "20100101";
    settings.set_end_date = "20100131";
    settings.set_date_time_UJ = "NON";
    ASSERT_TRUE(Run(1).ok);
    EXPECT_EQ(Csv(), ExpectedCsv({1}));
}

TEST_F(ConversionRunTest, NumberRangeModeRunsToTheEndOnlyWhenAskedTo) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J"), Qso("A3", "10/01/03", "00:00J"),
             Qso("A4", "10/01/04", "00:00J")});
    settings.set_start_rec_no = "2";
    settings.set_end_rec_no = "3";
    ASSERT_TRUE(Run(2).ok);
    EXPECT_EQ(Csv(), ExpectedCsv({2, 3}));
    EXPECT_EQ(observer.maximum, 5);

    settings.set_anytime_last = "1";
    ASSERT_TRUE(Run(2).ok);
    EXPECT_EQ(Csv(), ExpectedCsv({2, 3, 4}));
}

TEST_F(ConversionRunTest, BackwardsOrOutOfLogNumberRangesWriteNoEmptyLines) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J")});
    settings.set_start_rec_no = "2";
    settings.set_end_rec_no = "1";
    RunResult result = Run(2);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.output_count, 0);
    EXPECT_EQ(Csv(), "");
    EXPECT_GT(observer.maximum, 0);

    settings.set_start_rec_no = "0";
    settings.set_end_rec_no = "9";
    result = Run(2);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2}));
}

TEST_F(ConversionRunTest, LastNModeStartsAtTheFirstRecordWhenMoreAreAskedFor) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J"), Qso("A3", "10/01/03", "00:00J")});
    settings.set_rec_hani = "2";
    ASSERT_TRUE(Run(3).ok);
    EXPECT_EQ(Csv(), ExpectedCsv({2, 3}));
    EXPECT_EQ(observer.maximum, 6);

    settings.set_rec_hani = "10";
    ASSERT_TRUE(Run(3).ok);
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2, 3}));
}

TEST_F(ConversionRunTest, NewAdditionsModeStoresBookkeepingAndTheRawSignatureOfTheLastRecord) {
    auto last = Qso("JA1\"Q\"", "10/01/02", "00:00J", "7.050", "CW");
    MakeLog({Qso("A1", "10/01/01", "00:00J"), last});
    settings.last_end_rec_no = "0";
    const RunResult result = Run(4, "1");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2}));
    EXPECT_EQ(settings.last_start_rec_no, "1");
    EXPECT_EQ(settings.last_end_rec_no, "2");
    EXPECT_EQ(settings.select_flag_new_add_last_QSO_data, "JA1\"Q\"_10/01/02_00:00J_7.050_CW_1001");

    JobSettings stored;
    LoadJobSettings(dir.path(), 1, stored);
    EXPECT_EQ(stored.last_start_rec_no, "1");
    EXPECT_EQ(stored.last_end_rec_no, "2");
    EXPECT_EQ(stored.select_flag_new_add_last_QSO_data, settings.select_flag_new_add_last_QSO_data);
    EXPECT_EQ(stored.version, "0.25");
}

TEST_F(ConversionRunTest, NewAdditionsModeRightAfterARunWritesNothingAndKeepsTheEnd) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J")});
    settings.select_flag_new_add_last_QSO_data = "stale";
    const RunResult result = Run(4, "3");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.output_count, 0);
    EXPECT_EQ(Csv(), "");
    EXPECT_EQ(settings.last_start_rec_no, "3");
    EXPECT_EQ(settings.last_end_rec_no, "2");
    // The signature describes the record at the new last_end_rec_no even though nothing was written.
    EXPECT_EQ(settings.select_flag_new_add_last_QSO_data, "A2_10/01/02_00:00J_7.050_CW_1001");
}

TEST_F(ConversionRunTest, AutoRunBookkeepingSavesOnlyTheTwoRecordNumbers) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    test::WriteBytes(dir / "ini" / "zentu_1.ini", "[JOB_run]\r\nselect_flag_new_add_last_QSO_data=old\r\n");
    settings.select_flag_new_add_last_QSO_data = "old";
    RunOptions options;
    options.storeSignature = false;
    options.saveAllKeys = false;
    ASSERT_TRUE(Run(4, "1", options).ok);
    EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.ini"),
              "[JOB_run]\r\nselect_flag_new_add_last_QSO_data=old\r\n[Set_hdb]\r\nlast_start_rec_no=1\r\n"
              "last_end_rec_no=1\r\n");
    EXPECT_EQ(settings.select_flag_new_add_last_QSO_data, "old");
}

TEST_F(ConversionRunTest, AnUnwritableOutputFolderFailsAndKeepsFilesAndBookkeeping) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    settings.set_outcsv_dir = (dir / "missing-folder" / "LOGLIST.CSV").string();
    settings.adif_out = "1";
    settings.last_end_rec_no = "0";
    const RunResult result = Run(4, "1");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("LOGLIST.CSV"), std::string::npos) << result.error;
    EXPECT_EQ(settings.last_end_rec_no, "0");
    EXPECT_FALSE(std::filesystem::exists(dir / "ini" / "zentu_1.ini"));
}

TEST_F(ConversionRunTest, AnAdifPathThatIsAFolderFailsAndLeavesThePreviousCsvInPlace) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    test::WriteBytes(dir / "out" / "LOGLIST.CSV", "previous");
    std::filesystem::create_directories(dir / "out" / "LOGLIST.adi");
    settings.adif_out = "1";
    const RunResult result = Run(0);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("LOGLIST.adi"), std::string::npos) << result.error;
    EXPECT_EQ(Csv(), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 2);
}

TEST_F(ConversionRunTest, ALogThatCannotBeOpenedFailsWithoutTouchingAnything) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    std::filesystem::remove(dir / "LOG.mst");
    test::WriteBytes(dir / "out" / "LOGLIST.CSV", "previous");
    settings.last_end_rec_no = "0";
    const RunResult result = Run(4, "1");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(".mst"), std::string::npos) << result.error;
    EXPECT_EQ(Csv(), "previous");
    EXPECT_EQ(settings.last_end_rec_no, "0");
    EXPECT_FALSE(std::filesystem::exists(dir / "ini" / "zentu_1.ini"));
}

TEST_F(ConversionRunTest, NeitherOutputNorTheBookkeepingChangesWhenALaterFileCannotBePutInPlace) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    for (const int failing : {1, 2, 3}) { // the CSV file, the ADIF file, the settings file
        FailingRename steps(failing);
        RunOptions options;
        options.replaceSteps = &steps;
        const RunResult result = Run(4, "1", options);
        ExpectNothingChanged(result, iniBefore, "rename " + std::to_string(failing));
        EXPECT_NE(result.error.find("ディスクの空き容量が足りません"), std::string::npos) << result.error;
    }
    ASSERT_TRUE(Run(4, "1").ok);
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2}));
    EXPECT_EQ(settings.last_end_rec_no, "2");
}

#ifndef _WIN32
TEST_F(ConversionRunTest, AWriteThatFailsHalfWayKeepsThePreviousFilesAndNamesTheFileAndTheCause) {
    // Files of this process may not grow past 64 KiB while the run works (as a FAT32 disk stops a file at 4 GB): the
    // CSV file of this log is larger, so one of its writes fails after others went through.
    std::vector<hamlog::LogRecord> records;
    for (int n = 1; n <= 3000; ++n) {
        records.push_back(Qso("JA" + std::to_string(n), "10/01/01", "00:00J"));
    }
    MakeLog(records);
    PreviousRun();
    const std::string iniBefore = Ini();
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const RunResult result = Run(4, "1");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ExpectNothingChanged(result, iniBefore, "file size limit");
    EXPECT_NE(result.error.find("LOGLIST.CSV"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("ファイルが大きすぎて"), std::string::npos) << result.error;
}
#endif

TEST_F(ConversionRunTest, ReadOnlyOutputsAndSettingsFilesAreKeptAndTheRunIsRefused) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    for (const char* file : {"out/LOGLIST.CSV", "out/LOGLIST.adi", "ini/zentu_1.ini"}) {
        test::SetReadOnly(dir / file, true);
        const RunResult result = Run(4, "1");
        ExpectNothingChanged(result, iniBefore, file);
        EXPECT_NE(result.error.find(std::filesystem::path(file).filename().string()), std::string::npos)
            << result.error;
        EXPECT_NE(result.error.find("読み取り専用"), std::string::npos) << result.error;
        test::SetReadOnly(dir / file, false);
    }
}

TEST_F(ConversionRunTest, ARecordThatCannotBeReadFailsTheRunInsteadOfWritingBlankLines) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J"), Qso("A3", "10/01/03", "00:00J"),
             Qso("A4", "10/01/04", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    // Another program cuts the log to two records once the run has counted and opened it.
    test::TempDir shorter;
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(shorter / "LOG.hdb", {log[0], log[1]}, &error)) << error;
    class Shrinker : public RecordingObserver {
    public:
        Shrinker(std::filesystem::path log, std::uintmax_t size) : m_log(std::move(log)), m_size(size) {}
        void progressStarted(double maximum) override {
            std::filesystem::resize_file(m_log, m_size);
            RecordingObserver::progressStarted(maximum);
        }

    private:
        std::filesystem::path m_log;
        std::uintmax_t m_size;
    } shrinker(dir / "LOG.hdb", std::filesystem::file_size(shorter / "LOG.hdb"));
    RunInput input{dir.path(), 1, RangeMode::NewAdditions, 4, "1"};
    const RunResult result = RunConversion(library, settings, input, {}, &shrinker);
    ExpectNothingChanged(result, iniBefore, "shrunk log");
    EXPECT_EQ(result.failure, RunFailure::Failed);
    EXPECT_NE(result.error.find("レコード 3 "), std::string::npos) << result.error;
}

TEST_F(ConversionRunTest, OutputsThatWouldReplaceTheLogOrAProgramFileAndUnusablePathsAreRefused) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(dir / "OUT.adi", log, &error)) << error;
    std::filesystem::create_directories(dir / "sub");
    const bool linked = test::MakeSymbolicLink(dir / "LOG.hdb", dir / "out" / "link.csv");
    const std::string logBefore = test::ReadBytes(dir / "LOG.hdb");
    struct Case {
        std::string csv;
        std::string log;
        std::string expected; // a part of the message
    };
    const std::string tooLong = (dir / "out" / std::string(263 - dir.path().string().size() - 5, 'n')).string();
    std::vector<Case> cases = {
        {(dir / "LOG.hdb").string(), "", "LOG.hdb と同じファイルです"},
        {(dir / "sub" / ".." / "LOG.hdb").string(), "", "ログファイル"},
        {(dir / "LOG.mst").string(), "", "マスターファイル"},
        {(dir / "OUT.CSV").string(), (dir / "OUT.adi").string(), "ADIF ファイル"},
        {(dir / "ini" / "zentu_2.ini").string(), "", "の中にあります"},
        {(dir / "mode_tbl.csv").string(), "", "mode_tbl.csv"},
        {(dir / RecordLibrary::mainLibraryFileName()).string(), "", "記録ライブラリ"},
        {tooLong, "", "長すぎます"},
        {(dir / "out" / "OUT\xEF\xBF\xBD.CSV").string(), "", "シフトJIS"},
        {(dir / "out" / "\"").string(), "", "ファイル名がありません"},
        {(dir / "out" / " \" ").string(), "", "ファイル名がありません"},
    };
    if (linked) {
        cases.push_back({(dir / "out" / "link.csv").string(), "", "ログファイル"});
    }
#ifdef _WIN32
    // Windows' file names ignore letter case.
    cases.push_back({(dir / "log.HDB").string(), "", "ログファイル"});
#endif
    for (const Case& c : cases) {
        settings.set_outcsv_dir = c.csv;
        settings.set_hdb_dir = c.log.empty() ? (dir / "LOG.hdb").string() : c.log;
        settings.adif_out = "1";
        const RunResult result = Run(0);
        EXPECT_FALSE(result.ok) << c.csv;
        EXPECT_EQ(result.failure, RunFailure::Refused) << c.csv;
        EXPECT_NE(result.error.find(c.expected), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(c.log.empty() ? c.csv : c.log), std::string::npos) << result.error;
    }
    EXPECT_EQ(test::ReadBytes(dir / "LOG.hdb"), logBefore);
    EXPECT_FALSE(std::filesystem::exists(dir / "mode_tbl.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ini" / "zentu_2.ini"));
}

TEST_F(ConversionRunTest, ASecondRunOfTheJobIsRefusedWhileTheFirstHoldsItsLockOrAfterItMovedTheBookkeeping) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    JobSettings second = settings; // a second program that loaded the job before the first one ran

    JobLock first;
    std::string reason;
    ASSERT_TRUE(first.acquire(dir.path(), 1, 0ms, reason)) << reason;
    RunOptions options;
    options.lockWait = 0ms;
    RunResult result = Run(4, "1", options);
    ExpectNothingChanged(result, iniBefore, "locked");
    EXPECT_EQ(result.failure, RunFailure::Busy);
    first.release();

    ASSERT_TRUE(Run(4, "1").ok);
    const std::string afterFirst = Ini();
    std::string error;
    ASSERT_TRUE(hamlog::AppendRecords(dir / "LOG.hdb", {Qso("A3", "10/01/03", "00:00J")}, &error)) << error;
    RunInput input{dir.path(), 1, RangeMode::NewAdditions, 3, "1"};
    result = RunConversion(library, second, input, {}, nullptr);
    EXPECT_EQ(result.failure, RunFailure::Outdated) << result.error;
    EXPECT_EQ(Csv(), ExpectedCsv({1, 2}));
    EXPECT_EQ(Ini(), afterFirst);
}

TEST_F(ConversionRunTest, TheNextRunRemovesTheTemporaryFilesAKilledRunLeftBehind) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    PreviousRun();
    for (const char* name : {"out/.LOGLIST.CSV.zentu-999999999-1.tmp", "out/.LOGLIST.adi.zentu-999999999-2.tmp",
                             "ini/.zentu_1.ini.zentu-999999999-3.tmp"}) {
        test::WriteBytes(dir / name, std::string(1000, 'x'));
    }
    ASSERT_TRUE(Run(4, "1").ok);
    EXPECT_EQ(Names(dir / "out"), (std::set<std::string>{"LOGLIST.CSV", "LOGLIST.adi"}));
    EXPECT_EQ(Names(dir / "ini"),
              (std::set<std::string>{"zentu_1.ini", "zentu_1.lock",
                                     OutputLockPath(dir.path(), dir / "out" / "LOGLIST.CSV").filename().string()}));
}

TEST_F(ConversionRunTest, BytesThatAreNotCp932StayAsTheyWereAndTheSignatureCheckAgreesWithTheStoredOne) {
    for (const std::string field8 : {std::string("1\x80\x80"), std::string("ab\r\ncd"), std::string("x\x81")}) {
        auto last = Qso("JA1\x80", "10/01/02", "00:00J");
        last.fields[7] = field8;
        MakeLog({Qso("A1", "10/01/01", "00:00J"), last});
        test::WriteBytes(dir / "ini" / "zentu_1.ini", "[Set_hdb]\r\nset_date_time_UJ=\x80J\r\n");
        const JobSettings paths = settings;
        LoadJobSettings(dir.path(), 1, settings);
        settings.set_hdb_dir = paths.set_hdb_dir;
        settings.set_outcsv_dir = paths.set_outcsv_dir;
        const RunResult result = Run(4, "1");
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_NE(Ini().find("set_date_time_UJ=\x80J\r\n"), std::string::npos) << Ini();

        JobSettings reloaded;
        LoadJobSettings(dir.path(), 1, reloaded);
        EXPECT_EQ(reloaded.last_end_rec_no, "2");
        const LastQsoCheck check = CheckLastQso(library, reloaded, dir / "LOG.hdb");
        EXPECT_FALSE(check.changed()) << check.stored << " / " << check.current;
    }
}

TEST(StoredSignatureTest, WhatARunStoresReadsBackAsTheCheckBuildsIt) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "ini");
    std::array<std::string, 16> base{};
    const std::string wide = std::string(254, 'a');
    const std::string cases[] = {"plain",           "\x80\x9f",           "a\r\nb", " blank ", "\"quoted\"",
                                 wide + "\x82\xa0", std::string(300, 'z')};
    for (const std::string& field8 : cases) {
        std::array<std::string, 16> fields = base;
        fields[0] = "JA1ABC";
        fields[7] = field8;
        const std::string stored = StoredLastQsoSignature(fields);
        EXPECT_LE(stored.size(), 255u);
        JobSettings settings;
        AtomicFile ready;
        std::string error;
        ASSERT_TRUE(PrepareJobSettingsSave(dir.path(), 1, settings, kZentuVersion, true, &stored, ready, &error))
            << error;
        ASSERT_TRUE(ready.commit());
        LoadJobSettings(dir.path(), 1, settings);
        EXPECT_EQ(settings.select_flag_new_add_last_QSO_data, Cp932Codec::decodeLossy(stored)) << field8;
    }
}

TEST(AdifPathTest, ReplacesOnlyTheLastExtension) {
    EXPECT_EQ(AdifPathFor("/home/u/Hamlog/LOGLIST.CSV"), std::filesystem::path("/home/u/Hamlog/LOGLIST.adi"));
    EXPECT_EQ(AdifPathFor("/data/logs.csv/out.csv"), std::filesystem::path("/data/logs.csv/out.adi"));
    EXPECT_EQ(AdifPathFor("/data/out"), std::filesystem::path("/data/out.adi"));
    EXPECT_EQ(AdifPathFor("/data/a.b.csv"), std::filesystem::path("/data/a.b.adi"));
}

TEST(SplitPathTest, SplitsAnExistingFileAndLeavesTheOutputsForAMissingOne) {
    test::TempDir dir;
    const std::string path = (dir / "LOGLIST.CSV").string();
    test::WriteBytes(path, "");
    SplitPathParts parts;
    ASSERT_TRUE(SplitPath(path, parts));
    EXPECT_EQ(parts.FileNamePart, "LOGLIST.CSV");
    EXPECT_EQ(parts.ExtensionPart, "CSV");
    const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(parts.FolderPart, dir.path().string() + separator);
    EXPECT_EQ(parts.StemWithDot, dir.path().string() + separator + "LOGLIST.");

    SplitPathParts untouched{"a", "b", "c", "d"};
    EXPECT_FALSE(SplitPath((dir / "missing.csv").string(), untouched));
    EXPECT_EQ(untouched.StemWithDot, "d");
}

} // namespace
} // namespace zentu
