#pragma once

// The command line and the console of hamlog_tool, which differ between Linux and Windows (ToolConsole_posix.cpp,
// ToolConsole_windows.cpp).

#include <string>
#include <vector>

namespace hamlog {

/// The arguments after the program's name as UTF-8 texts: argv on Linux; on Windows the system's own (UTF-16) copy
/// of the command line, whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Lets a Windows console show the tool's UTF-8 messages, and has the standard output take the tool's bytes as
/// they are (lines end in LF and CP932 bytes stay, as on Linux); nothing on Linux.
void UseUtf8Console();

} // namespace hamlog
