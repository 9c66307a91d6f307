#include "HamlogTestFiles.h"
#include "SystemCalls.h"
#include "TestPlatform.h"

#include "LogWriter.h"
#include "SyntheticLog.h"

#include "hamlog/HamlogApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using hamlog::LogRecord;
using hamlog::test::CountRecords;
using hamlog::test::LibraryPath;
using hamlog::test::ReadFile;
using hamlog::test::Sjis;
using hamlog::test::TempFolder;
using hamlog::test::WriteFile;

namespace {

/// Every record of a log read back through the library calls.
std::vector<LogRecord> ReadAll(const std::filesystem::path& hdb) {
    std::vector<LogRecord> records;
    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> area{};
    const int count = CountRecords(hdb);
    EXPECT_EQ(HamlogOpen(0, area.data(), LibraryPath(hdb).c_str(), 0), HAMLOG_OK);
    for (int number = 1; number <= count; ++number) {
        THW_read(area.data(), number, 2);
        LogRecord record;
        for (std::int16_t field = 1; field <= 16; ++field) {
            char text[HAMLOG_TEXT_SIZE];
            ThwString(text, area.data(), field);
            record.fields[static_cast<std::size_t>(field - 1)] = text;
        }
        records.push_back(record);
    }
    HamlogClose(area.data(), 0);
    return records;
}

LogRecord MakeRecord(std::vector<std::string> texts) {
    LogRecord record;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        record.fields[k] = texts[k];
    }
    return record;
}

void ExpectSameRecords(const std::vector<LogRecord>& actual, const std::vector<LogRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        for (std::size_t k = 0; k < 16; ++k) {
            EXPECT_EQ(actual[i].fields[k], expected[i].fields[k]) << "record " << i + 1 << " field " << k + 1;
        }
    }
}

std::vector<LogRecord> SampleRecords() {
    return {
        MakeRecord({"JA1ABC", "10/05/01", "12:34J", "59", "59", "7.050", "SSB", "100110", "PM95", "J*",
                    Sjis("山田太郎"), Sjis("東京都世田谷区"), Sjis("ＱＲＰ　移動"), "%JARL%", "", ""}),
        MakeRecord({"W1AW", "10/05/02", "03:15U", "599", "579", "14.025", "CW", "", "FN31", "D**", "Bob \"Mac\"",
                    "Newington, CT", "", "", "DIRECT", "10/07/01"}),
    };
}

class LogWriterTest : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(LogWriterTest, WritesADbaseTableTheLibraryReadsBack) {
    const auto hdb = m_folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
    ExpectSameRecords(ReadAll(hdb), SampleRecords());

    const std::string bytes = ReadFile(hdb);
    const auto& widths = hamlog::FieldWidths();
    std::size_t recordLength = 1;
    for (const std::size_t width : widths) {
        recordLength += width;
    }
    const std::size_t headerLength = 32 + 32 * 16 + 1;
    ASSERT_EQ(bytes.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(bytes[0], '\x03');
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8, headerLength);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8, recordLength);
    EXPECT_EQ(bytes[29], '\x13'); // Shift_JIS code page mark
    EXPECT_EQ(bytes.substr(32, 6), std::string("CALLS\0", 6));
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(static_cast<std::size_t>(bytes[32 + 16]), widths[0]);
    EXPECT_EQ(bytes[headerLength - 1], '\x0D');
    EXPECT_EQ(bytes.substr(headerLength, 13), " JA1ABC      ");
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_TRUE(std::filesystem::exists(m_folder / "LOG.mst"));
}

TEST_F(LogWriterTest, RefusesATextTooLongForItsFieldAndWritesNothing) {
    const auto hdb = m_folder / "LOG.hdb";
    std::vector<LogRecord> records = SampleRecords();
    records[1].fields[10] = Sjis("あいうえおかきくけこさ"); // 22 bytes in a 20-byte field
    std::string error;
    EXPECT_FALSE(hamlog::CreateLog(hdb, records, &error));
    EXPECT_NE(error.find("記録 2 の項目 11"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(hdb));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "LOG.mst"));
}

TEST_F(LogWriterTest, ReplacesALogAndKeepsTheSpellingOfItsMasterFile) {
    const auto hdb = m_folder / "log.hdb";
    WriteFile(m_folder / "LOG.MST", "old");
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, {SampleRecords()[1]}, &error)) << error;
    EXPECT_EQ(CountRecords(hdb), 1);
    EXPECT_NE(ReadFile(m_folder / "LOG.MST"), "old");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.path())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"log.hdb", "LOG.MST"}));
}

