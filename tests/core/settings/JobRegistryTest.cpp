#include "settings/JobRegistry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zentu {

void PrintTo(const JobRegistryEntry& entry, std::ostream* out) {
    *out << "{\"" << entry.name << "\", \"" << entry.msg1 << "\", \"" << entry.msg2 << "\", \"" << entry.msg3 << "\"}";
}

namespace {

using test::ReadBytes;
using test::Sjis;
using test::TempDir;
using test::WriteBytes;

class JobRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(m_dir / "JOB"); }

    TempDir m_dir;
    JobRegistry m_registry{m_dir.path()};
};

TEST_F(JobRegistryTest, FreshSlotIsEmptyForEveryReader) {
    ASSERT_TRUE(m_registry.writeEmptySlot(1));
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_1.txt"),
              "JOB_name : " + Sjis("未登録") + "\r\nJOB_MSG1 :  \r\nJOB_MSG2 :  \r\nJOB_MSG3 :  \r\n");
    EXPECT_EQ(m_registry.readFirstField(1), "JOB_name : 未登録");
    EXPECT_FALSE(m_registry.isRegistered(1));
    EXPECT_EQ(m_registry.countMarkerLines(1), 1);

    const auto trimmed = m_registry.readTrimmed(1);
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(trimmed->msg1 + trimmed->msg2 + trimmed->msg3, "");
    const auto untrimmed = m_registry.readUntrimmed(1);
    ASSERT_TRUE(untrimmed);
    EXPECT_EQ(untrimmed->msg1 + untrimmed->msg2 + untrimmed->msg3, "");
}

TEST_F(JobRegistryTest, RegisteredJobIsWrittenWithOneSpaceAfterEachColonAndReadsBack) {
    const JobRegistryEntry entry{"Contest 2010", "A", "", "B"};
    ASSERT_TRUE(m_registry.writeRegisteredJob(2, entry));
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_2.txt"),
              "JOB_name : Contest 2010\r\nJOB_MSG1 : A\r\nJOB_MSG2 : \r\nJOB_MSG3 : B\r\n");
    EXPECT_TRUE(m_registry.isRegistered(2));
    EXPECT_EQ(m_registry.countMarkerLines(2), 0);
    EXPECT_EQ(m_registry.readTrimmed(2), entry);
    // The auto-run reading must not show the key of the empty message either.
    EXPECT_EQ(m_registry.readUntrimmed(2), entry);
}

TEST_F(JobRegistryTest, OnlyTheInteractiveReadingTrimsTheTexts) {
    ASSERT_TRUE(m_registry.writeRegisteredJob(3, {"   Field Day  ", "  two spaces", "x", "y"}));
    EXPECT_EQ(m_registry.readTrimmed(3), (JobRegistryEntry{"Field Day", "two spaces", "x", "y"}));
    EXPECT_EQ(m_registry.readUntrimmed(3), (JobRegistryEntry{"   Field Day", "  two spaces", "x", "y"}));
}

TEST_F(JobRegistryTest, JapaneseTextsRoundTripThroughCp932) {
    // 表 and ソ end in the byte 0x5C, which must not be taken for anything but half a character.
    const JobRegistryEntry entry{"移動運用 表示ソフト", "コンテスト", "ＱＳＬ　発行", "７３"};
    ASSERT_TRUE(m_registry.writeRegisteredJob(4, entry));
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_4.txt"), Sjis("JOB_name : 移動運用 表示ソフト\r\nJOB_MSG1 : コンテスト\r\n"
                                                       "JOB_MSG2 : ＱＳＬ　発行\r\nJOB_MSG3 : ７３\r\n"));
    EXPECT_EQ(m_registry.readTrimmed(4), entry);
}

TEST_F(JobRegistryTest, BlankNameWritesTheMarkerAndTheSlotStaysEmpty) {
    ASSERT_TRUE(m_registry.writeRegisteredJob(5, {"   ", "m1", "m2", "m3"}));
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_5.txt"),
              "JOB_name : " + Sjis("未登録") + "\r\nJOB_MSG1 : m1\r\nJOB_MSG2 : m2\r\nJOB_MSG3 : m3\r\n");
    EXPECT_FALSE(m_registry.isRegistered(5));
    EXPECT_EQ(m_registry.countMarkerLines(5), 1);
}

