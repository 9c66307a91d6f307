// Record areas and counting handles: areas on several threads, a writer's lock, a file that shrinks, copies and
// closes.

#include "HamlogLibraryTestSupport.h"
#include "SystemCalls.h"

#include "hamlog/HamlogApi.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

using hamlog::test::CallTable;
using hamlog::test::Count;
using hamlog::test::HamlogLibraryTest;
using hamlog::test::HandTable;
using hamlog::test::LibraryPath;
using hamlog::test::Reader;
using hamlog::test::WriteFile;

namespace {

TEST_F(HamlogLibraryTest, AreasOnSeparateThreadsReadTheirOwnLogsAtTheSameTime) {
    const int count = 2000; // several read windows each
    std::array<std::filesystem::path, 2> logs;
    for (std::size_t log = 0; log < logs.size(); ++log) {
        HandTable table;
        table.fields = {{"NUMBER", 8}, {"FILL", 250}};
        for (int number = 1; number <= count; ++number) {
            const std::string text = std::string(1, static_cast<char>('A' + log)) + std::to_string(number);
            table.records.push_back(table.record({text, std::string(250, 'z')}));
        }
        logs[log] = m_folder / ("LOG" + std::to_string(log) + ".hdb");
        WriteFile(logs[log], table.bytes());
        WriteFile(m_folder / ("LOG" + std::to_string(log) + ".mst"), "m");
    }
    // Each thread walks its own log forwards and backwards; every field read must be its own record's.
    std::array<int, 2> wrong{};
    auto walk = [&](std::size_t log) {
        Reader reader(logs[log]);
        const std::string prefix(1, static_cast<char>('A' + log));
        for (int pass = 0; pass < 4 && reader.code() == HAMLOG_OK; ++pass) {
            for (int step = 0; step < count; ++step) {
                const int number = pass % 2 == 0 ? step + 1 : count - step;
                if (reader.read(number) != 0 || reader.field(1) != prefix + std::to_string(number)) {
                    ++wrong[log];
                }
            }
        }
        if (reader.code() != HAMLOG_OK) {
            wrong[log] = -1;
        }
    };
    std::thread first(walk, 0);
    std::thread second(walk, 1);
    first.join();
    second.join();
    EXPECT_EQ(wrong[0], 0);
    EXPECT_EQ(wrong[1], 0);
}

TEST_F(HamlogLibraryTest, ReadsTheTableAsItWasWhenOpened) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"}), table.record({"JA1BBB"})};
    const auto hdb = writeLog(table);
    Reader log(hdb);
    ASSERT_EQ(log.code(), HAMLOG_OK);
    // The file shrinks under the open log: the records gone read empty, nothing crashes.
    std::filesystem::resize_file(hdb, table.bytes().size() - 10); // into record 2
    EXPECT_EQ(log.read(2), -1);
    EXPECT_EQ(log.field(1), "");
    EXPECT_EQ(log.read(1), 0);
    EXPECT_EQ(log.field(1), "JA1AAA");
}

TEST_F(HamlogLibraryTest, WaitsForAWriterHoldingTheLogsLockBeforeCounting) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"})};
    const auto hdb = writeLog(table);
    // The lock of the log's documented protocol (hamlog/HamlogApi.h), as another writer takes it.
    namespace system = hamlog::detail;
    const system::FileHandle writer =
        system::OpenRegularFile(system::PathText(hdb), system::OpenFor::ReadingAndWriting);
    ASSERT_NE(writer, system::kNoFile);
    ASSERT_TRUE(system::LockFile(writer, system::LockKind::Exclusive, 0));
    // The writer adds a record and updates the count, then lets go; the readers started meanwhile see both.
    std::thread append([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        table.records.push_back(table.record({"JA1BBB"}));
        const std::string bytes = table.bytes();
        EXPECT_TRUE(system::WriteAt(writer, bytes.data(), bytes.size(), 0));
        system::UnlockFile(writer);
        system::CloseFile(writer);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Count(hdb), std::make_pair(HAMLOG_OK, 2));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    append.join();
    Reader log(hdb);
    ASSERT_EQ(log.code(), HAMLOG_OK);
    log.read(2);
    EXPECT_EQ(log.field(1), "JA1BBB");
}