TEST_F(LogWriterTest, AppendAddsRecordsAndUpdatesTheCount) {
    const auto hdb = m_folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, {SampleRecords()[0]}, &error)) << error;
    ASSERT_TRUE(hamlog::AppendRecords(hdb, SampleRecords(), &error)) << error;
    EXPECT_EQ(CountRecords(hdb), 3);
    const std::vector<LogRecord> expected{SampleRecords()[0], SampleRecords()[0], SampleRecords()[1]};
    ExpectSameRecords(ReadAll(hdb), expected);
    EXPECT_EQ(ReadFile(hdb).back(), '\x1A');

    // A too long text stops the append before anything is written.
    std::vector<LogRecord> bad = SampleRecords();
    bad[1].fields[0] = "JA1ABCDEFGHIJ";
    EXPECT_FALSE(hamlog::AppendRecords(hdb, bad, &error));
    EXPECT_EQ(CountRecords(hdb), 3);
}

TEST_F(LogWriterTest, AppendRefusesALogWhoseSizeDisagreesWithItsCountAndLeavesItAsItIs) {
    const auto hdb = m_folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
    const std::string whole = ReadFile(hdb); // two records and the end mark
    struct Case {
        const char* what;
        std::string bytes;
        const char* message; // empty: the append goes ahead
    };
    std::string countsOne = whole;
    countsOne[4] = 1;
    for (const Case& test : {
             Case{"a record beyond the count", countsOne, "その後ろにさらに 1 件分の記録があります"},
             Case{"a torn last record", whole.substr(0, whole.size() - 100), "最後まで揃った記録が 1 件しかありません"},
             Case{"bytes after the end mark", whole + "XYZ", "その後ろにさらに 4 バイトのデータがあります"},
             Case{"no end mark", whole.substr(0, whole.size() - 1), ""},
         }) {
        WriteFile(hdb, test.bytes);
        const bool appended = hamlog::AppendRecords(hdb, {SampleRecords()[1]}, &error);
        if (*test.message == '\0') {
            EXPECT_TRUE(appended) << test.what << ": " << error;
            EXPECT_EQ(CountRecords(hdb), 3) << test.what;
            continue;
        }
        EXPECT_FALSE(appended) << test.what;
        EXPECT_NE(error.find(test.message), std::string::npos) << test.what << ": " << error;
        EXPECT_EQ(ReadFile(hdb), test.bytes) << test.what;
    }
}

// A write that fails on its g_failingWrite-th call (counted from 1) after half its bytes, as a disk that fills up.
int g_writeCalls = 0;
int g_failingWrite = 0;
bool FailingWrite(std::intptr_t file, const void* bytes, std::size_t size, std::uint64_t offset) {
    if (++g_writeCalls == g_failingWrite) {
        hamlog::detail::WriteAt(file, bytes, size / 2, offset);
        errno = ENOSPC;
        return false;
    }
    return hamlog::detail::WriteAt(file, bytes, size, offset);
}

TEST_F(LogWriterTest, AFailedAppendPutsTheLogBackAsItWas) {
    const auto hdb = m_folder / "LOG.hdb";
    std::string error;
    for (const int failingWrite : {1, 2}) { // the records, the header's new count
        ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
        std::string before = ReadFile(hdb);
        before.replace(1, 3, "\x63\x01\x01"); // last updated on 1999-01-01, so a new date shows
        WriteFile(hdb, before);
        g_writeCalls = 0;
        g_failingWrite = failingWrite;
        hamlog::SetWriteCallForTesting(FailingWrite);
        const bool appended = hamlog::AppendRecords(hdb, std::vector<LogRecord>(300, SampleRecords()[1]), &error);
        hamlog::SetWriteCallForTesting(nullptr);

        EXPECT_FALSE(appended) << failingWrite;
        EXPECT_NE(error.find("（ディスクの空き容量が足りません）。ログは元のままです。"), std::string::npos) << error;
        EXPECT_EQ(ReadFile(hdb), before) << failingWrite;
        ASSERT_TRUE(hamlog::AppendRecords(hdb, {SampleRecords()[0]}, &error)) << error;
        EXPECT_EQ(CountRecords(hdb), 3);
    }
}

