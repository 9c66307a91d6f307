#include "settings/JobSettings.h"

#include "platform/AtomicFile.h"
#include "settings/JobLock.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace zentu {
namespace {

using test::ReadBytes;
using test::Sjis;
using test::TempDir;
using test::WriteBytes;

/// A record with a distinct value in every field.
JobSettings FilledSettings() {
    JobSettings s;
    s.version = "0.20";
    s.set_hdb_dir = "/home/op/Hamlog/Hamlog.hdb";
    s.set_outcsv_dir = "/home/op/Hamlog/LOGLIST.CSV";
    s.adif_out = "1";
    s.select_flag = "4";
    s.set_start_date = "20100101";
    s.set_end_date = "20100201";
    s.set_date_time_UJ = "JST";
    s.set_start_rec_no = "1";
    s.set_end_rec_no = "120";
    s.zentu_arun_end_time = "3";
    s.set_rec_hani = "1000";
    s.set_anytime_last = "0";
    s.last_start_rec_no = "100";
    s.last_end_rec_no = "120";
    s.select_flag_new_add_last_QSO_data = "JA1ABC_10/05/01_12:34J_7.050_CW_";
    return s;
}

const char* const kNewFile = "[Config]\r\n"
                             "version=0.25\r\n"
                             "set_hdb_dir=/home/op/Hamlog/Hamlog.hdb\r\n"
                             "set_outcsv_dir=/home/op/Hamlog/LOGLIST.CSV\r\n"
                             "adif_out=1\r\n"
                             "[Set_hdb]\r\n"
                             "select_flag=4\r\n"
                             "set_start_date=20100101\r\n"
                             "set_end_date=20100201\r\n"
                             "set_date_time_UJ=JST\r\n"
                             "set_start_rec_no=1\r\n"
                             "set_end_rec_no=120\r\n"
                             "zentu_arun_end_time=3\r\n"
                             "set_rec_hani=1000\r\n"
                             "set_anytime_last=0\r\n"
                             "last_start_rec_no=100\r\n"
                             "last_end_rec_no=120\r\n"
                             "[JOB_run]\r\n"
                             "select_flag_new_add_last_QSO_data=JA1ABC_10/05/01_12:34J_7.050_CW_\r\n";

/// The file's lines without blank lines (whether sections are separated by one is the writer's choice).
/// Every line must end in CR LF.
std::string NonBlankLines(const std::filesystem::path& file) {
    const std::string bytes = ReadBytes(file);
    std::string lines;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF in " << file;
            return lines + bytes.substr(pos);
        }
        if (end > pos) {
            lines += bytes.substr(pos, end - pos + 2);
        }
        pos = end + 2;
    }
    return lines;
}

TEST(JobSettings, MissingFileLoadsSixteenEmptyFieldsAndCreatesNothing) {
    TempDir dir;
    JobSettings s = FilledSettings();
    LoadJobSettings(dir.path(), 5, s);
    EXPECT_EQ(s, JobSettings{});
    EXPECT_FALSE(std::filesystem::exists(dir / "ini"));
}

TEST(JobSettings, NewFileHoldsSectionsAndKeysInTableOrderAndVersionOfTheProgram) {
    TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    std::string error;
    ASSERT_TRUE(SaveJobSettings(dir.path(), 2, FilledSettings(), kZentuVersion, &error)) << error;
    EXPECT_EQ(NonBlankLines(dir / "ini/zentu_2.ini"), kNewFile);

    JobSettings loaded;
    LoadJobSettings(dir.path(), 2, loaded);
    JobSettings expected = FilledSettings();
    expected.version = "0.25";
    EXPECT_EQ(loaded, expected);
}

