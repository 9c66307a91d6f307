#include "convert/LogBounds.h"

#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

hamlog::LogRecord Dated(const std::string& date) {
    hamlog::LogRecord record;
    record.fields[0] = "JA1ABC";
    record.fields[1] = date;
    return record;
}

class LogBoundsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.load(test::BinDir())) << library.errorString(); }
    void makeLog(const std::vector<hamlog::LogRecord>& records) {
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(log, records, &error)) << error;
    }

    RecordLibrary library;
    test::TempDir dir;
    std::filesystem::path log = dir / "LOG.hdb";
};

TEST_F(LogBoundsTest, TheYearsOfTheFirstAndNewestRecordAreWidenedAtFifty) {
    makeLog({Dated("51/01/01"), Dated("05/06/07"), Dated("50/12/31")});
    LogBounds bounds;
    EXPECT_EQ(ReadLogBounds(library, log, bounds), 0);
    EXPECT_EQ(bounds.log_first_date, "19510101");
    EXPECT_EQ(bounds.log_last_date, "20501231");
    EXPECT_EQ(bounds.log_last_rec_no, "3");

    // A master file that cannot be opened is told; the dates stay as they were.
    std::filesystem::remove(dir / "LOG.mst");
    EXPECT_EQ(ReadLogBounds(library, log, bounds), RecordLibrary::kMasterMissing);
    EXPECT_EQ(bounds.log_first_date, "19510101");
}

TEST_F(LogBoundsTest, BlankRangeDatesTakeTheLogsDatesOrTheDefaultsOfALogWithoutRecords) {
    makeLog({});
    LogBounds bounds{"20000101", "20000102", "9"};
    EXPECT_EQ(ReadLogBounds(library, log, bounds), 0);
    EXPECT_EQ(bounds.log_last_rec_no, "0");
    JobSettings blank;
    CompleteRangeDates(blank, bounds);
    EXPECT_EQ(blank.set_start_date, "20040101");
    EXPECT_EQ(blank.set_end_date, "20040110");
    EXPECT_EQ(bounds.log_first_date, "20040101");

    LogBounds read{"19990301", "20050102", "2"};
    JobSettings dated;
    dated.set_end_date = "20240101";
    CompleteRangeDates(dated, read);
    EXPECT_EQ(dated.set_start_date, "19990301");
    EXPECT_EQ(dated.set_end_date, "20240101");
}

} // namespace
} // namespace zentu
