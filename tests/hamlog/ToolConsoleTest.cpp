// hamlog_tool's writes to a Windows console.

#include "ToolConsole.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// A console gets a UTF-8 message and a listing's CP932 bytes alike as UTF-16, and its code page stays as it was for the
// programs that run in it later.
TEST(ToolConsoleTest, AConsoleGetsJapaneseWithoutItsCodePageChanged) {
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
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, screen);
    const bool utf8 = hamlog::WriteText(hamlog::ToolStream::Output, "記録数 12 ");
    const bool cp932 = hamlog::WriteListing(zentu::test::Sjis("山田"), hamlog::TextEncoding::Cp932);
    ::SetStdHandle(STD_OUTPUT_HANDLE, output);
    EXPECT_TRUE(utf8);
    EXPECT_TRUE(cp932);
    std::wstring row(9, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(screen, row.data(), 9, COORD{0, 0}, &read);
    row.resize(read);
    EXPECT_EQ(row, L"記録数 12 山田");
    EXPECT_EQ(::GetConsoleOutputCP(), codePage);
    ::CloseHandle(screen);
#else
    GTEST_SKIP() << "Windows' console only (Linux writes the bytes as they are)";
#endif
}

} // namespace