TEST(JobSettings, SaveKeepsExistingOrderAndUnknownKeysAndSections) {
    TempDir dir;
    const std::string original = "[Set_hdb]\r\n"
                                 "last_end_rec_no=7\r\n"
                                 "my_note=keep me\r\n"
                                 "[Mine]\r\n"
                                 "adif_out=hand written\r\n"
                                 "[Config]\r\n"
                                 "version=0.20\r\n"
                                 "adif_out=1\r\n";
    WriteBytes(dir / "ini/zentu_1.ini", original);
    JobSettings s;
    LoadJobSettings(dir.path(), 1, s);
    EXPECT_EQ(s.version, "0.20");
    EXPECT_EQ(s.adif_out, "1");
    EXPECT_EQ(s.last_end_rec_no, "7");

    s.adif_out = "";
    ASSERT_TRUE(SaveJobSettings(dir.path(), 1, s, kZentuVersion));
    const std::string bytes = ReadBytes(dir / "ini/zentu_1.ini");
    EXPECT_NE(bytes.find("[Set_hdb]\r\nlast_end_rec_no=7\r\nmy_note=keep me\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Mine]\r\nadif_out=hand written\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Config]\r\nversion=0.25\r\nadif_out=\r\n"), std::string::npos) << bytes;
    EXPECT_LT(bytes.find("[Set_hdb]"), bytes.find("[Mine]"));
    EXPECT_LT(bytes.find("[Mine]"), bytes.find("[Config]"));
    EXPECT_NE(bytes.find("[JOB_run]\r\nselect_flag_new_add_last_QSO_data=\r\n"), std::string::npos) << bytes;
}

TEST(JobSettings, LongValueReadsBackAs255BytesWithoutAHalfCharacter) {
    TempDir dir;
    WriteBytes(dir / "ini/zentu_1.ini", "[Set_hdb]\r\nset_end_date=" + std::string(300, 'a') + "\r\n");
    JobSettings s;
    LoadJobSettings(dir.path(), 1, s);
    EXPECT_EQ(s.set_end_date, std::string(255, 'a'));

    // 254 ASCII bytes, then a double-byte character whose first byte is the 255th: the cut half is dropped,
    // so the value can be saved again.
    WriteBytes(dir / "ini/zentu_1.ini", "[Set_hdb]\r\nset_end_date=" + std::string(254, 'b') + Sjis("日本") + "\r\n");
    LoadJobSettings(dir.path(), 1, s);
    EXPECT_EQ(s.set_end_date, std::string(254, 'b'));
    EXPECT_TRUE(SaveJobSettings(dir.path(), 1, s, kZentuVersion));
}

