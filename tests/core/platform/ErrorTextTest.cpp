#include "platform/ErrorText.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <unistd.h>

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
    for (const int unusual : {EIO, EXDEV, ELOOP, 9999}) {
        const std::string reason = SystemReason(unusual);
        EXPECT_FALSE(HasAsciiLetter(reason)) << reason;
        EXPECT_NE(reason.find(std::to_string(unusual)), std::string::npos) << reason;
    }
}

/// The errno a real failure leaves, so the table is checked against what the system says, not against itself.
int ErrnoOf(int result) {
    return result < 0 ? errno : 0;
}

TEST(ErrorTextTest, RealFailuresGetTheUsualCauses) {
    test::TempDir dir;
    EXPECT_EQ(CauseOfErrno(ErrnoOf(::open((dir / "missing").c_str(), O_RDONLY))), FailureCause::FileMissing);
    EXPECT_EQ(CauseOfErrno(ErrnoOf(::open((dir / "missing" / "x").c_str(), O_RDONLY))), FailureCause::FileMissing);
    EXPECT_EQ(CauseOfErrno(ErrnoOf(::open(dir.path().c_str(), O_WRONLY))), FailureCause::IsFolder);
    EXPECT_EQ(CauseOfErrno(ErrnoOf(::open((dir / std::string(300, 'x')).c_str(), O_RDONLY))),
              FailureCause::NameTooLong);

    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const ssize_t written = ::write(full, "x", 1);
    const int error = written < 0 ? errno : 0;
    ::close(full);
    EXPECT_EQ(CauseOfErrno(error), FailureCause::DiskFull);
}

} // namespace
} // namespace zentu
