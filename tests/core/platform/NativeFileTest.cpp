#include "platform/NativeFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zentu {
namespace {

TEST(NativeFileTest, ReadingNeverWaitsOnANamedPipeAndTellsWhatStandsThere) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    test::WriteBytes(dir / "file", "bytes");
    std::filesystem::create_directory(dir / "folder");

    std::string bytes;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(dir / "pipe", bytes, error), FileReadOutcome::NotRegularFile);
    EXPECT_EQ(ReadRegularFile(dir / "folder", bytes, error), FileReadOutcome::NotRegularFile);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(ReadRegularFile(dir / "missing", bytes, error), FileReadOutcome::Missing);
    ASSERT_EQ(ReadRegularFile(dir / "file", bytes, error), FileReadOutcome::Read);
    EXPECT_EQ(bytes, "bytes");

    EXPECT_EQ(KindOfPath(dir / "pipe"), PathKind::Other);
    EXPECT_EQ(ReplaceProblem(dir / "pipe"), FailureCause::NotRegularFile);
    EXPECT_EQ(ReplaceProblem(dir / "folder"), FailureCause::IsFolder);
    EXPECT_EQ(ReplaceProblem(dir / "missing" / "x"), FailureCause::FileMissing);
    EXPECT_EQ(ReplaceProblem(dir / "file"), std::nullopt);
    EXPECT_EQ(ReplaceProblem(dir / "new"), std::nullopt);
}

} // namespace
} // namespace zentu
