#pragma once

// Temporary files of the log writer that must not outlive the program, one file per system
// (TemporaryFiles_posix.cpp, TemporaryFiles_windows.cpp). While one is registered, a request to end the program
// (SIGTERM, SIGINT, SIGHUP on Linux; Ctrl+C, Ctrl+Break and closing the console on Windows) removes it before the
// program ends. The handler is installed with the first registration and only for requests whose handling the
// program left to the system (an ignored SIGHUP, as nohup sets it, stays ignored; a handler installed before is
// called after the removal). The conversion runs do the same with a copy of their own: the log writer depends on
// nothing else of the project.

#include <string>

namespace hamlog::detail {

/// Registers a temporary file (a path text of SystemCalls.h). Returns its slot, or -1 when it could not be registered
/// (the fixed table is full or the path is too long for it; the file is then only removed by a later run).
int RegisterTemporaryFile(const std::string& path);

/// Forgets a registered file (it was renamed into place or removed). Safe with -1.
void UnregisterTemporaryFile(int slot);

/// Holds back requests to end the program while a log is changed, so that such a request never falls between two
/// renames that belong together or between an append's records and its new count. A request that came meanwhile
/// takes effect when the object goes.
class EndRequestsHeld {
public:
    EndRequestsHeld();
    ~EndRequestsHeld();
    EndRequestsHeld(const EndRequestsHeld&) = delete;
    EndRequestsHeld& operator=(const EndRequestsHeld&) = delete;

private:
    unsigned char m_saved[256];
};

} // namespace hamlog::detail
