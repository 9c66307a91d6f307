#include "platform/AtomicFile.h"

#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/TemporaryFiles.h"

#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zentu {
namespace {

/// File-system steps that fail the chosen call of one kind (counted from 1); the others go to the system.
class FailingSteps : public ReplaceSteps {
public:
    FailingSteps(int failRename, int failKeepAside) : m_failRename(failRename), m_failKeepAside(failKeepAside) {}

    bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error) override {
        if (++m_renames == m_failRename) {
            error = ENOSPC;
            return false;
        }
        return ReplaceSteps::renameOver(from, to, error);
    }
    bool keepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error) override {
        if (++m_keeps == m_failKeepAside) {
            error = EIO;
            return false;
        }
        return ReplaceSteps::keepAside(file, aside, error);
    }

private:
    int m_failRename;
    int m_failKeepAside;
    int m_renames = 0;
    int m_keeps = 0;
};

std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteBytes(dir / "LOG.CSV", "old csv");
        test::WriteBytes(dir / "LOG.adi", "old adif");
    }

    /// Writes new content to the two files and commits them together through `steps`.
    bool CommitPair(ReplaceSteps& steps, std::string& error) {
        AtomicFile csv;
        AtomicFile adif;
        EXPECT_TRUE(csv.open(dir / "LOG.CSV", "出力ファイル") && csv.write("new csv")) << csv.errorString();
        EXPECT_TRUE(adif.open(dir / "LOG.adi", "出力ファイル") && adif.write("new adif")) << adif.errorString();
        AtomicFile* const files[] = {&csv, &adif};
        return AtomicFile::commitTogether(files, steps, error);
    }

    test::TempDir dir;
};

TEST_F(AtomicFileTest, APairIsReplacedWholeOrNotAtAllWhicheverStepFails) {
    struct Case {
        const char* name;
        int failRename;
        int failKeepAside;
        const char* failedFile;
    };
    const Case cases[] = {
        {"first rename", 1, 0, "LOG.CSV"},
        {"second rename", 2, 0, "LOG.adi"},
        {"keeping the first target's content", 0, 1, "LOG.CSV"},
    };
    for (const Case& c : cases) {
        FailingSteps steps(c.failRename, c.failKeepAside);
        std::string error;
        EXPECT_FALSE(CommitPair(steps, error)) << c.name;
        EXPECT_NE(error.find(c.failedFile), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(test::ReadBytes(dir / "LOG.CSV"), "old csv") << c.name;
        EXPECT_EQ(test::ReadBytes(dir / "LOG.adi"), "old adif") << c.name;
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"LOG.CSV", "LOG.adi"})) << c.name;
    }

    std::string error;
    ASSERT_TRUE(CommitPair(ReplaceSteps::system(), error)) << error;
    EXPECT_EQ(test::ReadBytes(dir / "LOG.CSV"), "new csv");
    EXPECT_EQ(test::ReadBytes(dir / "LOG.adi"), "new adif");
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"LOG.CSV", "LOG.adi"}));
}

TEST_F(AtomicFileTest, AFirstTargetThatDidNotExistIsRemovedAgainWhenTheSecondFails) {
    std::filesystem::remove(dir / "LOG.CSV");
    FailingSteps steps(2, 0);
    std::string error;
    EXPECT_FALSE(CommitPair(steps, error));
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"LOG.adi"}));
}

TEST_F(AtomicFileTest, AReadOnlyTargetIsRefusedBeforeAnythingChanges) {
    AtomicFile csv;
    ASSERT_TRUE(csv.open(dir / "LOG.CSV", "出力ファイル"));
    ASSERT_TRUE(csv.write("new csv"));
    // Made read-only while the run writes: the group check catches it before the first rename.
    test::SetReadOnly(dir / "LOG.adi", true);
    AtomicFile adif;
    EXPECT_FALSE(adif.open(dir / "LOG.adi", "出力ファイル"));
    EXPECT_EQ(adif.errorString(), "出力ファイル " + (dir / "LOG.adi").string() + " を書き込めません（" +
                                      std::string(CausePhrase(FailureCause::ReadOnlyFile)) + "）。");
    test::SetReadOnly(dir / "LOG.adi", false);
    ASSERT_TRUE(adif.open(dir / "LOG.adi", "出力ファイル"));
    test::SetReadOnly(dir / "LOG.adi", true);

    AtomicFile* const files[] = {&csv, &adif};
    std::string error;
    EXPECT_FALSE(AtomicFile::commitTogether(files, ReplaceSteps::system(), error));
    EXPECT_NE(error.find("LOG.adi"), std::string::npos) << error;
    EXPECT_EQ(test::ReadBytes(dir / "LOG.CSV"), "old csv");
    test::SetReadOnly(dir / "LOG.adi", false);
}

TEST_F(AtomicFileTest, LeftoversOfKilledWritersGoAndEverythingElseStays) {
    const std::string own = std::to_string(CurrentProcessId());
    test::ChildProgram running;
    ASSERT_TRUE(running.start(test::SleeperProgram(), {"30"}));
    const std::string other = std::to_string(running.id());
    const std::set<std::string> kept = {
        "LOG.CSV",
        "LOG.adi",
        ".LOG.CSV.zentu-" + own + "-12.tmp",   // this program's own, still being written
        ".LOG.CSV.zentu-" + other + "-12.tmp", // a program still running
        ".LOG.CSV.backup",                     // the user's
        "LOG.CSV.zentu-999999999-1.tmp",       // not hidden: not ours
        ".LOG.CSV.zentu-999999999-1.tmpx",     // another suffix
        ".LOG.CSV.zentu-999999999.tmp",        // no number
        ".OTHER.CSV.zentu-999999999-1.tmp",    // another file's
        ".LOG.CSV.zentu-99999999999999-1.tmp", // not a process id
        ".LOG.CSV.zentu-999999998-7.old",      // a previous content kept aside: the user's previous file
    };
    for (const std::string& name : kept) {
        test::WriteBytes(dir / name, "x");
    }
    test::WriteBytes(dir / ".LOG.CSV.zentu-999999999-123456.tmp", "killed run");
    AtomicFile::removeLeftovers(dir / "LOG.CSV");
    EXPECT_EQ(Names(dir.path()), kept);
}

TEST_F(AtomicFileTest, ASignalToEndTheProgramRemovesTheTemporaryFile) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX signals to a forked copy of the test; on Windows, ZentuCliTest sends Ctrl+Break to a run";
#else
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AtomicFile file;
            if (!file.open(dir / "LOG.CSV") || !file.write("half written")) {
                ::_exit(3);
            }
            ::raise(signal);
            ::_exit(4); // not reached when the signal ends the program
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"LOG.CSV", "LOG.adi"})) << signal;
        EXPECT_EQ(test::ReadBytes(dir / "LOG.CSV"), "old csv");
    }
#endif
}

TEST_F(AtomicFileTest, ARequestToEndWhileFilesArePutInPlaceWaitsUntilTheyAre) {
#ifdef _WIN32
    GTEST_SKIP() << "a POSIX signal raised in a forked copy of the test; Windows has neither";
#else
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile file;
        if (!file.open(dir / "LOG.CSV") || !file.write("half written")) {
            ::_exit(3);
        }
        {
            const EndRequestsHeld held;
            ::raise(SIGTERM);
            test::WriteBytes(dir / "after", "the request waited");
        }
        ::_exit(4); // not reached: the request takes effect when `held` goes
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(test::ReadBytes(dir / "after"), "the request waited");
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"LOG.CSV", "LOG.adi", "after"}));
#endif
}

} // namespace
} // namespace zentu
