#include "CliRunner.h"

#include "platform/Console.h"

#include <iostream>

int main(int argc, char** argv) {
    zentu::UseUtf8Console();
    return static_cast<int>(zentu::RunCli(zentu::CommandLineArguments(argc, argv), std::cout, std::cerr));
}
