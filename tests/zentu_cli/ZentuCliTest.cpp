#include "CliRunner.h"
#include "ZentuCliFixture.h"

#include "hamlog/RecordLibrary.h"
#include "settings/JobLock.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "SyntheticLog.h"
#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zentu {
namespace {

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

TEST_F(ZentuCliTest, ASecondRunOfTheJobStopsWithStatus7AndChangesNothing) {
    JobLock first;
    std::string reason;
    ASSERT_TRUE(first.acquire(dir.path(), 1, std::chrono::milliseconds(0), reason)) << reason;
    const std::string before = test::ReadBytes(dir / "ini" / "zentu_1.ini");
    EXPECT_EQ(Run(), CliStatus::JobBusy);
    EXPECT_NE(err.str().find("ほかで実行中"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
    EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.ini"), before);
    first.release();
    EXPECT_EQ(Run(), CliStatus::Success) << err.str();
    EXPECT_NE(CliUsage().find("  7 "), std::string::npos);
}

TEST_F(ZentuCliTest, BadSettingsStopWithStatus3AndALogThatCannotBeOpenedWith5BeforeTheChangedLogCheck) {
    settings.select_flag = "3";
    settings.set_rec_hani = "0";
    Save();
    EXPECT_EQ(Run(), CliStatus::JobNotReady);
    EXPECT_NE(err.str().find("set_rec_hani"), std::string::npos) << err.str();

    settings.select_flag = "0";
    settings.set_outcsv_dir = settings.set_hdb_dir;
    Save();
    const std::string log = test::ReadBytes(dir / "LOG.hdb");
    EXPECT_EQ(Run(), CliStatus::JobNotReady);
    EXPECT_EQ(test::ReadBytes(dir / "LOG.hdb"), log);

    settings.select_flag = "4";
    settings.set_outcsv_dir = (dir / "OUT.CSV").string();
    settings.last_end_rec_no = "2";
    settings.select_flag_new_add_last_QSO_data = "something else";
    Save();
    std::filesystem::remove(dir / "LOG.mst");
    EXPECT_EQ(Run(), CliStatus::LogUnreadable);
    EXPECT_NE(err.str().find("LOG.mst"), std::string::npos) << err.str();
}

TEST_F(ZentuCliTest, AfterDeletionsForceExportsWhatFollowsTheRecordWrittenLastOrRefusesWhenItIsGone) {
    ASSERT_EQ(Run(), CliStatus::Success) << err.str();
    const std::string csv = test::ReadBytes(dir / "OUT.CSV");
    std::string error;
    // Another log of as many records: told as a changed log, not as "no new records".
    ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {Qso("JA9XX", "10/01/01"), Qso("JA9YY", "10/01/02")}, &error));
    EXPECT_EQ(Run(), CliStatus::ChangedLog);
    EXPECT_EQ(out.str().find("新規追加レコードはありません"), std::string::npos) << out.str();
    // Both contacts deleted, then one added: the log is shorter than where the previous run ended, and the record
    // written last is nowhere: no run can tell what is new.
    ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {Qso("JA1CC", "10/01/03")}, &error)) << error;
    EXPECT_EQ(Run(), CliStatus::ChangedLog);
    EXPECT_EQ(out.str().find("新規追加レコードはありません"), std::string::npos) << out.str();
    EXPECT_EQ(Run({"--force"}), CliStatus::ChangedLog);
    EXPECT_NE(err.str().find("「全レコード」か「番号で範囲指定」"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "OUT.CSV"), csv);

    // The first contact deleted and one added: the record written last is now record 1, and only what follows it is
    // new; the bookkeeping ends at the last record written.
    ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {Qso("JA1BB", "10/01/02"), Qso("JA1CC", "10/01/03")}, &error));
    EXPECT_EQ(Run(), CliStatus::ChangedLog);
    ASSERT_EQ(Run({"--force"}), CliStatus::Success) << err.str();
    EXPECT_NE(out.str().find("出力数 : 1 件"), std::string::npos) << out.str();
    EXPECT_EQ(test::ReadBytes(dir / "OUT.CSV").find("JA1BB"), std::string::npos);
    JobSettings stored;
    ASSERT_TRUE(LoadJobSettings(dir.path(), 1, stored));
    EXPECT_EQ(stored.last_start_rec_no, "2");
    EXPECT_EQ(stored.last_end_rec_no, "2");
    EXPECT_EQ(Run(), CliStatus::Success) << err.str(); // the log matches its bookkeeping again
}

