#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace zentu {
namespace {

// The windows accept output paths of up to 255 characters. Windows' usual limit for a path is 260, so the helper
// files made beside such a file (".NAME.zentu-PID-NUMBER.tmp", ".old") would not fit without the long form.
TEST(LongPathTest, FilesAsLongAsTheWindowsAcceptAreReplacedTogetherAndNothingIsLeftBeside) {
    test::TempDir dir;
    const std::filesystem::path folder = dir / std::string(100, 'f');
    std::filesystem::create_directories(folder);
    const std::size_t nameLength = 255 - Utf8FromPath(folder).size() - 1;
    const std::filesystem::path csv = folder / (std::string(nameLength - 4, 'n') + ".CSV");
    const std::filesystem::path adif = folder / (std::string(nameLength - 4, 'n') + ".adi");
    ASSERT_EQ(Utf8FromPath(csv).size(), 255U);
    test::WriteBytes(csv, "old csv");
    test::WriteBytes(adif, "old adif");

    AtomicFile first;
    AtomicFile second;
    ASSERT_TRUE(first.open(csv, "出力ファイル")) << first.errorString();
    ASSERT_TRUE(second.open(adif, "ADIF ファイル")) << second.errorString();
    ASSERT_TRUE(first.write("new csv") && second.write("new adif"));
    AtomicFile* const both[] = {&first, &second};
    std::string error;
    ASSERT_TRUE(AtomicFile::commitTogether(both, ReplaceSteps::system(), error)) << error;

    EXPECT_EQ(test::ReadBytes(csv), "new csv");
    EXPECT_EQ(test::ReadBytes(adif), "new adif");
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(LongPathForm(folder))) {
        names.insert(entry.path().filename());
    }
    EXPECT_EQ(names, (std::set<std::filesystem::path>{csv.filename(), adif.filename()}));
}

TEST(LongPathTest, OnlyPathsNearTheLimitTakeTheLongForm) {
    const std::string name = std::string(120, 'n');
#ifdef _WIN32
    struct Case {
        std::wstring path;
        std::wstring expected;
    };
    const std::wstring n(name.begin(), name.end());
    for (const Case& c : {
             Case{L"C:/Hamlog/LOGLIST.CSV", L"C:/Hamlog/LOGLIST.CSV"},
             Case{L"C:/" + n + L"/./" + n + L"/x.csv", L"\\\\?\\C:\\" + n + L"\\" + n + L"\\x.csv"},
             Case{L"\\\\server\\share\\" + n + L"\\" + n + L".csv",
                  L"\\\\?\\UNC\\server\\share\\" + n + L"\\" + n + L".csv"},
             Case{L"\\\\?\\C:\\" + n + L"\\" + n + L".csv", L"\\\\?\\C:\\" + n + L"\\" + n + L".csv"},
         }) {
        EXPECT_EQ(LongPathForm(c.path).native(), c.expected);
    }
#else
    const std::filesystem::path longPath = "/tmp/" + name + "/" + name + "/x.csv";
    EXPECT_EQ(LongPathForm(longPath), longPath);
    EXPECT_EQ(LongPathForm("/tmp/x.csv"), std::filesystem::path("/tmp/x.csv"));
#endif
}

} // namespace
} // namespace zentu
