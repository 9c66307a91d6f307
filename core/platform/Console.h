#pragma once

#include <string>
#include <vector>

namespace zentu {

/// The command-line arguments after the program's name, as UTF-8 texts (the program's inner text): argv as given
/// on Linux; on Windows the arguments as the system holds them (UTF-16), whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Lets the console show the UTF-8 messages the program prints: on Windows the console's output code page becomes
/// UTF-8; nothing changes on Linux.
void UseUtf8Console();

} // namespace zentu
