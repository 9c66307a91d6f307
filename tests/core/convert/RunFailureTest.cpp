#include "convert/ConversionRun.h"

#include "convert/JobFiles.h"
#include "convert/RecordBlock.h"
#include "platform/NativeFile.h"
#include "settings/JobLock.h"

#include "ConversionRunFixture.h"
#include "TestPlatform.h"

#include <exception>
#include <new>
#include <system_error>

namespace zentu {
namespace {

using namespace std::chrono_literals;
using namespace runtest;

/// Runs that meet failures or unusual places: what they keep, what they say.
class RunFailureTest : public ConversionRunTest {};

TEST_F(RunFailureTest, APreviousFileThatCannotBePutBackIsToldWithItsKeptCopyWhichNoLaterRunRemoves) {
    MakeLog({Qso("A1", "10/01/01", "00:00J"), Qso("A2", "10/01/02", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    // The settings file's rename fails, and so do the renames that would put the two outputs back.
    FailingRename steps(3, true);
    RunOptions options;
    options.replaceSteps = &steps;
    const RunResult result = Run(4, "1", options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failure, RunFailure::NotRestored) << result.error;
    EXPECT_EQ(Ini(), iniBefore);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        if (entry.path().extension() == ".old") {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 2u);
    for (const auto& copy : kept) {
        EXPECT_NE(result.error.find(copy.string()), std::string::npos) << result.error;
    }
    // The next run keeps them, though the program that kept them has ended (as a process that is gone now): they hold
    // the previous files.
    const std::string own = "-" + std::to_string(CurrentProcessId()) + "-";
    for (auto& copy : kept) {
        std::string name = copy.filename().string();
        name.replace(name.find(own), own.size(), "-999999999-");
        std::filesystem::rename(copy, copy.parent_path() / name);
        copy = copy.parent_path() / name;
    }
    ASSERT_TRUE(Run(4, "1").ok);
    for (const auto& copy : kept) {
        EXPECT_TRUE(std::filesystem::exists(copy)) << copy;
    }
    const std::set<std::string> previous = {test::ReadBytes(kept[0]), test::ReadBytes(kept[1])};
    EXPECT_EQ(previous, (std::set<std::string>{"previous csv", "previous adif"}));
}

/// An observer that throws what a run meets when memory or threads run out, once the range is being read.
class ThrowingObserver : public RecordingObserver {
public:
    explicit ThrowingObserver(std::exception_ptr thrown) : m_thrown(std::move(thrown)) {}
    void progressed(std::int64_t value) override {
        if (value == RecordBlock::kSpanRecords) {
            std::rethrow_exception(m_thrown);
        }
    }

private:
    std::exception_ptr m_thrown;
};

TEST_F(RunFailureTest, MemoryOrThreadsRunningOutFailTheRunWithEveryThreadEndedAndNothingChanged) {
    std::vector<hamlog::LogRecord> records;
    for (int n = 1; n <= 5 * static_cast<int>(RecordBlock::kSpanRecords); ++n) {
        records.push_back(Qso("JA" + std::to_string(n), "10/01/01", "00:00J"));
    }
    MakeLog(records);
    PreviousRun();
    const std::string iniBefore = Ini();
    struct Case {
        const char* name;
        std::exception_ptr thrown;
        bool memory;
    };
    const Case cases[] = {
        {"no memory", std::make_exception_ptr(std::bad_alloc()), true},
        {"no thread",
         std::make_exception_ptr(std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again))),
         false},
    };
    for (const Case& c : cases) {
        ThrowingObserver throwing(c.thrown);
        RunInput input{dir.path(), 1, RangeMode::NewAdditions, static_cast<std::int32_t>(records.size()), "1"};
        const RunResult result = RunConversion(library, settings, input, {}, &throwing);
        ExpectNothingChanged(result, iniBefore, c.name);
        EXPECT_EQ(result.failure, RunFailure::Failed) << c.name;
        EXPECT_EQ(result.error, OutOfResourcesText(c.memory)) << c.name;
    }
}

TEST_F(RunFailureTest, RelativePathsNameFilesOfTheProgramFolderWhateverTheCurrentFolder) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    settings.set_hdb_dir = "LOG.hdb";
    settings.set_outcsv_dir =
        std::string("out") + static_cast<char>(std::filesystem::path::preferred_separator) + "LOGLIST.CSV";
    settings.adif_out = "1";
    const std::filesystem::path before = std::filesystem::current_path();
    test::TempDir elsewhere;
    std::filesystem::current_path(elsewhere.path());
    const RunResult result = Run(0);
    std::filesystem::current_path(before);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.csvPath, dir / "out" / "LOGLIST.CSV");
    EXPECT_EQ(Csv(), ExpectedCsv({1}));
    EXPECT_FALSE(Adif().empty());
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(RunFailureTest, AnotherJobWritingTheSameOutputsHoldsThemAndThisRunChangesNothing) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    PreviousRun();
    const std::string iniBefore = Ini();
    // Job 2 writes the same files (its CSV named in another spelling of the same path).
    OutputLock job2;
    std::string reason;
    ASSERT_TRUE(job2.acquire(dir.path(), dir / "out" / ".." / "out" / "LOGLIST.CSV", 0ms, reason)) << reason;
    RunOptions options;
    options.lockWait = 0ms;
    const RunResult result = Run(4, "1", options);
    ExpectNothingChanged(result, iniBefore, "outputs held");
    EXPECT_EQ(result.failure, RunFailure::Busy);
    EXPECT_NE(result.error.find("LOGLIST.CSV"), std::string::npos) << result.error;
}

TEST_F(RunFailureTest, LongNamesADanglingLinkAndAnAdifNameInCapitalsAreWrittenWhereTheySay) {
    MakeLog({Qso("A1", "10/01/01", "00:00J")});
    settings.adif_out = "1";
    // The longest path a job holds, its name as long as that leaves (more than 223 bytes in a short temporary
    // folder): legal, so its temporary files must be too.
    const std::string folder = (dir / "out").string() + static_cast<char>(std::filesystem::path::preferred_separator);
    settings.set_outcsv_dir = folder + std::string(kMaxPathBytes - folder.size() - 4, 'n') + ".CSV";
    RunResult result = Run(0);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadBytes(settings.set_outcsv_dir), ExpectedCsv({1}));
#ifndef _WIN32
    // Names that differ only in letter case are two files here.
    settings.set_outcsv_dir = (dir / "out" / "X.ADI").string();
    result = Run(0);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(std::filesystem::exists(dir / "out" / "X.adi"));
#endif
    // A link whose file is not there yet: the file is made where it points, the link stays.
    if (test::MakeSymbolicLink(dir / "out" / "target.csv", dir / "out" / "link.csv")) {
        settings.set_outcsv_dir = (dir / "out" / "link.csv").string();
        result = Run(0);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "out" / "link.csv"));
        EXPECT_EQ(test::ReadBytes(dir / "out" / "target.csv"), ExpectedCsv({1}));
    }
}

} // namespace
} // namespace zentu
