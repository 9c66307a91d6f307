#include "hamlog/RecordLibrary.h"

#include "platform/ErrorText.h"
#include "platform/ProgramPaths.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zentu {
namespace {

hamlog::LogRecord Record(const std::string& call, const std::string& date, const std::string& time) {
    hamlog::LogRecord record;
    record.fields[0] = call;
    record.fields[1] = date;
    record.fields[2] = time;
    record.fields[5] = "7.050";
    record.fields[6] = "CW";
    record.fields[10] = test::Sjis("山田");
    return record;
}

TEST(RecordLibraryTest, ReportsAMissingLibraryWithEveryPlaceLookedIn) {
    test::TempDir empty;
    RecordLibrary library;
    EXPECT_FALSE(library.load(empty.path()));
    EXPECT_FALSE(library.isLoaded());
    const std::string& error = library.errorString();
    const std::string start = "記録ライブラリ " + RecordLibrary::mainLibraryFileName() +
                              " が見つかりません（探した場所: " + FolderWithSeparator(empty.path()) + "、" +
                              FolderWithSeparator(ExecutableFolder());
    EXPECT_EQ(error.rfind(start, 0), 0U) << error;
    EXPECT_EQ(library.countRecords(empty / "x.hdb"), -1);
}

// A stray copy in the current folder is never taken (Windows would look there for a bare name), and the two
// libraries never come from two folders.
TEST(RecordLibraryTest, TakesBothLibrariesFromTheFolderOfTheMainOneAndNoneFromTheCurrentFolder) {
    const std::string main = RecordLibrary::mainLibraryFileName();
    const std::string strings = RecordLibrary::stringLibraryFileName();
    test::TempDir stray;
    std::filesystem::copy_file(test::BinDir() / main, stray / main);
    std::filesystem::copy_file(test::BinDir() / strings, stray / strings);
    test::TempDir program;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(stray.path());
    RecordLibrary library;
    EXPECT_FALSE(library.load(program.path()));
    EXPECT_NE(library.errorString().find("見つかりません"), std::string::npos) << library.errorString();

    std::filesystem::copy_file(test::BinDir() / main, program / main);
    EXPECT_FALSE(library.load(program.path()));
    EXPECT_EQ(library.errorString(), "記録ライブラリ " + Utf8FromPath(program / strings) + " を読み込めません（" +
                                         std::string(CausePhrase(FailureCause::FileMissing)) + "）。" + main +
                                         " と同じフォルダーに置いてください。");
    std::filesystem::current_path(before);
}

TEST(RecordLibraryTest, ReportsAMissingCallByName) {
    test::TempDir folder;
    const std::string main = RecordLibrary::mainLibraryFileName();
    const std::string strings = RecordLibrary::stringLibraryFileName();
    std::filesystem::copy_file(std::filesystem::path(FAKE_WITHOUT_READ_DIR) / main, folder / main);
    std::filesystem::copy_file(test::BinDir() / strings, folder / strings);
    RecordLibrary library;
    EXPECT_FALSE(library.load(folder.path()));
    EXPECT_NE(library.errorString().find("THW_read"), std::string::npos) << library.errorString();
}

TEST(RecordLibraryTest, CountsAndReadsALogThroughTheProgramFolderLibraries) {
    test::TempDir folder;
    const auto log = folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(log, {Record("JA1ABC", "10/05/01", "12:34J"), Record("JH3XYZ", "10/05/02", "01:00U")},
                                  &error))
        << error;

    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    EXPECT_GE(library.version(), RecordLibrary::kMinimumVersion);
    EXPECT_EQ(library.countRecords(log), 2);
    EXPECT_EQ(library.countRecords(folder / "missing.hdb"), -1);

    ASSERT_EQ(library.open(log), 0);
    library.read(2);
    EXPECT_EQ(library.field(1), "JH3XYZ");
    EXPECT_EQ(library.field(3), "01:00U");
    std::array<std::string, 16> fields;
    library.read(1);
    library.fields(fields);
    EXPECT_EQ(fields[0], "JA1ABC");
    EXPECT_EQ(fields[1], "10/05/01");
    EXPECT_EQ(fields[10], test::Sjis("山田"));
    EXPECT_EQ(fields[15], "");
    library.read(3);
    EXPECT_EQ(library.field(1), "");
    library.close();
    library.close();
    EXPECT_EQ(library.field(1), "");
}

TEST(RecordLibraryTest, OpeningALogWithoutItsMasterFileGives42) {
    test::TempDir folder;
    const auto log = folder / "LOG.hdb";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(log, {Record("JA1ABC", "10/05/01", "12:34J")}, &error)) << error;
    std::filesystem::remove(folder / "LOG.mst");

    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    EXPECT_EQ(library.open(log), 42);
    library.read(1);
    EXPECT_EQ(library.field(1), "");
    library.close();
    EXPECT_NE(library.open(folder / "missing.hdb"), 0);
    library.close();
}

} // namespace
} // namespace zentu
