#include "platform/StandardStreams.h"

#include <cstdio>
#include <io.h>

namespace zentu {

bool PrepareStandardStreams() {
    // Windows has no SIGPIPE, and a handle a program opens never becomes one of the standard streams; a standard
    // output that is missing makes every write fail, which the program reports.
    return ::_fileno(stdout) >= 0 && ::_get_osfhandle(::_fileno(stdout)) >= 0;
}

} // namespace zentu
