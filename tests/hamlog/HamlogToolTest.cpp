// hamlog_tool run as a user would: several runs on one log at the same time.

#include "HamlogTestFiles.h"

#include "LogWriter.h"
#include "SyntheticLog.h"

#include "hamlog/HamlogApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using hamlog::test::CountRecords;
using hamlog::test::CsvLine;
using hamlog::test::kUtf8Row;
using hamlog::test::LibraryPath;
using hamlog::test::ReadFile;
using hamlog::test::Sjis;
using hamlog::test::TempFolder;
using hamlog::test::ToolProcess;
using hamlog::test::WriteFile;

namespace {

/// The call signs (field 1) of every record, read through the library.
std::vector<std::string> CallSigns(const std::filesystem::path& hdb) {
    std::vector<std::string> calls;
    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> area{};
    const int count = CountRecords(hdb);
    EXPECT_EQ(HamlogOpen(0, area.data(), LibraryPath(hdb).c_str(), 0), HAMLOG_OK);
    for (int number = 1; number <= count; ++number) {
        THW_read(area.data(), number, 2);
        char text[HAMLOG_TEXT_SIZE];
        ThwString(text, area.data(), 1);
        calls.emplace_back(text);
    }
    HamlogClose(area.data(), 0);
    return calls;
}

/// `count` records whose call signs are `prefix` and their number (1 to count).
std::string NumberedCsv(const std::string& prefix, int count) {
    std::string csv;
    for (int number = 1; number <= count; ++number) {
        csv += CsvLine({prefix + std::to_string(number), "24/05/01", "12:34J", "59", "59", "7.050", "SSB", "", "", "",
                        "", "", "", "", "", ""});
    }
    return csv;
}

/// Whether calls[from, from + count) are the call signs of NumberedCsv(prefix, count).
bool HoldsBlock(const std::vector<std::string>& calls, std::size_t from, const std::string& prefix, int count) {
    for (int number = 1; number <= count; ++number) {
        const std::size_t at = from + static_cast<std::size_t>(number - 1);
        if (at >= calls.size() || calls[at] != prefix + std::to_string(number)) {
            return false;
        }
    }
    return true;
}

TEST(HamlogToolConcurrencyTest, TwoAppendsAtTheSameTimeKeepEveryRecord) {
    TempFolder folder;
    const auto log = folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(log, 1000, 1, &error)) << error;
    WriteFile(folder / "a.csv", NumberedCsv("A", 2000));
    WriteFile(folder / "b.csv", NumberedCsv("B", 2000));

    for (int round = 0; round < 3; ++round) {
        ToolProcess first({"append", log.string(), (folder / "a.csv").string()}, folder / "a.out");
        ToolProcess second({"append", log.string(), (folder / "b.csv").string()}, folder / "b.out");
        ASSERT_EQ(first.wait(), 0) << ReadFile(folder / "a.out.err");
        ASSERT_EQ(second.wait(), 0) << ReadFile(folder / "b.out.err");
    }
    // Every run's records arrive whole, as one block in their own order; the runs may come in either order.
    const std::vector<std::string> calls = CallSigns(log);
    ASSERT_EQ(calls.size(), 1000u + 6 * 2000u);
    int blocksOfA = 0;
    for (std::size_t from = 1000; from < calls.size(); from += 2000) {
        blocksOfA += HoldsBlock(calls, from, "A", 2000) ? 1 : 0;
        EXPECT_TRUE(HoldsBlock(calls, from, "A", 2000) || HoldsBlock(calls, from, "B", 2000)) << "block at " << from;
    }
    EXPECT_EQ(blocksOfA, 3);
    EXPECT_EQ(ReadFile(log).back(), '\x1A');
}

TEST(HamlogToolConcurrencyTest, TwoCreatesAtTheSameTimeLeaveOneWholeLog) {
    TempFolder folder;
    const auto log = folder / "LOG.hdb";
    WriteFile(folder / "a.csv", NumberedCsv("A", 20000));
    WriteFile(folder / "b.csv", NumberedCsv("B", 20000));
    for (int round = 0; round < 3; ++round) {
        ToolProcess first({"create", log.string(), (folder / "a.csv").string()}, folder / "a.out");
        ToolProcess second({"create", log.string(), (folder / "b.csv").string()}, folder / "b.out");
        ASSERT_EQ(first.wait(), 0) << ReadFile(folder / "a.out.err");
        ASSERT_EQ(second.wait(), 0) << ReadFile(folder / "b.out.err");

        // The log is one run's, header and records alike, and no temporary file is left.
        const std::vector<std::string> calls = CallSigns(log);
        EXPECT_TRUE((calls.size() == 20000 && HoldsBlock(calls, 0, "A", 20000)) ||
                    (calls.size() == 20000 && HoldsBlock(calls, 0, "B", 20000)))
            << "round " << round << ": " << calls.size() << " records";
        EXPECT_EQ(std::filesystem::file_size(log), 545u + calls.size() * 232u + 1u);
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"LOG.hdb", "LOG.mst", "a.csv", "a.out", "a.out.err", "b.csv",
                                                   "b.out", "b.out.err"}));
    }
}

