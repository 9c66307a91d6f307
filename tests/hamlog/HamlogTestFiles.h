#pragma once

#include "platform/ProgramPaths.h"

#include "TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hamlog::test {

// The shared test helpers under the names these tests use.
using TempFolder = zentu::test::TempDir;
inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    zentu::test::WriteBytes(file, bytes);
}
inline std::string ReadFile(const std::filesystem::path& file) {
    return zentu::test::ReadBytes(file);
}
using zentu::test::Sjis;

/// A path as the record library's calls take it: the file name bytes on Linux, CP932 on Windows.
inline std::string LibraryPath(const std::filesystem::path& path) {
    return zentu::NativePathBytes(path);
}

/// A dBase III table put together byte by byte, with every header value open to damage.
struct HandTable {
    unsigned char version = 0x03;
    std::vector<std::pair<std::string, std::uint32_t>> fields; // name, length
    std::vector<std::string> records;                          // whole records, flag byte first
    std::optional<std::uint32_t> count;                        // default: records.size()
    std::optional<std::uint32_t> headerLength;                 // default: 32 + 32 * fields + 1
    std::optional<std::uint32_t> recordLength;                 // default: 1 + the field lengths
    bool terminator = true;
    bool endMark = true;

    /// A record of this table: `flag` and the texts padded with blanks to their field lengths.
    std::string record(std::vector<std::string> texts, char flag = ' ') const;
    std::string bytes() const;
};

} // namespace hamlog::test
