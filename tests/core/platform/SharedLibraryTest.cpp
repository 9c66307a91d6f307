#include "platform/SharedLibrary.h"

#include "platform/ErrorText.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

using VersionFn = int (*)();

TEST(SharedLibraryTest, ResolvesTheCallsOfALoadedLibraryUntilItIsClosed) {
    SharedLibrary library;
    ASSERT_TRUE(library.open(test::BinDir() / SharedLibrary::fileName("Hamlog50"))) << library.errorString();
    const auto version = reinterpret_cast<VersionFn>(library.resolve("GetThdllVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 20480);
    EXPECT_EQ(library.resolve("NoSuchCall"), nullptr);

    library.close();
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.resolve("GetThdllVersion"), nullptr);
    library.close();
}

TEST(SharedLibraryTest, AFailedOpenSaysWhyAndKeepsTheLibraryOpenBefore) {
    test::TempDir folder;
    SharedLibrary library;
    EXPECT_FALSE(library.open(folder / SharedLibrary::fileName("Missing")));
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.errorString(), CausePhrase(FailureCause::FileMissing));

    ASSERT_TRUE(library.open(test::BinDir() / SharedLibrary::fileName("Thdll2Vb")));
    const auto broken = folder / SharedLibrary::fileName("Broken");
    test::WriteBytes(broken, "not a library");
    EXPECT_FALSE(library.open(broken));
    EXPECT_NE(library.errorString().find("ライブラリとして読み込めません"), std::string::npos) << library.errorString();
    EXPECT_NE(library.resolve("ThwString"), nullptr);
}

} // namespace
} // namespace zentu
