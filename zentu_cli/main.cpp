#include "CliRunner.h"

#include "platform/Console.h"
#include "platform/StandardStreams.h"

#include <iostream>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not hand its number to a file of the run.
    if (!zentu::PrepareStandardStreams()) {
        std::cout.setstate(std::ios::badbit); // reported as an output that cannot be written (status 8)
    }
    zentu::UseUtf8Console();
    return static_cast<int>(zentu::RunCli(zentu::CommandLineArguments(argc, argv), std::cout, std::cerr));
}
