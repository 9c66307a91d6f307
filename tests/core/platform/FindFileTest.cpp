#include "platform/FindFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

TEST(FindFileIgnoringCase, FindsWhatStandsUnderTheNameWhateverItsLetterCase) {
    test::TempDir dir;
    EXPECT_FALSE(FindFileIgnoringCase(dir.path(), "mode_tbl.csv"));
    test::WriteBytes(dir / "MODE_TBL.CSV", "");
    const auto table = FindFileIgnoringCase(dir.path(), "mode_tbl.csv");
    ASSERT_TRUE(table);
    EXPECT_TRUE(std::filesystem::equivalent(*table, dir / "MODE_TBL.CSV"));
    // Whatever stands there is found: the caller decides what it may be.
    std::filesystem::create_directory(dir / "LOG.MST");
    EXPECT_TRUE(FindFileIgnoringCase(dir.path(), "log.mst"));
    EXPECT_FALSE(FindFileIgnoringCase(dir / "missing", "log.mst"));
}

#ifndef _WIN32
// Only a file system that tells letter cases apart can hold several spellings of one name.
TEST(FindFileIgnoringCase, OfSeveralSpellingsTakesTheExactOneElseTheFirstInNameOrder) {
    test::TempDir dir;
    test::WriteBytes(dir / "Mode_Tbl.csv", "");
    test::WriteBytes(dir / "MODE_TBL.CSV", "");
    EXPECT_EQ(FindFileIgnoringCase(dir.path(), "mode_tbl.csv"), dir / "MODE_TBL.CSV");
    test::WriteBytes(dir / "mode_tbl.csv", "");
    EXPECT_EQ(FindFileIgnoringCase(dir.path(), "mode_tbl.csv"), dir / "mode_tbl.csv");
}
#endif

} // namespace
} // namespace zentu