TEST(HamlogToolTest, RefusesANamedPipeInPlaceOfTheLogOrMasterFileWithoutWaiting) {
    TempFolder folder;
    WriteFile(folder / "in.csv", NumberedCsv("A", 3));
    if (!zentu::test::MakeNamedPipe(folder / "PIPE.hdb")) {
        GTEST_SKIP() << "named pipes among files, which Windows does not have";
    }
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(folder / "LOG.hdb", 5, 1, &error)) << error;
    std::filesystem::remove(folder / "LOG.mst");
    ASSERT_TRUE(zentu::test::MakeNamedPipe(folder / "LOG.mst"));

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string pipeLog = (folder / "PIPE.hdb").string();
    const std::string log = (folder / "LOG.hdb").string();
    const std::string csv = (folder / "in.csv").string();
    const std::string notRegular = "名前付きパイプや装置など、通常のファイルではありません";
    for (const Case& test : {
             Case{{"count", pipeLog}, "ログ " + pipeLog + " を開けません（" + notRegular},
             Case{{"print", pipeLog}, "ログ " + pipeLog + " を開けません（" + notRegular},
             Case{{"append", pipeLog, csv}, "ログ " + pipeLog + " を開けません（" + notRegular},
             Case{{"create", pipeLog, csv}, "ログ " + pipeLog + " は" + notRegular},
             Case{{"print", log}, "マスターファイル " + (folder / "LOG.mst").string() + " を開けません（" + notRegular},
             Case{{"generate", log, "3"}, "マスターファイル " + (folder / "LOG.mst").string() + " は" + notRegular},
         }) {
        EXPECT_EQ(hamlog::test::RunToolFor(test.arguments, folder / "out.txt", 20), 1) << test.arguments[0];
        EXPECT_NE(ReadFile(folder / "out.txt.err").find(test.message), std::string::npos)
            << ReadFile(folder / "out.txt.err");
    }
    EXPECT_EQ(CountRecords(log), 5);
}

/// What the tool writes to a file for its message `text` (UTF-8 with LF line ends): the text as it is on Linux;
/// CP932 with CR LF line ends on Windows, as Japanese Windows programs read it.
std::string MessageInFile(const std::string& text) {
#ifdef _WIN32
    std::string written;
    for (const char byte : Sjis(text)) {
        written += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    }
    return written;
#else
    return text;
#endif
}

/// Runs the built tool with `arguments` (words between blanks; the test folders' paths have none), standard
/// output and error to files; returns its exit status.
int RunTool(const std::string& arguments, const TempFolder& folder) {
    std::vector<std::string> words;
    for (std::size_t start = 0; start < arguments.size();) {
        const std::size_t end = std::min(arguments.find(' ', start), arguments.size());
        if (end > start) {
            words.push_back(arguments.substr(start, end - start));
        }
        start = end + 1;
    }
    return zentu::test::RunProgram(HAMLOG_TOOL_PATH, words, folder / "out.txt", folder / "err.txt");
}