TEST(JobSettings, PathsAreReadWholeAndUnchangedKeysKeepTheirBytesThroughASave) {
    TempDir dir;
    const std::string longPath = "/" + std::string(299, 'p');
    const std::string oddBytes = "JA1\x80\x80_x";
    const std::string original = "[Config]\r\nset_outcsv_dir=" + longPath + "\r\n[Set_hdb]\r\nset_rec_hani= 10 \r\n" +
                                 "[JOB_run]\r\nselect_flag_new_add_last_QSO_data=" + oddBytes + "\r\n";
    WriteBytes(dir / "ini/zentu_1.ini", original);
    JobSettings s;
    LoadJobSettings(dir.path(), 1, s);
    EXPECT_EQ(s.set_outcsv_dir, longPath);

    // Bytes that are not CP932 load as replacement characters; saved unchanged, they stay the bytes they were.
    s.last_end_rec_no = "5";
    std::string error;
    ASSERT_TRUE(SaveJobSettings(dir.path(), 1, s, kZentuVersion, &error)) << error;
    const std::string bytes = ReadBytes(dir / "ini/zentu_1.ini");
    EXPECT_NE(bytes.find("set_outcsv_dir=" + longPath + "\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("set_rec_hani= 10 \r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("select_flag_new_add_last_QSO_data=" + oddBytes + "\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("last_end_rec_no=5\r\n"), std::string::npos) << bytes;
}

TEST(JobSettings, JapanesePathIsStoredAsCp932AndReadBackAsUtf8) {
    TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    JobSettings s;
    s.set_hdb_dir = "/home/op/ハムログ/表.hdb"; // 表 has a trail byte of 0x5C
    ASSERT_TRUE(SaveJobSettings(dir.path(), 3, s, kZentuVersion));
    EXPECT_NE(ReadBytes(dir / "ini/zentu_3.ini").find("set_hdb_dir=" + Sjis(s.set_hdb_dir) + "\r\n"),
              std::string::npos);
    JobSettings loaded;
    LoadJobSettings(dir.path(), 3, loaded);
    EXPECT_EQ(loaded.set_hdb_dir, s.set_hdb_dir);
}

TEST(JobSettings, FailedSaveWritesNothingAndSaysWhy) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(SaveJobSettings(dir.path(), 1, FilledSettings(), kZentuVersion, &error));
    EXPECT_NE(error.find("zentu_1.ini"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "ini"));

    // A value CP932 cannot hold: the file stays exactly as it was.
    const std::string original = "[Config]\r\nversion=0.20\r\n";
    WriteBytes(dir / "ini/zentu_1.ini", original);
    JobSettings s = FilledSettings();
    s.set_outcsv_dir = "/home/op/log😀.csv";
    error.clear();
    EXPECT_FALSE(SaveJobSettings(dir.path(), 1, s, kZentuVersion, &error));
    EXPECT_NE(error.find("set_outcsv_dir"), std::string::npos) << error;
    EXPECT_NE(error.find("zentu_1.ini"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir / "ini/zentu_1.ini"), original);
}

TEST(JobSettings, AutoRunLoadLeavesTheSignatureAndItsSaveWritesOnlyTheRunNumbers) {
    TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    ASSERT_TRUE(SaveJobSettings(dir.path(), 4, FilledSettings(), kZentuVersion));

    JobSettings s;
    s.select_flag_new_add_last_QSO_data = "kept";
    LoadJobSettings(dir.path(), 4, s, false);
    EXPECT_EQ(s.select_flag_new_add_last_QSO_data, "kept");
    EXPECT_EQ(s.last_end_rec_no, "120");

    s.last_start_rec_no = "121";
    s.last_end_rec_no = "130";
    s.set_hdb_dir = "changed in memory only";
    ASSERT_TRUE(SaveRunBookkeeping(dir.path(), 4, s));
    JobSettings expected = FilledSettings();
    expected.version = "0.25";
    expected.last_start_rec_no = "121";
    expected.last_end_rec_no = "130";
    JobSettings reloaded;
    LoadJobSettings(dir.path(), 4, reloaded);
    EXPECT_EQ(reloaded, expected);
}

TEST(JobSettings, ADialogSaveWritesOnlyItsOwnKeysOnTopOfTheFileAndWaitsForARun) {
    TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    ASSERT_TRUE(SaveJobSettings(dir.path(), 3, FilledSettings(), kZentuVersion));

    // A window's stale copy, then a run elsewhere moves the bookkeeping on.
    JobSettings stale;
    LoadJobSettings(dir.path(), 3, stale);
    JobSettings run = stale;
    run.last_start_rec_no = "121";
    run.last_end_rec_no = "140";
    run.select_flag_new_add_last_QSO_data = "JA9XYZ_10/06/01_01:00U_14.000_SSB_";
    ASSERT_TRUE(SaveJobSettings(dir.path(), 3, run, kZentuVersion));

    JobSettings edited = stale;
    edited.set_outcsv_dir = "/home/op/Hamlog/NEW.CSV";
    edited.zentu_arun_end_time = "9";
    edited.select_flag = "2";
    std::string error;
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 3, edited, JobSettingsPart::Environment, kZentuVersion, &error))
        << error;
    edited.set_end_date = "20111231";
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 3, edited, JobSettingsPart::Range, kZentuVersion, &error)) << error;

    JobSettings expected = run;
    expected.set_outcsv_dir = edited.set_outcsv_dir;
    expected.zentu_arun_end_time = "9";
    expected.select_flag = "2";
    expected.set_end_date = "20111231";
    JobSettings reloaded;
    LoadJobSettings(dir.path(), 3, reloaded);
    EXPECT_EQ(reloaded, expected);

    // While a run holds the job's lock a save is refused and writes nothing.
    const std::string before = ReadBytes(dir / "ini/zentu_3.ini");
    JobLock running;
    std::string reason;
    ASSERT_TRUE(running.acquire(dir.path(), 3, std::chrono::milliseconds(0), reason)) << reason;
    edited.adif_out = "0";
    EXPECT_FALSE(SaveJobSettingsPart(dir.path(), 3, edited, JobSettingsPart::Environment, kZentuVersion, &error));
    EXPECT_NE(error.find("JOB 3"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir / "ini/zentu_3.ini"), before);
}

