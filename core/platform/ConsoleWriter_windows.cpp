#include "platform/ConsoleWriter_windows.h"

#include "codec/Cp932.h"

#include <windows.h>

namespace zentu {

namespace {

// Past this many bytes held, text is written even without a line end; a console gets each line at once.
constexpr std::size_t kHeldBytes = 8192;
// Old consoles refuse very long writes: the UTF-16 text goes in pieces of at most this many characters.
constexpr std::size_t kConsolePiece = 8192;

/// The length of `text` up to its last whole UTF-8 character: a lead byte near the end whose trailing bytes have
/// not all come yet is left out.
std::size_t WholeCharacters(const std::string& text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80) {
            continue; // a trailing byte: look further back for its lead byte
        }
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

} // namespace

ConsoleWriter::ConsoleWriter(void* handle) : m_handle(handle) {
    DWORD mode = 0;
    m_console = handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

ConsoleWriter::~ConsoleWriter() {
    writeHeld(true);
}

ConsoleWriter::int_type ConsoleWriter::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
    }
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
}

std::streamsize ConsoleWriter::xsputn(const char* text, std::streamsize count) {
    if (m_failed) {
        return 0;
    }
    m_held.append(text, static_cast<std::size_t>(count));
    const bool lineEnded = m_console && m_held.find('\n') != std::string::npos;
    if ((lineEnded || m_held.size() >= kHeldBytes) && !writeHeld(false)) {
        return 0;
    }
    return count;
}

int ConsoleWriter::sync() {
    return writeHeld(false) ? 0 : -1;
}

bool ConsoleWriter::writeHeld(bool everything) {
    if (m_failed) {
        return false;
    }
    const std::size_t length = everything ? m_held.size() : WholeCharacters(m_held);
    if (length == 0) {
        return true;
    }
    const std::string text = m_held.substr(0, length);
    m_held.erase(0, length);
    if (!(m_console ? writeConsole(text) : writeFile(text))) {
        m_failed = true;
        m_held.clear();
    }
    return !m_failed;
}

bool ConsoleWriter::writeConsole(const std::string& utf8) {
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) {
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    for (std::size_t at = 0; at < wide.size();) {
        const auto piece = static_cast<DWORD>(std::min(kConsolePiece, wide.size() - at));
        DWORD written = 0;
        if (!::WriteConsoleW(m_handle, wide.data() + at, piece, &written, nullptr) || written == 0) {
            return false;
        }
        at += written;
    }
    return true;
}

bool ConsoleWriter::writeFile(const std::string& utf8) {
    // CP932's second bytes are never 0x0A, so each line feed byte of the converted text is a line end.
    const std::string cp932 = codec::Utf8ToCp932Lossy(utf8);
    std::string bytes;
    bytes.reserve(cp932.size() + cp932.size() / 16);
    for (const char byte : cp932) {
        if (byte == '\n' && !m_afterReturn) {
            bytes += '\r';
        }
        bytes += byte;
        m_afterReturn = byte == '\r';
    }
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!::WriteFile(m_handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            return false;
        }
        at += written;
    }
    return true;
}

} // namespace zentu
