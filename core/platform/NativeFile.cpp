#include "platform/NativeFile.h"

namespace zentu {

// Reads into a string through the platform's bounded read, which asks for room as the file turns out to need it.
FileReadOutcome ReadRegularFile(const std::filesystem::path& file, std::string& bytes, int& error,
                                std::uint64_t maxBytes) {
    std::size_t size = 0;
    const FileReadOutcome outcome = ReadRegularFile(
        file,
        [&bytes](std::size_t room) {
            bytes.resize(room);
            return bytes.data();
        },
        size, error, maxBytes);
    bytes.resize(outcome == FileReadOutcome::Read ? size : 0);
    return outcome;
}

} // namespace zentu