TEST_F(HamlogLibraryTest, ACopyOfAnAreaReadsNothingOnceItsLogIsClosedAndTwoAreasMayReadAtOnce) {
    EXPECT_EQ(HamlogConcurrentAreas(), 1);
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"})};
    const auto hdb = writeLog(table);
    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> area{};
    ASSERT_EQ(HamlogOpen(0, area.data(), LibraryPath(hdb).c_str(), 0), HAMLOG_OK);
    ASSERT_EQ(THW_read(area.data(), 1, 2), 0);
    const auto copy = area; // a misuse the library survives
    HamlogClose(area.data(), 0);
    // The copy's loaded record lay in the closed log's freed window: it reads nothing.
    auto stale = copy;
    char text[HAMLOG_TEXT_SIZE] = "stale";
    ThwString(text, stale.data(), 1);
    EXPECT_STREQ(text, "");
    // A new log may take the closed log's place in the library; the copy must not reach it.
    Reader other(hdb);
    ASSERT_EQ(other.code(), HAMLOG_OK);
    EXPECT_EQ(THW_read(stale.data(), 1, 2), -1);
    HamlogClose(stale.data(), 0);
    EXPECT_EQ(other.read(1), 0);
    EXPECT_EQ(other.field(1), "JA1AAA");
}

TEST_F(HamlogLibraryTest, CloseIsSafeAfterAFailedOpenAndWhenRepeated) {
    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> area;
    area.fill(0xA5); // whatever the caller's area held before
    EXPECT_EQ(HamlogOpen(0, area.data(), LibraryPath(m_folder / "NONE.hdb").c_str(), 0), HAMLOG_ERR_HDB_MISSING);
    EXPECT_EQ(THW_read(area.data(), 1, 2), -1);
    HamlogClose(area.data(), 0);
    HamlogClose(area.data(), 0);

    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"})};
    const auto hdb = writeLog(table);
    ASSERT_EQ(HamlogOpen(0, area.data(), LibraryPath(hdb).c_str(), 0), HAMLOG_OK);
    // Opening again over an open area closes the first log (the leak checker would see it otherwise).
    ASSERT_EQ(HamlogOpen(0, area.data(), LibraryPath(hdb).c_str(), 0), HAMLOG_OK);
    THW_read(area.data(), 1, 2);
    HamlogClose(area.data(), 0);
    HamlogClose(area.data(), 0);
    char text[HAMLOG_TEXT_SIZE] = "stale";
    ThwString(text, area.data(), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(THW_read(area.data(), 1, 2), -1);

    // Null areas and buffers are refused quietly.
    EXPECT_EQ(HamlogOpen(0, nullptr, LibraryPath(hdb).c_str(), 0), HAMLOG_ERR_ARGUMENT);
    EXPECT_EQ(THW_read(nullptr, 1, 2), -1);
    ThwString(nullptr, area.data(), 1);
    ThwString(text, nullptr, 1);
    HamlogClose(nullptr, 0);
    EXPECT_EQ(dbf_open(LibraryPath(hdb).c_str(), nullptr), HAMLOG_ERR_ARGUMENT);
    EXPECT_EQ(dbf_rcount(nullptr), -1);
    dbf_close(nullptr);
}

TEST_F(HamlogLibraryTest, CountingHandleIsNotOpenUntilOpenedAndAfterClose) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"})};
    const auto hdb = writeLog(table);
    std::array<unsigned char, HAMLOG_DBF_HANDLE_SIZE> handle{};
    EXPECT_EQ(dbf_rcount(handle.data()), -1);
    ASSERT_EQ(dbf_open(LibraryPath(hdb).c_str(), handle.data()), HAMLOG_OK);
    EXPECT_EQ(dbf_rcount(handle.data()), 1);
    dbf_close(handle.data());
    EXPECT_EQ(dbf_rcount(handle.data()), -1);
    dbf_close(handle.data());
    // A failed open leaves the handle not open, even one that held a count.
    ASSERT_EQ(dbf_open(LibraryPath(hdb).c_str(), handle.data()), HAMLOG_OK);
    EXPECT_EQ(dbf_open(LibraryPath(m_folder / "NONE.hdb").c_str(), handle.data()), HAMLOG_ERR_HDB_MISSING);
    EXPECT_EQ(dbf_rcount(handle.data()), -1);
}

} // namespace