TEST_F(JobRegistryTest, MarkerInAMessageCountsOnlyForTheLineByLineReading) {
    ASSERT_TRUE(m_registry.writeRegisteredJob(6, {"Ham", "未登録の局", "", "未登録"}));
    EXPECT_EQ(m_registry.countMarkerLines(6), 2);
    EXPECT_TRUE(m_registry.isRegistered(6));
}

TEST_F(JobRegistryTest, LineWithACommaIsQuotedAndReadWholeByBothReaders) {
    const JobRegistryEntry entry{"Field Day, 2010", "A,B", "", "ＱＳＬ、未着, 確認"};
    ASSERT_TRUE(m_registry.writeRegisteredJob(7, entry));
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_7.txt"),
              Sjis("\"JOB_name : Field Day, 2010\"\r\n\"JOB_MSG1 : A,B\"\r\nJOB_MSG2 : \r\n"
                   "\"JOB_MSG3 : ＱＳＬ、未着, 確認\"\r\n"));
    EXPECT_EQ(m_registry.readFirstField(7), "JOB_name : Field Day, 2010");
    EXPECT_EQ(m_registry.readTrimmed(7), entry);
    EXPECT_EQ(m_registry.readUntrimmed(7), entry);
    EXPECT_TRUE(m_registry.isRegistered(7));
}

TEST_F(JobRegistryTest, CommaInAHandWrittenNameShiftsTheFields) {
    WriteBytes(m_dir / "JOB/JOB_7.txt",
               "JOB_name : Field Day, 2010\r\nJOB_MSG1 : A\r\nJOB_MSG2 : B\r\nJOB_MSG3 : C\r\n");
    EXPECT_EQ(m_registry.readFirstField(7), "JOB_name : Field Day");
    const auto entry = m_registry.readTrimmed(7);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Field Day");
    EXPECT_EQ(entry->msg1, "2010");
    EXPECT_EQ(entry->msg2, "JOB_MSG1 : A");
    EXPECT_EQ(entry->msg3, "JOB_MSG2 : B");
}

TEST_F(JobRegistryTest, ShortFileReadsMissingFieldsAsEmpty) {
    WriteBytes(m_dir / "JOB/JOB_8.txt", "JOB_name : Short\r\nJOB_MSG1 : only");
    EXPECT_EQ(m_registry.readTrimmed(8), (JobRegistryEntry{"Short", "only", "", ""}));
    EXPECT_EQ(m_registry.readUntrimmed(8), (JobRegistryEntry{"Short", "only", "", ""}));
    EXPECT_TRUE(m_registry.isRegistered(8));

    // An emptied file names no job.
    WriteBytes(m_dir / "JOB/JOB_8.txt", "");
    EXPECT_EQ(m_registry.readFirstField(8), "");
    EXPECT_FALSE(m_registry.isRegistered(8));
}

TEST_F(JobRegistryTest, MissingFileReadsAsNotPresent) {
    EXPECT_FALSE(m_registry.exists(9));
    EXPECT_EQ(m_registry.readFirstField(9), std::nullopt);
    EXPECT_EQ(m_registry.readTrimmed(9), std::nullopt);
    EXPECT_EQ(m_registry.readUntrimmed(9), std::nullopt);
    EXPECT_FALSE(m_registry.isRegistered(9));
    EXPECT_EQ(m_registry.countMarkerLines(9), 0);
}

TEST_F(JobRegistryTest, FailedWritesReportAndLeaveTheFileAsItWas) {
    std::string error;
    JobRegistry elsewhere(m_dir / "no such folder");
    EXPECT_FALSE(elsewhere.writeEmptySlot(1, &error));
    EXPECT_NE(error.find("JOB_1.txt"), std::string::npos) << error;

    ASSERT_TRUE(m_registry.writeRegisteredJob(1, {"Old", "", "", ""}));
    const std::string before = ReadBytes(m_dir / "JOB/JOB_1.txt");
    error.clear();
    EXPECT_FALSE(m_registry.writeRegisteredJob(1, {"New", "emoji 😀", "", ""}, &error));
    EXPECT_NE(error.find("JOB_1.txt"), std::string::npos) << error;
    EXPECT_FALSE(m_registry.writeRegisteredJob(1, {"New", "two\r\nlines", "", ""}, &error));
    error.clear();
    EXPECT_FALSE(m_registry.writeRegisteredJob(1, {"Say \"hi\"", "", "", ""}, &error));
    EXPECT_NE(error.find("「\"」"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(m_dir / "JOB/JOB_1.txt"), before);
    // Nothing but the registry file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir / "JOB"), {}), 1);
}

} // namespace
} // namespace zentu
