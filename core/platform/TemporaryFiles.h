#pragma once

#include <filesystem>

namespace zentu {

// Temporary files that must not outlive the program. While one is registered, a request to end the program
// (SIGTERM, SIGINT, SIGHUP here; Ctrl+C, Ctrl+Break and closing the console on Windows) removes it before the
// program ends. The handler is installed with the first registration and only for requests whose handling
// the program left to the system (an ignored SIGHUP, as nohup sets it, stays ignored; a handler installed
// before is called after the removal).

/// Registers a temporary file. Returns its slot, or -1 when it could not be registered (the fixed table is full
/// or the path is too long for it; the file is then only removed by the next run).
int RegisterTemporaryFile(const std::filesystem::path& file);

/// Forgets a registered file (it was renamed into place or removed). Safe with -1.
void UnregisterTemporaryFile(int slot);

/// Holds back requests to end the program while files are put in place, so that such a request never falls
/// between two renames that belong together. A request that came meanwhile takes effect when the object goes.
class EndRequestsHeld {
public:
    EndRequestsHeld();
    ~EndRequestsHeld();
    EndRequestsHeld(const EndRequestsHeld&) = delete;
    EndRequestsHeld& operator=(const EndRequestsHeld&) = delete;

private:
    unsigned char m_saved[256];
};

} // namespace zentu
