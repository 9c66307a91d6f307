#include "convert/JobFiles.h"

#include "settings/JobSettings.h"
#include "text/TextHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

TEST(JobFiles, TheModeTableIsCheckedAndProtectedUnderTheNameItHas) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "MODE_TBL.CSV");
    const std::optional<std::string> unreadable = CheckProgramFiles(dir.path(), 1);
    ASSERT_TRUE(unreadable);
    // Named as it is spelled here, or as Windows, which ignores letter case, was asked for it.
    EXPECT_NE(LowerAscii(*unreadable).find("mode_tbl.csv"), std::string::npos) << *unreadable;

    std::filesystem::remove(dir / "MODE_TBL.CSV");
    test::WriteBytes(dir / "MODE_TBL.CSV", "SSB,USB,,,\r\n");
    JobSettings settings;
    settings.set_hdb_dir = (dir / "LOG.hdb").string();
    settings.set_outcsv_dir = (dir / "MODE_TBL.CSV").string();
    const std::optional<std::string> clash = CheckOutputTargets(settings, dir.path());
    ASSERT_TRUE(clash);
    EXPECT_NE(clash->find("プログラムフォルダーのファイル"), std::string::npos) << *clash;
}

} // namespace
} // namespace zentu
