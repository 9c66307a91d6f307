#pragma once

#include "platform/ProgramPaths.h"

#include "TestPlatform.h"
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

/// The record count of a log as the library's counting calls give it (-1 when it cannot be counted).
int CountRecords(const std::filesystem::path& hdb);

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

namespace hamlog::test {

/// A run of the built hamlog_tool started in the background, its standard output and error going to files.
class ToolProcess {
public:
    /// Starts the tool with `arguments`; its output goes to `output` and `output` + ".err".
    ToolProcess(const std::vector<std::string>& arguments, const std::filesystem::path& output);
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    /// Waits for the end (when wait() was not called).
    ~ToolProcess();
    /// Waits for the end, at most `seconds`, then kills the tool. Returns its exit status, or -1 when it was killed
    /// or did not start.
    int wait(int seconds = 60);

private:
    zentu::test::ChildProgram m_child;
    bool m_started = false;
    int m_status = -1;
};

/// Runs the tool to its end (at most `seconds`) and returns its exit status (-1 when killed).
int RunToolFor(const std::vector<std::string>& arguments, const std::filesystem::path& output, int seconds = 60);

/// One CSV line of quoted fields, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

/// The sixteen fields of a contact with Japanese texts, as UTF-8.
inline const std::vector<std::string> kUtf8Row{"JA1ABC", "10/05/01", "12:34J", "59",     "59", "7.050", "SSB", "100110",
                                               "PM95",   "J*",       "山田",   "東京都", "",   "",      "",    ""};

} // namespace hamlog::test
