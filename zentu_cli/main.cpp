#include "CliRunner.h"

#include "convert/ConversionRun.h"
#include "platform/Console.h"
#include "platform/StandardStreams.h"

#include <iostream>
#include <new>
#include <system_error>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not hand its number to a file of the run.
    const bool outputOpen = zentu::PrepareStandardStreams();
    std::ostream& out = zentu::StandardOutput();
    std::ostream& err = zentu::StandardError();
    if (!outputOpen) {
        out.setstate(std::ios::badbit); // reported as an output that cannot be written (status 8)
    }
    // The run itself ends as a failed run when memory or threads run out; what runs before it stops the same way,
    // with nothing written yet.
    try {
        return static_cast<int>(zentu::RunCli(zentu::CommandLineArguments(argc, argv), out, err));
    } catch (const std::bad_alloc&) {
        err << zentu::OutOfResourcesText(true) << "\n";
    } catch (const std::system_error&) {
        err << zentu::OutOfResourcesText(false) << "\n";
    }
    return static_cast<int>(zentu::CliStatus::RunFailed);
}