TEST(HamlogToolTest, CreatesALogFromUtf8CsvAndPrintsItBack) {
    TempFolder folder;
    std::vector<std::string> second = kUtf8Row;
    second[0] = "W1AW";
    second[10] = "Bob \"\"Mac\"\"";
    second[11] = "Newington, CT";
    const std::string csv = CsvLine(kUtf8Row) + CsvLine(second);
    WriteFile(folder / "in.csv", csv);
    const std::string log = (folder / "LOG.hdb").string();

    ASSERT_EQ(RunTool("create " + log + " " + (folder / "in.csv").string() + " --encoding utf8", folder), 0)
        << ReadFile(folder / "err.txt");
    EXPECT_EQ(CountRecords(log), 2);
    ASSERT_EQ(RunTool("print " + log, folder), 0) << ReadFile(folder / "err.txt");
    std::string expected = csv;
    for (std::size_t at = expected.find("\r\n"); at != std::string::npos; at = expected.find("\r\n", at)) {
        expected.erase(at, 1);
    }
    // A listing is the same bytes on Linux and Windows: the encoding asked for, LF line ends.
    EXPECT_EQ(ReadFile(folder / "out.txt"), expected);

    ASSERT_EQ(RunTool("append " + log + " " + (folder / "in.csv").string() + " --encoding utf8", folder), 0);
    // Without --encoding the same file is refused: it reads as CP932 too, as other text.
    EXPECT_EQ(RunTool("append " + log + " " + (folder / "in.csv").string(), folder), 1);
    EXPECT_NE(ReadFile(folder / "err.txt").find("--encoding"), std::string::npos);
    ASSERT_EQ(RunTool("print " + log + " --from 3 --to 3 --encoding cp932", folder), 0);
    EXPECT_EQ(ReadFile(folder / "out.txt"), Sjis(CsvLine(kUtf8Row).substr(0, CsvLine(kUtf8Row).size() - 2) + "\n"));
}

TEST(HamlogToolTest, FailsWithAMessageAndNonZeroStatus) {
    TempFolder folder;
    EXPECT_EQ(RunTool("--help", folder), 0);
    EXPECT_NE(ReadFile(folder / "out.txt").find("generate LOG.hdb COUNT"), std::string::npos);

    EXPECT_EQ(RunTool("print " + (folder / "NONE.hdb").string(), folder), 1);
    EXPECT_NE(ReadFile(folder / "err.txt").find(MessageInFile("NONE.hdb を開けません（")), std::string::npos)
        << ReadFile(folder / "err.txt");
    EXPECT_EQ(RunTool("create " + (folder / "LOG.hdb").string() + " " + (folder / "none.csv").string(), folder), 1);
    EXPECT_FALSE(ReadFile(folder / "err.txt").empty());
    EXPECT_EQ(RunTool("generate " + (folder / "LOG.hdb").string() + " many", folder), 2);
    EXPECT_EQ(RunTool("frobnicate", folder), 2);

    ASSERT_EQ(RunTool("generate " + (folder / "GEN.hdb").string() + " 25 --seed 9", folder), 0);
    ASSERT_EQ(RunTool("count " + (folder / "GEN.hdb").string(), folder), 0);
    EXPECT_EQ(ReadFile(folder / "out.txt"), MessageInFile("25\n"));
}

TEST(HamlogToolTest, AskingAGenerateToEndLeavesTheOldLogAndNoTemporaryFile) {
    TempFolder folder;
    const auto log = folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(log, 5, 1, &error)) << error;
    const std::string before = ReadFile(log);
    const auto names = [&folder] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    zentu::test::ChildProgram run;
    ASSERT_TRUE(run.start(HAMLOG_TOOL_PATH, {"generate", log.string(), "1000000"}));

    // Waits until the run has made its new table beside the log, then asks it to end.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (names().size() == 2 && !run.hasEnded() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(run.hasEnded()) << "the run ended before it could be interrupted";
    if (!run.askToEnd()) { // SIGTERM on Linux, Ctrl+Break on Windows
        GTEST_SKIP() << "Ctrl+Break could not be sent: Windows sends it only to a program that shares a console "
                        "with the test, and Wine refuses it (invalid handle) even in a console";
    }
    run.wait(std::chrono::seconds(30));
    EXPECT_TRUE(run.endedByRequest());
    EXPECT_EQ(names(), (std::vector<std::string>{"LOG.hdb", "LOG.mst"}));
    EXPECT_EQ(ReadFile(log), before);
}

TEST(HamlogToolTest, AStandardOutputThatCannotBeWrittenIsAFailure) {
    const std::filesystem::path full = "/dev/full";
    if (!std::filesystem::exists(full)) {
        GTEST_SKIP() << "a device that refuses every write (/dev/full), which Windows does not have";
    }
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(folder / "LOG.hdb", 3, 1, &error)) << error;
    const std::string log = (folder / "LOG.hdb").string();
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--help"}, {"count", log}, {"scan", log}, {"print", log}}) {
        EXPECT_EQ(zentu::test::RunProgram(HAMLOG_TOOL_PATH, arguments, full, folder / "err.txt"), 1) << arguments[0];
        EXPECT_NE(ReadFile(folder / "err.txt").find("標準出力に書けません（ディスクの空き容量が足りません）"),
                  std::string::npos)
            << ReadFile(folder / "err.txt");
    }
}

} // namespace