TEST_F(ZentuCliTest, EachWrongSettingIsToldWithItsOwnCause) {
    struct Case {
        const char* name;
        std::function<void()> make;
        CliStatus status;
        const char* message;
    };
    const std::string log = settings.set_hdb_dir;
    const auto withSettings = [this](auto change) {
        return [this, change] {
            JobSettings changed = settings;
            change(changed);
            ASSERT_TRUE(SaveJobSettings(dir.path(), 1, changed, kZentuVersion));
        };
    };
    const auto folderInstead = [this](const char* file) {
        return [this, file] {
            std::filesystem::remove(dir / file);
            std::filesystem::create_directory(dir / file);
        };
    };
    const Case cases[] = {
        {"log missing", [this] { std::filesystem::remove(dir / "LOG.hdb"); }, CliStatus::LogUnreadable,
         "（ファイルまたはフォルダーがありません）"},
        {"log is a folder", folderInstead("LOG.hdb"), CliStatus::LogUnreadable, "（ファイルではなくフォルダーです）"},
        {"log is no Hamlog log", [this] { test::WriteBytes(dir / "LOG.hdb", "just text\r\n"); },
         CliStatus::LogUnreadable, "Hamlog のログではありません"},
        {"settings file is a folder", folderInstead("ini/zentu_1.ini"), CliStatus::JobNotReady,
         "zentu_1.ini を読めません（ファイルではなくフォルダーです）"},
        {"job file is a folder", folderInstead("JOB/JOB_1.txt"), CliStatus::JobNotReady,
         "JOB_1.txt を読めません（ファイルではなくフォルダーです）"},
        {"mode table is a folder", folderInstead("mode_tbl.csv"), CliStatus::JobNotReady,
         "mode_tbl.csv を読めません（ファイルではなくフォルダーです）"},
        {"mode table missing", [this] { std::filesystem::remove(dir / "mode_tbl.csv"); }, CliStatus::JobNotReady,
         "mode_tbl.csv　がありません"},
        {"log path never set", withSettings([](JobSettings& s) { s.set_hdb_dir = ""; }), CliStatus::JobNotReady,
         "JOB 1 の入力ファイル（Hamlog のログ）が設定されていません。"},
        {"select_flag 5", withSettings([](JobSettings& s) { s.select_flag = "5"; }), CliStatus::JobNotReady,
         "select_flag の値「5」は 0 から 4 のどれでもありません"},
        {"select_flag abc", withSettings([](JobSettings& s) { s.select_flag = "abc"; }), CliStatus::JobNotReady,
         "select_flag の値「abc」"},
        {"range never saved", withSettings([](JobSettings& s) { s.select_flag = ""; }), CliStatus::JobNotReady,
         "JOB 1 の範囲設定が保存されていません。"},
        {"NUL in the output path",
         [this] {
             std::string ini = test::ReadBytes(dir / "ini" / "zentu_1.ini");
             const std::string key = "set_outcsv_dir=" + (dir / "OUT").string();
             ini.replace(ini.find(key), key.size(), key + std::string(1, '\0'));
             test::WriteBytes(dir / "ini" / "zentu_1.ini", ini);
         },
         CliStatus::JobNotReady, "改行などの使えない文字があります"},
    };
    const std::string iniBefore = test::ReadBytes(dir / "ini" / "zentu_1.ini");
    const std::string jobBefore = test::ReadBytes(dir / "JOB" / "JOB_1.txt");
    for (const Case& c : cases) {
        c.make();
        EXPECT_EQ(Run(), c.status) << c.name << ": " << err.str();
        EXPECT_NE(err.str().find(c.message), std::string::npos) << c.name << ": " << err.str();
        EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV")) << c.name;
        // Back to the working job.
        for (const char* file : {"LOG.hdb", "ini/zentu_1.ini", "JOB/JOB_1.txt", "mode_tbl.csv"}) {
            std::filesystem::remove_all(dir / file);
        }
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(log, {Qso("JA1AA", "10/01/01"), Qso("JA1BB", "10/01/02")}, &error)) << error;
        test::WriteBytes(dir / "ini" / "zentu_1.ini", iniBefore);
        test::WriteBytes(dir / "JOB" / "JOB_1.txt", jobBefore);
        std::filesystem::copy_file(test::BinDir() / "mode_tbl.csv", dir / "mode_tbl.csv");
    }
}

