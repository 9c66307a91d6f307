#pragma once

// What the tests of the conversion run share: a program folder with a log, the run of a range mode, and file-system
// steps that fail where a test says.

#include "convert/ConversionRun.h"
#include "hamlog/RecordLibrary.h"
#include "platform/AtomicFile.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

namespace zentu::runtest {

inline hamlog::LogRecord Qso(const std::string& call, const std::string& date, const std::string& time,
                             const std::string& freq = "7.050", const std::string& mode = "CW") {
    hamlog::LogRecord record;
    record.fields = {call, date, time, "599", "579", freq, mode, "1001", "PM95", "J", "", "", "", "", "F15", "F16"};
    return record;
}

inline std::string CsvLine(const hamlog::LogRecord& record) {
    std::string line;
    AppendCsvLine(line, record.fields);
    return line;
}

/// Records the observer calls of a run.
class RecordingObserver : public RunObserver {
public:
    void progressStarted(double max) override { maximum = max; }
    void progressed(std::int64_t value) override { values.push_back(value); }
    void outputCounted(std::int64_t count) override { counted = count; }

    double maximum = -1;
    std::vector<std::int64_t> values;
    std::int64_t counted = -1;
};

class ConversionRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
        settings.set_hdb_dir = (dir / "LOG.hdb").string();
        settings.set_outcsv_dir = (dir / "out" / "LOGLIST.CSV").string();
        std::filesystem::create_directories(dir / "out");
        std::filesystem::create_directories(dir / "ini");
    }

    void MakeLog(const std::vector<hamlog::LogRecord>& records) {
        log = records;
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", records, &error)) << error;
    }

    RunResult Run(int mode, const std::string& newStart = "", const RunOptions& options = {}) {
        RunInput input;
        input.programFolder = dir.path();
        input.job = 1;
        input.rangeMode = static_cast<RangeMode>(mode);
        input.record_count = static_cast<std::int32_t>(log.size());
        input.new_start_rec_no = newStart;
        return RunConversion(library, settings, input, options, &observer);
    }

    std::string Csv() const { return test::ReadBytes(dir / "out" / "LOGLIST.CSV"); }
    std::string Adif() const { return test::ReadBytes(dir / "out" / "LOGLIST.adi"); }
    std::string Ini() const { return test::ReadBytes(dir / "ini" / "zentu_1.ini"); }

    /// The names in a folder (temporary files left behind show up here).
    static std::set<std::string> Names(const std::filesystem::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    /// A mode-4 job with previous outputs and a settings file, as after an earlier run.
    void PreviousRun() {
        test::WriteBytes(dir / "out" / "LOGLIST.CSV", "previous csv");
        test::WriteBytes(dir / "out" / "LOGLIST.adi", "previous adif");
        settings.adif_out = "1";
        settings.last_end_rec_no = "0";
        ASSERT_TRUE(SaveJobSettings(dir.path(), 1, settings, kZentuVersion));
    }

    /// Checks that a failed run left the previous outputs, the settings file and the record as they were.
    void ExpectNothingChanged(const RunResult& result, const std::string& iniBefore, const std::string& why) {
        EXPECT_FALSE(result.ok) << why;
        EXPECT_EQ(Csv(), "previous csv") << why;
        EXPECT_EQ(Adif(), "previous adif") << why;
        EXPECT_EQ(Ini(), iniBefore) << why;
        EXPECT_EQ(settings.last_end_rec_no, "0") << why;
        EXPECT_EQ(Names(dir / "out"), (std::set<std::string>{"LOGLIST.CSV", "LOGLIST.adi"})) << why;
    }
    std::string ExpectedCsv(std::initializer_list<int> numbers) const {
        std::string expected;
        for (const int n : numbers) {
            expected += CsvLine(log[static_cast<std::size_t>(n - 1)]);
        }
        return expected;
    }

    test::TempDir dir;
    RecordLibrary library;
    JobSettings settings;
    std::vector<hamlog::LogRecord> log;
    RecordingObserver observer;
};

/// File-system steps whose n-th rename fails (a full disk), or with `andLater` every rename from the n-th on (a disk
/// that failed); the others go to the system.
class FailingRename : public ReplaceSteps {
public:
    explicit FailingRename(int failing, bool andLater = false) : m_failing(failing), m_andLater(andLater) {}
    bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error) override {
        ++m_count;
        if (m_count == m_failing || (m_andLater && m_count > m_failing)) {
            error = m_andLater ? EIO : ENOSPC;
            return false;
        }
        return ReplaceSteps::renameOver(from, to, error);
    }

private:
    int m_failing;
    bool m_andLater;
    int m_count = 0;
};

} // namespace zentu::runtest
