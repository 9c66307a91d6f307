#pragma once

// The command line and the console of hamlog_tool, which differ between Linux and Windows (ToolConsole_posix.cpp,
// ToolConsole_windows.cpp). The tool depends on nothing of zentu's, so it has this small writer of its own.

#include <string>
#include <string_view>
#include <vector>

namespace hamlog {

/// The arguments after the program's name as UTF-8 texts: argv on Linux; on Windows the system's own (UTF-16) copy
/// of the command line, whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// The tool's two output streams.
enum class ToolStream { Output, Error };

/// Writes the tool's UTF-8 message `text` to the standard output or error at once and says whether all of it got
/// there. On Linux the bytes go as they are. On Windows a console gets the text as UTF-16, so Japanese shows whatever
/// the console's code page (which stays as it is for the programs that run in that console later); a file or a pipe
/// gets CP932 with CR LF line ends, as Japanese Windows programs read it (characters CP932 lacks become "?"). A write
/// that fails leaves errno set for the message.
bool WriteText(ToolStream stream, std::string_view text);

/// How the bytes of a listing are encoded.
enum class TextEncoding { Utf8, Cp932 };

/// Writes part of print's listing, `bytes` in `encoding`, to the standard output and says whether all of it got
/// there. A Windows console gets it as UTF-16, as WriteText; anywhere else (a file, a pipe, Linux) the bytes go as they
/// are, in the encoding the caller asked for and with the LF line ends of Linux, so a listing made on Windows compares
/// byte for byte with one made on Linux. A write that fails leaves errno set for the message.
bool WriteListing(std::string_view bytes, TextEncoding encoding);

} // namespace hamlog
