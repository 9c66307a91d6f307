#pragma once

// Windows only: the stream buffer behind StandardOutput() and StandardError() (Console.h).

#include <streambuf>
#include <string>

namespace zentu {

/// Takes UTF-8 text and writes it to a Windows handle in the form that the handle's reader expects: UTF-16
/// through WriteConsoleW when the handle is a console (the console's code page is neither needed nor changed),
/// CP932 with CR LF line ends through WriteFile otherwise (a file, a pipe). Characters CP932 lacks become "?".
/// A character split between two writes is held until its last byte comes. Once a write fails, every later one
/// fails too, so the stream stays bad.
class ConsoleWriter final : public std::streambuf {
public:
    /// `handle` is a Windows HANDLE; the writer does not close it.
    explicit ConsoleWriter(void* handle);
    ~ConsoleWriter() override; ///< writes what is held
    ConsoleWriter(const ConsoleWriter&) = delete;
    ConsoleWriter& operator=(const ConsoleWriter&) = delete;

    /// Whether the handle is a console window (then UTF-16 is written to it).
    bool writesToConsole() const { return m_console; }

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    /// Writes the held text up to its last whole character (all of it with `everything`); false when it fails.
    bool writeHeld(bool everything);
    bool writeConsole(const std::string& utf8);
    bool writeFile(const std::string& utf8);

    void* m_handle;
    bool m_console = false;
    bool m_failed = false;
    bool m_afterReturn = false; ///< the last byte written to a file was a carriage return
    std::string m_held;
};

} // namespace zentu