TEST_F(ZentuCliTest, TheCommandLineNamesWhatIsWrongWithIt) {
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const std::string missing = (dir / "no-such-folder").string();
    for (const Case& c :
         {Case{{"--folder", dir.path().string(), "--job"}, "--job の後に JOB 番号"},
          Case{{"--job", "1", "--folder"}, "--folder の後に"}, Case{{"--job", "1", "--folder", ""}, "空のフォルダー名"},
          Case{{"--job", "1", "--folder", missing}, missing.c_str()},
          Case{{"--job", "1", "--bogus"}, "分からない引数です: --bogus"}}) {
        std::ostringstream output;
        std::ostringstream errors;
        EXPECT_EQ(RunCli(c.arguments, output, errors), CliStatus::Usage) << c.message;
        EXPECT_LT(errors.str().find(c.message), errors.str().find("使い方")) << errors.str();
    }
    std::ostringstream output;
    std::ostringstream errors;
    EXPECT_EQ(RunCli({"--help"}, output, errors), CliStatus::Success);
    EXPECT_NE(output.str().find("終了コード:"), std::string::npos);
    EXPECT_NE(output.str().find("  8 "), std::string::npos);
}

/// Runs the real program with its output thrown away; -2 when it has not ended after `seconds`.
int RunBinaryFor(const std::vector<std::string>& arguments, int seconds) {
    return test::RunProgram(test::ProgramInBinDir("zentu_cli"), arguments, {}, {}, std::chrono::seconds(seconds));
}

TEST_F(ZentuCliTest, NamedPipesInPlaceOfTheJobsFilesNeverMakeTheProgramWait) {
    if (!test::MakeNamedPipe(dir / "probe")) {
        GTEST_SKIP() << "named pipes among files, which Windows does not have";
    }
    std::filesystem::remove(dir / "probe");
    const std::vector<std::string> arguments = {"--folder", dir.path().string(), "--job", "1"};
    struct Case {
        const char* file;
        int status;
    };
    for (const Case& c : {Case{"LOG.hdb", 5}, Case{"LOG.mst", 5}, Case{"mode_tbl.csv", 3}, Case{"ini/zentu_1.ini", 3},
                          Case{"JOB/JOB_1.txt", 3}}) {
        const std::filesystem::path file = dir / c.file;
        const std::filesystem::path kept = dir / "kept";
        std::filesystem::rename(file, kept);
        ASSERT_TRUE(test::MakeNamedPipe(file));
        EXPECT_EQ(RunBinaryFor(arguments, 20), c.status) << c.file;
        std::filesystem::remove(file);
        std::filesystem::rename(kept, file);
    }
}

