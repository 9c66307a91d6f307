#include "CliRunner.h"

#include "codec/Cp932.h"

#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zentu {
namespace {

// "/?" is "--help" (a Windows user's first try). On Windows a redirected output gets CP932 with CR LF line ends,
// as Japanese Windows programs read it; here it gets the text as it is.
TEST(ConsoleOutputTest, TheUsageReachesARedirectedOutputInTheSystemsEncodingForEitherOption) {
    test::TempDir dir;
    std::string expected = CliUsage();
#ifdef _WIN32
    const codec::Converted cp932 = codec::Utf8ToCp932(expected);
    ASSERT_TRUE(cp932.ok) << "a character CP932 lacks: " << expected.substr(cp932.failedAt, 8);
    expected.clear();
    for (const char byte : cp932.text) {
        expected += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    }
#endif
    for (const char* option : {"--help", "/?"}) {
        const std::filesystem::path output = dir / "usage.txt";
        ASSERT_EQ(test::RunProgram(test::ProgramInBinDir("zentu_cli"), {option}, output), 0) << option;
        EXPECT_EQ(test::ReadBytes(output), expected) << option;
    }
}

} // namespace
} // namespace zentu
