#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hamlog::test {

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);

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

/// UTF-8 to CP932 for test texts.
std::string Sjis(std::string_view utf8);

} // namespace hamlog::test
