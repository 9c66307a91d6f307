#include "platform/Console.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/ConsoleWriter_windows.h"

#include <windows.h>
#endif

namespace zentu {
namespace {

#ifdef _WIN32
/// The text of the first `count` cells of a console screen buffer's first row.
std::wstring ConsoleRow(HANDLE screen, DWORD count) {
    std::wstring text(count, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, text.data(), count, COORD{0, 0}, &read);
    text.resize(read);
    return text;
}
#endif

// A console gets the text as UTF-16, whatever its code page, which stays as it was; a character split between two
// writes arrives whole.
TEST(ConsoleWriterTest, AConsoleGetsJapaneseWithoutItsCodePageChanged) {
#ifdef _WIN32
    const auto makeScreen = [] {
        return ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           CONSOLE_TEXTMODE_BUFFER, nullptr);
    };
    HANDLE screen = makeScreen();
    if (screen == INVALID_HANDLE_VALUE && ::AllocConsole()) {
        screen = makeScreen();
    }
    if (screen == INVALID_HANDLE_VALUE) {
        GTEST_SKIP() << "no console here (Wine makes one only for a program started in a terminal)";
    }
    const UINT codePage = ::GetConsoleOutputCP();
    {
        ConsoleWriter writer(screen);
        ASSERT_TRUE(writer.writesToConsole());
        std::ostream stream(&writer);
        const std::string text = "出力件数 ： 12 件";
        stream << text.substr(0, 4) << std::flush; // "出" and the first byte of "力"
        stream << text.substr(4) << std::flush;
        EXPECT_TRUE(stream.good());
    }
    EXPECT_EQ(ConsoleRow(screen, 11), L"出力件数 ： 12 件");
    EXPECT_EQ(::GetConsoleOutputCP(), codePage);
    ::CloseHandle(screen);
#else
    GTEST_SKIP() << "the console writer is Windows' (Linux writes UTF-8 as it is)";
#endif
}

} // namespace
} // namespace zentu
