#include "CliRunner.h"

#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

namespace zentu {
namespace {

hamlog::LogRecord Qso(const std::string& call, const std::string& date) {
    hamlog::LogRecord record;
    record.fields = {call, date, "12:00J", "59", "59", "7.050", "SSB", "1001", "", "", "", "", "", "", "", ""};
    return record;
}

/// A program folder with the record libraries, the default mode table, a log and job 1.
class ZentuCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"libHamlog50.so", "libThdll2Vb.so", "mode_tbl.csv"}) {
            std::filesystem::copy_file(test::BinDir() / name, dir / name);
        }
        std::filesystem::create_directories(dir / "ini");
        std::filesystem::create_directories(dir / "JOB");
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {Qso("JA1AA", "10/01/01"), Qso("JA1BB", "10/01/02")}, &error))
            << error;
        JobRegistry registry(dir.path());
        for (int n = 1; n <= 9; ++n) {
            ASSERT_TRUE(registry.writeEmptySlot(n));
        }
        ASSERT_TRUE(registry.writeRegisteredJob(1, {"Test", "", "", ""}));
        settings.set_hdb_dir = (dir / "LOG.hdb").string();
        settings.set_outcsv_dir = (dir / "OUT.CSV").string();
        settings.select_flag = "4";
        Save();
    }

    void Save() { ASSERT_TRUE(SaveJobSettings(dir.path(), 1, settings, kZentuVersion)); }

    CliStatus Run(std::vector<std::string> extra = {}) {
        out.str("");
        err.str("");
        std::vector<std::string> arguments = {"--folder", dir.path().string(), "--job", "1"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(arguments, out, err);
    }

    test::TempDir dir;
    JobSettings settings;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ZentuCliTest, RefusesUnregisteredJobsAndJobsWithoutPaths) {
    JobRegistry(dir.path()).writeEmptySlot(1);
    EXPECT_EQ(Run(), CliStatus::JobNotReady);
    EXPECT_NE(err.str().find("登録されていません"), std::string::npos);

    JobRegistry(dir.path()).writeRegisteredJob(1, {"Test", "", "", ""});
    settings.set_outcsv_dir = "   ";
    Save();
    EXPECT_EQ(Run(), CliStatus::JobNotReady);
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
}

TEST_F(ZentuCliTest, NewAdditionsJobRunsThenFindsNothingThenTakesOnlyTheAddedRecord) {
    ASSERT_EQ(Run(), CliStatus::Success) << err.str();
    EXPECT_NE(out.str().find("出力データ ： 新規追加分のみ ：  1　～　2"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("出力数 : 2 件"), std::string::npos) << out.str();

    std::filesystem::remove(dir / "OUT.CSV");
    ASSERT_EQ(Run(), CliStatus::Success) << err.str();
    EXPECT_NE(out.str().find("新規追加レコードはありません！"), std::string::npos) << out.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));

    std::string error;
    ASSERT_TRUE(hamlog::AppendRecords(dir / "LOG.hdb", {Qso("JA1CC", "10/01/03")}, &error)) << error;
    ASSERT_EQ(Run(), CliStatus::Success) << err.str();
    EXPECT_NE(out.str().find("出力数 : 1 件"), std::string::npos) << out.str();
    EXPECT_NE(test::ReadBytes(dir / "OUT.CSV").find("JA1CC"), std::string::npos);
}

TEST_F(ZentuCliTest, StopsWithStatus4WhenTheLastRecordChangedUnlessForced) {
    ASSERT_EQ(Run(), CliStatus::Success) << err.str();
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(
        dir / "LOG.hdb", {Qso("JA1AA", "10/01/01"), Qso("JA9ZZ", "10/01/02"), Qso("JA1CC", "10/01/03")}, &error));
    const std::string before = test::ReadBytes(dir / "ini" / "zentu_1.ini");
    std::filesystem::remove(dir / "OUT.CSV");

    EXPECT_EQ(Run(), CliStatus::ChangedLog);
    EXPECT_NE(err.str().find("JA1BB_10/01/02_12:00J_7.050_SSB_1001"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("JA9ZZ_10/01/02_12:00J_7.050_SSB_1001"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
    EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.ini"), before);

    EXPECT_EQ(Run({"--force"}), CliStatus::Success) << err.str();
    EXPECT_NE(out.str().find("出力数 : 1 件"), std::string::npos) << out.str();
}

TEST_F(ZentuCliTest, AFailedRunReportsTheReasonAndKeepsTheBookkeeping) {
    settings.set_outcsv_dir = (dir / "no-such-folder" / "OUT.CSV").string();
    Save();
    const std::string before = test::ReadBytes(dir / "ini" / "zentu_1.ini");
    EXPECT_EQ(Run(), CliStatus::RunFailed);
    EXPECT_NE(err.str().find("OUT.CSV"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.ini"), before);
}

TEST_F(ZentuCliTest, ALogThatCannotBeCountedHasItsOwnStatus) {
    std::filesystem::remove(dir / "LOG.hdb");
    EXPECT_EQ(Run(), CliStatus::LogUnreadable);
}

int RunBinary(const std::string& arguments) {
    const std::string command = (test::BinDir() / "zentu_cli").string() + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ZentuCliTest, TheProgramExitsWithTheDocumentedStatuses) {
    EXPECT_EQ(RunBinary("--help"), 0);
    EXPECT_EQ(RunBinary("--job 10"), 1);
    EXPECT_EQ(RunBinary("--bogus"), 1);
    EXPECT_EQ(RunBinary("--folder " + dir.path().string() + " --job 2"), 3);
    EXPECT_EQ(RunBinary("--folder " + dir.path().string() + " --job 1"), 0);
}

} // namespace
} // namespace zentu