TEST(JobSettings, AFileThatCannotBeReadIsAnErrorNeverABlankJobAndNothingIsSavedOverIt) {
    TempDir dir;
    std::filesystem::create_directories(dir / "ini" / "zentu_2.ini"); // there, but no file that can be read
    JobSettings s = FilledSettings();
    std::string error;
    EXPECT_FALSE(LoadJobSettings(dir.path(), 2, s, true, &error));
    EXPECT_NE(error.find("zentu_2.ini"), std::string::npos) << error;
    EXPECT_NE(error.find("フォルダー"), std::string::npos) << error;
    // Nothing of another job or of an earlier load is left to be taken for this job's settings.
    EXPECT_EQ(s, JobSettings{});

    error.clear();
    EXPECT_FALSE(SaveJobSettingsPart(dir.path(), 2, FilledSettings(), JobSettingsPart::Range, kZentuVersion, &error));
    EXPECT_NE(error.find("zentu_2.ini"), std::string::npos) << error;
    AtomicFile ready;
    EXPECT_FALSE(PrepareJobSettingsSave(dir.path(), 2, FilledSettings(), kZentuVersion, true, nullptr, ready, &error));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "ini" / "zentu_2.ini"));
}

TEST(JobSettings, ALockFileThatIsAFolderIsNamedInsteadOfTheSettingsFolder) {
    TempDir dir;
    std::filesystem::create_directories(JobLockPath(dir.path(), 1));
    JobLock lock;
    std::string reason;
    EXPECT_FALSE(lock.acquire(dir.path(), 1, std::chrono::milliseconds(0), reason));
    EXPECT_FALSE(lock.busy());
    EXPECT_NE(lock.failure().find(JobLockPath(dir.path(), 1).string()), std::string::npos) << lock.failure();
    EXPECT_NE(lock.failure().find("フォルダーです"), std::string::npos) << lock.failure();
}

TEST(JobSettings, AByteOrderMarkBeforeTheFirstSectionIsReadPastAndKept) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    WriteBytes(dir / "ini/zentu_1.ini", bom + "[Config]\r\nset_hdb_dir=/home/op/L.hdb\r\nadif_out=1\r\n");
    JobSettings s;
    ASSERT_TRUE(LoadJobSettings(dir.path(), 1, s));
    EXPECT_EQ(s.set_hdb_dir, "/home/op/L.hdb");
    EXPECT_EQ(s.adif_out, "1");
    s.adif_out = "0";
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 1, s, JobSettingsPart::Environment, kZentuVersion));
    EXPECT_EQ(ReadBytes(dir / "ini/zentu_1.ini").substr(0, 11), bom + "[Config]");
    ASSERT_TRUE(LoadJobSettings(dir.path(), 1, s));
    EXPECT_EQ(s.adif_out, "0");
}

} // namespace
} // namespace zentu

namespace zentu {
namespace {

TEST(JobSettings, TheAdifV31KeysReachTheFileOnlyOnceSetAndGoAtTheEndOfConfig) {
    TempDir dir;
    std::filesystem::create_directories(dir / "ini");
    const auto file = dir / "ini" / "zentu_1.ini";
    // Blank, they are not added: every save and every dialog's save keeps a file without them byte for byte.
    JobSettings s = FilledSettings();
    ASSERT_TRUE(SaveJobSettings(dir.path(), 1, s, "0.25"));
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 1, s, JobSettingsPart::Environment, "0.25"));
    EXPECT_EQ(ReadBytes(file), kNewFile);

    s.adif_v31 = "1";
    s.station_callsign = "JA1ZZZ/1";
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 1, s, JobSettingsPart::Environment, "0.25"));
    std::string expected = kNewFile;
    expected.insert(expected.find("[Set_hdb]"), "adif_v31=1\r\nstation_callsign=JA1ZZZ/1\r\n");
    EXPECT_EQ(ReadBytes(file), expected);
    JobSettings loaded;
    ASSERT_TRUE(LoadJobSettings(dir.path(), 1, loaded));
    EXPECT_EQ(loaded.adif_v31, "1");
    EXPECT_EQ(loaded.station_callsign, "JA1ZZZ/1");
    EXPECT_EQ(loaded.operator_callsign, "");

    // Once in the file a key follows its value, blank included; the range dialog's save does not touch them.
    s.adif_v31.clear();
    s.operator_callsign = "JA1ABC";
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 1, s, JobSettingsPart::Environment, "0.25"));
    expected = kNewFile;
    expected.insert(expected.find("[Set_hdb]"), "adif_v31=\r\nstation_callsign=JA1ZZZ/1\r\noperator=JA1ABC\r\n");
    EXPECT_EQ(ReadBytes(file), expected);
    JobSettings other = s;
    other.station_callsign = "W1AW";
    ASSERT_TRUE(SaveJobSettingsPart(dir.path(), 1, other, JobSettingsPart::Range, "0.25"));
    EXPECT_EQ(ReadBytes(file), expected);
}

} // namespace
} // namespace zentu
