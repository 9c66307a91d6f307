#include "platform/Console.h"

#include "platform/ConsoleWriter_windows.h"
#include "platform/ProgramPaths.h"

#include <windows.h>

namespace zentu {

std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
    // argv is in the ANSI code page and loses what it lacks; the system's own copy of the command line is whole.
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Utf8FromPath(std::filesystem::path(wide[i])));
    }
    ::LocalFree(wide);
    return arguments;
}

std::ostream& StandardOutput() {
    static ConsoleWriter writer(::GetStdHandle(STD_OUTPUT_HANDLE));
    static std::ostream stream(&writer);
    return stream;
}

std::ostream& StandardError() {
    static ConsoleWriter writer(::GetStdHandle(STD_ERROR_HANDLE));
    static std::ostream stream(&writer);
    stream.setf(std::ios::unitbuf);
    return stream;
}

} // namespace zentu
