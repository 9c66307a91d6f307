#include "platform/NativeFile.h"

#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

TEST(NativeFileTest, ReadingNeverWaitsOnANamedPipeOrDeviceAndTellsWhatStandsThere) {
    test::TempDir dir;
    const std::filesystem::path pipe = test::NonRegularFileIn(dir.path());
    test::WriteBytes(dir / "file", "bytes");
    std::filesystem::create_directory(dir / "folder");

    std::string bytes;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(pipe, bytes, error), FileReadOutcome::NotRegularFile);
    EXPECT_EQ(ReadRegularFile(dir / "folder", bytes, error), FileReadOutcome::NotRegularFile);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(ReadRegularFile(dir / "missing", bytes, error), FileReadOutcome::Missing);
    ASSERT_EQ(ReadRegularFile(dir / "file", bytes, error), FileReadOutcome::Read);
    EXPECT_EQ(bytes, "bytes");

    EXPECT_EQ(KindOfPath(pipe), PathKind::Other);
    EXPECT_EQ(ReplaceProblem(pipe), FailureCause::NotRegularFile);
    EXPECT_EQ(ReplaceProblem(dir / "folder"), FailureCause::IsFolder);
    EXPECT_EQ(ReplaceProblem(dir / "missing" / "x"), FailureCause::FileMissing);
    EXPECT_EQ(ReplaceProblem(dir / "file"), std::nullopt);
    EXPECT_EQ(ReplaceProblem(dir / "new"), std::nullopt);
}

TEST(NativeFileTest, AReadTakesNoMoreThanItsBoundAndADeviceNeverFillsTheMemory) {
    test::TempDir dir;
    test::WriteBytes(dir / "file", "0123456789");
    std::string bytes;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(dir / "file", bytes, error, 10), FileReadOutcome::Read);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(ReadRegularFile(dir / "file", bytes, error, 9), FileReadOutcome::TooLarge);
    EXPECT_EQ(bytes, "");
    // A link to an endless device is no regular file: refused at once.
    if (std::filesystem::exists("/dev/zero") && test::MakeSymbolicLink("/dev/zero", dir / "zero.csv")) {
        EXPECT_EQ(ReadRegularFile(dir / "zero.csv", bytes, error, kMaxTextFileBytes), FileReadOutcome::NotRegularFile);
    }
}

} // namespace
} // namespace zentu