TEST_F(LogWriterTest, AppendRefusesAFileThatIsNotALog) {
    const auto hdb = m_folder / "LOG.hdb";
    WriteFile(hdb, "not a table");
    std::string error;
    EXPECT_FALSE(hamlog::AppendRecords(hdb, SampleRecords(), &error));
    EXPECT_NE(error.find("dBase の表ではありません"), std::string::npos) << error;
    EXPECT_FALSE(hamlog::AppendRecords(m_folder / "NONE.hdb", SampleRecords(), &error));
    EXPECT_EQ(ReadFile(hdb), "not a table");
}

/// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A rename that fails on its g_failingRename-th call (counted from 1), as a full or failing disk would.
int g_renameCalls = 0;
int g_failingRename = 0;
int FailingRename(const char* from, const char* to) {
    if (++g_renameCalls == g_failingRename) {
        errno = EIO;
        return -1;
    }
    return hamlog::detail::RenameOver(from, to) ? 0 : -1;
}

TEST_F(LogWriterTest, ReplacesTheLogAndItsMasterFileWholeOrNotAtAll) {
    struct Case {
        const char* what;
        bool oldLog;
        int failingRename;
    };
    for (const Case& test :
         {Case{"the table cannot be put in place", true, 1}, Case{"the master file cannot be put in place", true, 2},
          Case{"no log before, the master file cannot be put in place", false, 2}}) {
        TempFolder folder;
        const auto hdb = folder / "LOG.hdb";
        std::string error;
        if (test.oldLog) {
            ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
            WriteFile(folder / "LOG.mst", "old master");
        }
        const std::vector<std::string> before = FolderNames(folder.path());
        const std::string oldBytes = ReadFile(hdb);

        g_renameCalls = 0;
        g_failingRename = test.failingRename;
        hamlog::SetRenameCallForTesting(FailingRename);
        const bool created = hamlog::CreateLog(hdb, {SampleRecords()[1]}, &error);
        hamlog::SetRenameCallForTesting(nullptr);

        EXPECT_FALSE(created) << test.what;
        EXPECT_NE(error.find("（装置の読み書きに失敗しました）"), std::string::npos) << error;
        EXPECT_EQ(FolderNames(folder.path()), before) << test.what; // no new file and no temporary file left
        EXPECT_EQ(ReadFile(hdb), oldBytes) << test.what;
        if (test.oldLog) {
            EXPECT_EQ(ReadFile(folder / "LOG.mst"), "old master") << test.what;
        }
    }
}

TEST_F(LogWriterTest, RefusesToReplaceAFolderOrNamedPipeAndChangesNothing) {
    const auto hdb = m_folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(hdb, SampleRecords(), &error)) << error;
    const std::string oldBytes = ReadFile(hdb);
    std::filesystem::remove(m_folder / "LOG.mst");
    std::filesystem::create_directory(m_folder / "LOG.mst");
    EXPECT_FALSE(hamlog::CreateLog(hdb, {SampleRecords()[1]}, &error));
    EXPECT_NE(error.find("マスターファイル " + (m_folder / "LOG.mst").string() + " はフォルダーです"),
              std::string::npos)
        << error;
    EXPECT_EQ(ReadFile(hdb), oldBytes);

    const auto pipeLog = m_folder / "PIPE.hdb";
    if (!zentu::test::MakeNamedPipe(pipeLog)) {
        GTEST_SKIP() << "the rest needs named pipes among files, which Windows does not have";
    }
    {
        const zentu::test::Watchdog watchdog(20); // a run that waits on the pipe fails the test
        EXPECT_FALSE(hamlog::CreateLog(pipeLog, SampleRecords(), &error));
        EXPECT_NE(error.find("通常のファイルではありません"), std::string::npos) << error;
        EXPECT_FALSE(hamlog::AppendRecords(pipeLog, SampleRecords(), &error));
        EXPECT_NE(error.find("通常のファイルではありません"), std::string::npos) << error;
    }
    EXPECT_EQ(FolderNames(m_folder.path()), (std::vector<std::string>{"LOG.hdb", "LOG.mst", "PIPE.hdb"}));
}

TEST_F(LogWriterTest, RefusesALogNamedLikeItsOwnMasterFile) {
    WriteFile(m_folder / "L.mst", "the master file of L.hdb");
    std::string error;
    EXPECT_FALSE(hamlog::CreateLog(m_folder / "L.mst", SampleRecords(), &error));
    EXPECT_NE(error.find("はマスターファイルと同じ名前です"), std::string::npos) << error;
    EXPECT_FALSE(hamlog::CreateSyntheticLog(m_folder / "N.MST", 5, 1, &error));
    EXPECT_NE(error.find("N.MST はマスターファイルと同じ名前です"), std::string::npos) << error;
    EXPECT_EQ(FolderNames(m_folder.path()), (std::vector<std::string>{"L.mst"}));
    EXPECT_EQ(ReadFile(m_folder / "L.mst"), "the master file of L.hdb");
}

