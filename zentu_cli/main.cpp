#include "CliRunner.h"

#include "platform/Console.h"

int main(int argc, char** argv) {
    return static_cast<int>(
        zentu::RunCli(zentu::CommandLineArguments(argc, argv), zentu::StandardOutput(), zentu::StandardError()));
}
