#include "CliRunner.h"

#include "convert/ConversionRun.h"
#include "platform/Console.h"
#include "platform/StandardStreams.h"

#include <iostream>
#include <new>
#include <system_error>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not hand its number to a file of the run.
    if (!zentu::PrepareStandardStreams()) {
        std::cout.setstate(std::ios::badbit); // reported as an output that cannot be written (status 8)
    }
    zentu::UseUtf8Console();
    // The run itself ends as a failed run when memory or threads run out; what runs before it stops the same way,
    // with nothing written yet.
    try {
        return static_cast<int>(zentu::RunCli(zentu::CommandLineArguments(argc, argv), std::cout, std::cerr));
    } catch (const std::bad_alloc&) {
        std::cerr << zentu::OutOfResourcesText(true) << "\n";
    } catch (const std::system_error&) {
        std::cerr << zentu::OutOfResourcesText(false) << "\n";
    }
    return static_cast<int>(zentu::CliStatus::RunFailed);
}