TEST_F(LogWriterTest, RemovesTheTemporaryFilesOfKilledRunsOnTheSameLog) {
    const std::string own = std::to_string(hamlog::detail::ProcessId());
    const std::vector<std::string> kept = {
        "LOG.hdb",
        "LOG.hdb." + own + "-1.tmp", // a run still going (this one)
        "LOG.hdb.999999999-1.tmpx",  // another suffix
        "LOG.hdb.backup",            // the user's
        "LOG.mst",
        "OTHER.hdb.999999999-1.tmp", // another log's
    };
    for (const std::string& name : kept) {
        WriteFile(m_folder / name, "x");
    }
    WriteFile(m_folder / "LOG.hdb.999999999-7.tmp", "the table of a killed run");
    WriteFile(m_folder / "LOG.mst.999999999-8.tmp", "its master file");
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(m_folder / "LOG.hdb", SampleRecords(), &error)) << error;
    EXPECT_EQ(FolderNames(m_folder.path()), kept);
}

/// The moment of a record in minutes since 2000-01-01 00:00 UTC, from its "yy/mm/dd" and "hh:mmJ" or "hh:mmU".
long long UtcMinute(const LogRecord& record) {
    using namespace std::chrono;
    const std::string& date = record.fields[1];
    const std::string& time = record.fields[2];
    const year_month_day day{year{2000 + std::stoi(date.substr(0, 2))}, month{unsigned(std::stoi(date.substr(3, 2)))},
                             std::chrono::day{unsigned(std::stoi(date.substr(6, 2)))}};
    EXPECT_TRUE(day.ok()) << date;
    long long minutes = duration_cast<std::chrono::minutes>(sys_days{day}.time_since_epoch()).count();
    minutes += std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2));
    return time[5] == 'J' ? minutes - 9 * 60 : minutes;
}

TEST_F(LogWriterTest, SyntheticRecordsAreRealisticDeterministicAndInTimeOrder) {
    const auto& widths = hamlog::FieldWidths();
    long long previous = 0;
    bool sawJapanese = false;
    bool sawQuote = false;
    bool sawComma = false;
    bool sawUtc = false;
    for (std::uint64_t index = 0; index < 3000; ++index) {
        const LogRecord record = hamlog::SyntheticRecord(index, 7);
        for (std::size_t k = 0; k < 16; ++k) {
            ASSERT_LE(record.fields[k].size(), widths[k]) << index << " field " << k + 1;
        }
        ASSERT_EQ(record.fields[1].size(), 8u);
        ASSERT_EQ(record.fields[2].size(), 6u);
        sawUtc |= record.fields[2][5] == 'U';
        const long long moment = UtcMinute(record);
        EXPECT_LE(previous, moment) << index;
        previous = moment;
        for (const std::string& field : record.fields) {
            for (const char c : field) {
                sawJapanese |= static_cast<unsigned char>(c) >= 0x80;
                sawQuote |= c == '"';
                sawComma |= c == ',';
            }
        }
    }
    EXPECT_TRUE(sawJapanese);
    EXPECT_TRUE(sawQuote);
    EXPECT_TRUE(sawComma);
    EXPECT_TRUE(sawUtc);
    EXPECT_EQ(hamlog::SyntheticRecord(0, 7).fields[1].substr(0, 5), "09/01");
    // A million records stay well inside the two-digit years read as 20yy.
    EXPECT_LT(hamlog::SyntheticRecord(1000000, 7).fields[1], "25");
    EXPECT_EQ(hamlog::SyntheticRecord(42, 7).fields, hamlog::SyntheticRecord(42, 7).fields);
    EXPECT_NE(hamlog::SyntheticRecord(42, 7).fields, hamlog::SyntheticRecord(42, 8).fields);
}

TEST_F(LogWriterTest, SyntheticLogHoldsTheSyntheticRecords) {
    const auto hdb = m_folder / "SYN.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateSyntheticLog(hdb, 500, 3, &error)) << error;
    const std::vector<LogRecord> records = ReadAll(hdb);
    ASSERT_EQ(records.size(), 500u);
    for (const std::uint64_t index : {0u, 1u, 250u, 499u}) {
        LogRecord expected = hamlog::SyntheticRecord(index, 3);
        EXPECT_EQ(records[static_cast<std::size_t>(index)].fields, expected.fields) << index;
    }
}

} // namespace
