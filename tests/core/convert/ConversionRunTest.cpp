#include "convert/ConversionRun.h"

#include "convert/AdifWriter.h"
#include "convert/ModeTable.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentu {
namespace {

hamlog::LogRecord Qso(const std::string& call, const std::string& date, const std::string& time,
                      const std::string& freq = "7.050", const std::string& mode = "CW") {
    hamlog::LogRecord record;
    record.fields = {call, date, time, "599", "579", freq, mode, "1001", "PM95", "J", "", "", "", "", "F15", "F16"};
    return record;
}

std::string CsvLine(const hamlog::LogRecord& record) {
    std::string line;
    AppendCsvLine(line, record.fields);
    return line;
}

/// Records the observer calls of a run.
class RecordingObserver : public RunObserver {
public:
    void progressStarted(double max) override { maximum = max; }
    void progressed(std::int64_t value) override { values.push_back(value); }
    void outputCounted(std::int64_t count) override { counted = count; }

    double maximum = -1;
    std::vector<std::int64_t> values;
    std::int64_t counted = -1;
};

class ConversionRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
        settings.set_hdb_dir = (dir / "LOG.hdb").string();
        settings.set_outcsv_dir = (dir / "out" / "LOGLIST.CSV").string();
        std::filesystem::create_directories(dir / "out");
        std::filesystem::create_directories(dir / "ini");
    }

    void MakeLog(const std::vector<hamlog::LogRecord>& records) {
        log = records;
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", records, &error)) << error;
    }

    RunResult Run(int mode, const std::string& newStart = "", const RunOptions& options = {}) {
        RunInput input;
        input.programFolder = dir.path();
        input.job = 1;
        input.rangeMode = static_cast<RangeMode>(mode);
        input.record_count = static_cast<std::int32_t>(log.size());
        input.new_start_rec_no = newStart;
        return RunConversion(library, settings, input, options, &observer);
    }

    std::string Csv() const { return test::ReadBytes(dir / "out" / "LOGLIST.CSV"); }
    std::string ExpectedCsv(std::initializer_list<int> numbers) const {
        std::string expected;
        for (const int n : numbers) {
            expected += CsvLine(log[static_cast<std::size_t>(n - 1)]);
        }
        return expected;
    }

    test::TempDir dir;
    RecordLibrary library;
    JobSettings settings;
    std::vector<hamlog::LogRecord> log;
    RecordingObserver observer;
};

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
    EXPECT_EQ(parts.FolderPart, dir.path().string() + "/");
    EXPECT_EQ(parts.StemWithDot, dir.path().string() + "/LOGLIST.");

    SplitPathParts untouched{"a", "b", "c", "d"};
    EXPECT_FALSE(SplitPath((dir / "missing.csv").string(), untouched));
    EXPECT_EQ(untouched.StemWithDot, "d");
}

} // namespace
} // namespace zentu
