#include "CliRunner.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return static_cast<int>(zentu::RunCli(arguments, std::cout, std::cerr));
}
