#include "platform/ErrorText.h"

#include "platform/FileLock.h"
#include "platform/NativeFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <set>

namespace zentu {
namespace {

bool HasAsciiLetter(std::string_view text) {
    for (const char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return true;
        }
    }
    return false;
}

TEST(ErrorTextTest, EveryCauseHasItsOwnJapanesePhrase) {
    std::set<std::string_view> phrases;
    for (int c = 0; c <= static_cast<int>(FailureCause::Other); ++c) {
        const auto cause = static_cast<FailureCause>(c);
        const std::string_view phrase = CausePhrase(cause);
        EXPECT_TRUE(phrases.insert(phrase).second) << phrase;
        // Only the program's name may be written in Latin letters.
        if (cause != FailureCause::NotHamlogLog) {
            EXPECT_FALSE(HasAsciiLetter(phrase)) << phrase;
        }
        EXPECT_NE(phrase.back(), '.') << phrase;
    }
}

TEST(ErrorTextTest, EveryErrnoOfTheTableSpeaksOfItsCauseAndOthersStillSpeakJapanese) {
    for (const ErrnoCause& row : ErrnoCauseTable()) {
        EXPECT_NE(row.cause, FailureCause::Other);
        EXPECT_EQ(SystemReason(row.error), CausePhrase(row.cause)) << row.error;
    }
    for (const int unusual : {EIO, ESPIPE, 9999}) {
        const std::string reason = SystemReason(unusual);
        EXPECT_FALSE(HasAsciiLetter(reason)) << reason;
        EXPECT_NE(reason.find(std::to_string(unusual)), std::string::npos) << reason;
    }
}

/// The cause of the failure the system reports when a new file is made at `file`, so the table is checked
/// against what the system says, not against itself.
FailureCause CauseOfCreating(const std::filesystem::path& file) {
    std::FILE* created = CreateNewCFile(file);
    if (created != nullptr) {
        std::fclose(created);
        return FailureCause::Other;
    }
    return CauseOfErrno(LastSystemError());
}

TEST(ErrorTextTest, RealFailuresGetTheUsualCauses) {
    test::TempDir dir;
    test::WriteBytes(dir / "file", "x");
    EXPECT_EQ(CauseOfCreating(dir / "missing" / "x"), FailureCause::FileMissing);
    EXPECT_EQ(CauseOfCreating(dir / "file" / "x"), FailureCause::FileMissing);
#ifdef _WIN32
    // Windows refuses such names itself. A folder opened as a file is an access Windows does not allow; the lock
    // names it as a folder, as on Linux.
    EXPECT_EQ(CauseOfCreating(dir / "a?b"), FailureCause::InvalidName);
    EXPECT_EQ(CauseOfCreating(dir / "a<b"), FailureCause::InvalidName);
    FileLock onFolder;
    int error = 0;
    EXPECT_EQ(onFolder.lock(dir.path(), std::chrono::milliseconds(0), error), FileLock::Outcome::Error);
    EXPECT_EQ(CauseOfErrno(error), FailureCause::IsFolder);
#else
    EXPECT_EQ(CauseOfCreating(dir / std::string(300, 'x')), FailureCause::NameTooLong);
    FileLock onFolder;
    int error = 0;
    EXPECT_EQ(onFolder.lock(dir.path(), std::chrono::milliseconds(0), error), FileLock::Outcome::Error);
    EXPECT_EQ(CauseOfErrno(error), FailureCause::IsFolder);

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    const bool written = std::fwrite("x", 1, 1, full) == 1;
    const int writeError = written ? 0 : errno;
    std::fclose(full);
    EXPECT_EQ(CauseOfErrno(writeError), FailureCause::DiskFull);
#endif
}

} // namespace
} // namespace zentu