TEST_F(ZentuCliTest, TerminatingARunLeavesNoTemporaryFileBehind) {
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(dir / "LOG.hdb", 200000, 7, &error)) << error;
    settings.select_flag = "0";
    settings.adif_out = "1";
    Save();
    const std::string before = test::ReadBytes(dir / "ini" / "zentu_1.ini");
    test::ChildProgram run;
    ASSERT_TRUE(run.start(test::ProgramInBinDir("zentu_cli"), {"--folder", dir.path().string(), "--job", "1"}));

    // Waits until the run has made its temporary output file, then asks the program to end.
    const auto hasTemporary = [this] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().filename().string().rfind(".OUT.CSV.zentu-", 0) == 0) {
                return true;
            }
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool ended = false;
    while (!hasTemporary() && std::chrono::steady_clock::now() < deadline) {
        if (run.hasEnded()) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(ended) << "the run ended before it could be interrupted";
    // SIGTERM on Linux, Ctrl+Break on Windows.
    if (!run.askToEnd()) {
        GTEST_SKIP() << "Ctrl+Break could not be sent: Windows sends it only to a program that shares a console "
                        "with the test, and Wine refuses it (invalid handle) even in a console";
    }
    run.wait(std::chrono::seconds(30));
    ASSERT_TRUE(run.endedByRequest());
    EXPECT_FALSE(hasTemporary());
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.adi"));
    EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.ini"), before);
}

int RunBinary(const std::vector<std::string>& arguments) {
    return test::RunProgram(test::ProgramInBinDir("zentu_cli"), arguments);
}

TEST_F(ZentuCliTest, TheProgramExitsWithTheDocumentedStatuses) {
    EXPECT_EQ(RunBinary({"--help"}), 0);
    EXPECT_EQ(RunBinary({"--job", "10"}), 1);
    EXPECT_EQ(RunBinary({"--bogus"}), 1);
    EXPECT_EQ(RunBinary({"--folder", dir.path().string(), "--job", "2"}), 3);
    EXPECT_EQ(RunBinary({"--folder", dir.path().string(), "--job", "1"}), 0);
}

TEST_F(ZentuCliTest, AStandardOutputThatCannotBeWrittenIsAnErrorAndNothingRuns) {
    const std::filesystem::path full = "/dev/full";
    if (!std::filesystem::exists(full)) {
        GTEST_SKIP() << "a device that refuses every write (/dev/full), which Windows does not have";
    }
    const std::filesystem::path program = test::ProgramInBinDir("zentu_cli");
    EXPECT_EQ(test::RunProgram(program, {"--folder", dir.path().string(), "--job", "1"}, full),
              static_cast<int>(CliStatus::OutputFailed));
    EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
    EXPECT_EQ(test::RunProgram(program, {"--help"}, full), static_cast<int>(CliStatus::OutputFailed));
}

#ifndef _WIN32
/// Runs the real program with its standard output closed, or on a pipe whose reader is gone: its exit status, or 128
/// plus the signal that ended it.
int RunWithoutStandardOutput(const std::vector<std::string>& arguments, bool closed) {
    int pipe[2] = {-1, -1};
    if (!closed && ::pipe(pipe) != 0) {
        return -1;
    }
    const std::string program = test::ProgramInBinDir("zentu_cli").string();
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_DFL); // as a shell starts a program
        if (closed) {
            ::close(STDOUT_FILENO);
        } else {
            ::close(pipe[0]);
            ::dup2(pipe[1], STDOUT_FILENO);
            ::close(pipe[1]);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (!closed) {
        ::close(pipe[0]);
        ::close(pipe[1]);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

TEST_F(ZentuCliTest, AClosedOrBrokenStandardOutputIsStatus8AndTheReportLandsInNoFile) {
#ifdef _WIN32
    GTEST_SKIP() << "closed descriptors and SIGPIPE are POSIX matters";
#else
    for (const bool closed : {true, false}) {
        EXPECT_EQ(RunWithoutStandardOutput({"--folder", dir.path().string(), "--job", "1"}, closed),
                  static_cast<int>(CliStatus::OutputFailed))
            << (closed ? "closed" : "broken pipe");
        EXPECT_EQ(test::ReadBytes(dir / "ini" / "zentu_1.lock"), "");
        EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CSV"));
    }
    EXPECT_EQ(RunWithoutStandardOutput({"--help"}, false), static_cast<int>(CliStatus::OutputFailed));
#endif
}

} // namespace
} // namespace zentu
