#include "ToolConsole.h"

#include "codec/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace hamlog {

namespace {

// Old consoles refuse very long writes: the UTF-16 text goes in pieces of at most this many characters.
constexpr std::size_t kConsolePiece = 8192;

/// Whether the last byte written to each stream's file was a carriage return (a CR LF in the text stays one).
bool g_afterReturn[2] = {false, false};

/// errno for a failed write, for the tool's message.
void SetErrnoFrom(DWORD code) {
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        errno = EPIPE;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    default:
        errno = EIO;
    }
}

/// The standard output's or error's handle, or null (with errno set) when the program has none.
HANDLE StandardHandle(ToolStream stream) {
    const HANDLE handle = ::GetStdHandle(stream == ToolStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return nullptr;
    }
    return handle;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

/// Writes UTF-8 `utf8` to a console as UTF-16: the console's code page is neither needed nor changed.
bool WriteToConsole(HANDLE console, const std::string& utf8) {
    if (utf8.empty()) {
        return true;
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    for (std::size_t at = 0; at < wide.size();) {
        const auto piece = static_cast<DWORD>(std::min(kConsolePiece, wide.size() - at));
        DWORD written = 0;
        if (!::WriteConsoleW(console, wide.data() + at, piece, &written, nullptr) || written == 0) {
            SetErrnoFrom(::GetLastError());
            return false;
        }
        at += written;
    }
    return true;
}

/// Writes `bytes` to a file or pipe as they are.
bool WriteAll(HANDLE file, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            SetErrnoFrom(::GetLastError());
            return false;
        }
        at += written;
    }
    return true;
}

/// `cp932` with a CR before each LF that has none.
std::string WithReturns(const std::string& cp932, bool& afterReturn) {
    // CP932's second bytes are never 0x0A, so each line feed byte is a line end.
    std::string bytes;
    bytes.reserve(cp932.size() + cp932.size() / 16);
    for (const char byte : cp932) {
        if (byte == '\n' && !afterReturn) {
            bytes += '\r';
        }
        bytes += byte;
        afterReturn = byte == '\r';
    }
    return bytes;
}

} // namespace

std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        if (length > 0) {
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), length, nullptr, nullptr);
        }
        utf8.resize(utf8.size() - 1); // the terminating NUL
        arguments.push_back(utf8);
    }
    ::LocalFree(wide);
    return arguments;
}

bool WriteText(ToolStream stream, std::string_view text) {
    const HANDLE handle = StandardHandle(stream);
    if (handle == nullptr) {
        return false;
    }
    if (IsConsole(handle)) {
        return WriteToConsole(handle, std::string(text));
    }
    return WriteAll(
        handle, WithReturns(zentu::codec::Utf8ToCp932Lossy(text), g_afterReturn[stream == ToolStream::Output ? 0 : 1]));
}

bool WriteListing(std::string_view bytes, TextEncoding encoding) {
    const HANDLE handle = StandardHandle(ToolStream::Output);
    if (handle == nullptr) {
        return false;
    }
    if (IsConsole(handle)) {
        return WriteToConsole(handle, encoding == TextEncoding::Utf8 ? std::string(bytes)
                                                                     : zentu::codec::Cp932ToUtf8Lossy(bytes));
    }
    return WriteAll(handle, bytes);
}

} // namespace hamlog
