#pragma once

// The program folder the tests of zentu_cli run jobs in.

#include "CliRunner.h"

#include "hamlog/RecordLibrary.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

namespace zentu {

inline hamlog::LogRecord Qso(const std::string& call, const std::string& date) {
    hamlog::LogRecord record;
    record.fields = {call, date, "12:00J", "59", "59", "7.050", "SSB", "1001", "", "", "", "", "", "", "", ""};
    return record;
}

/// A program folder with the record libraries, the default mode table, a log and job 1.
class ZentuCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& name : {RecordLibrary::mainLibraryFileName(), RecordLibrary::stringLibraryFileName(),
                                        std::string("mode_tbl.csv")}) {
            std::filesystem::copy_file(test::BinDir() / name, dir / name);
        }
        std::filesystem::create_directories(dir / "ini");
        std::filesystem::create_directories(dir / "JOB");
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {Qso("JA1AA", "10/01/01"), Qso("JA1BB", "10/01/02")}, &error))
            << error;
        JobRegistry registry(dir.path());
        for (int n = 1; n <= 9; ++n) {
            ASSERT_TRUE(registry.writeEmptySlot(n));
        }
        ASSERT_TRUE(registry.writeRegisteredJob(1, {"Test", "", "", ""}));
        settings.set_hdb_dir = (dir / "LOG.hdb").string();
        settings.set_outcsv_dir = (dir / "OUT.CSV").string();
        settings.select_flag = "4";
        Save();
    }

    void Save() { ASSERT_TRUE(SaveJobSettings(dir.path(), 1, settings, kZentuVersion)); }

    CliStatus Run(std::vector<std::string> extra = {}) {
        out.str("");
        err.str("");
        std::vector<std::string> arguments = {"--folder", dir.path().string(), "--job", "1"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(arguments, out, err, std::chrono::milliseconds(0));
    }

    test::TempDir dir;
    JobSettings settings;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace zentu
