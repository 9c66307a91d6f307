#include "platform/FileLock.h"

#include "platform/ErrorText.h"

#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

using namespace std::chrono_literals;

TEST(FileLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    test::TempDir dir;
    int error = 0;
    FileLock first;
    ASSERT_EQ(first.lock(dir / "job.lock", 0ms, error), FileLock::Outcome::Taken);
    FileLock second;
    EXPECT_EQ(second.lock(dir / "job.lock", 0ms, error), FileLock::Outcome::Busy);
    EXPECT_FALSE(second.isLocked());

    FileLock moved = std::move(first);
    EXPECT_EQ(second.lock(dir / "job.lock", 0ms, error), FileLock::Outcome::Busy);
    moved.unlock();
    EXPECT_EQ(second.lock(dir / "job.lock", 0ms, error), FileLock::Outcome::Taken);
    EXPECT_TRUE(std::filesystem::exists(dir / "job.lock"));
}

TEST(FileLockTest, ALockFileThatCannotBeMadeOrIsAPipeNeverBlocks) {
    test::TempDir dir;
    int error = 0;
    FileLock lock;
    EXPECT_EQ(lock.lock(dir / "missing" / "job.lock", 0ms, error), FileLock::Outcome::Error);
    EXPECT_EQ(error, ENOENT);

    // A pipe opens without a partner when asked not to wait (a device as it is); whatever the lock then says, the
    // call returns.
    lock.lock(test::NonRegularFileIn(dir.path()), 0ms, error);
}

TEST(FileLockTest, ALockFileThatIsALinkIsRefusedAndItsTargetNeverMade) {
    test::TempDir dir;
    if (!test::MakeSymbolicLink(dir / "elsewhere", dir / "job.lock")) {
        GTEST_SKIP() << "symbolic links, which tests cannot make here";
    }
    FileLock lock;
    int error = 0;
    EXPECT_EQ(lock.lock(dir / "job.lock", 0ms, error), FileLock::Outcome::Error);
    EXPECT_EQ(CauseOfErrno(error), FailureCause::LinkRefused);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
}

} // namespace
} // namespace zentu
