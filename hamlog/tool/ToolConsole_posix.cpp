#include "ToolConsole.h"

#include <cstdio>

namespace hamlog {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

namespace {

bool WriteAll(std::FILE* file, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
}

} // namespace

bool WriteText(ToolStream stream, std::string_view text) {
    return WriteAll(stream == ToolStream::Output ? stdout : stderr, text);
}

bool WriteListing(std::string_view bytes, TextEncoding /*encoding*/) {
    return WriteAll(stdout, bytes);
}

} // namespace hamlog
