#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zentu {

/// The command-line arguments after the program's name, as UTF-8 texts (the program's inner text): argv as given
/// on Linux; on Windows the arguments as the system holds them (UTF-16), whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// The program's standard output and standard error as streams of UTF-8 text. On Linux they are std::cout and
/// std::cerr. On Windows a console window gets the text as UTF-16, so Japanese shows whatever the console's code
/// page (which stays as it is for the programs that run in that console after this one); a file or a pipe gets
/// it in CP932 with CR LF line ends, as Japanese Windows programs read it. A write that fails sets the stream's
/// badbit. The error stream writes each message at once.
std::ostream& StandardOutput();
std::ostream& StandardError();

} // namespace zentu
