#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zentu::test {

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }

private:
    std::filesystem::path m_path;
};

/// Writes bytes to a file exactly as given (creating its folder).
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);
/// The bytes of a file; the empty text when it is missing.
std::string ReadBytes(const std::filesystem::path& file);
/// UTF-8 to CP932 for test data (fails the test on text CP932 lacks).
std::string Sjis(std::string_view utf8);
/// The build's program folder (programs, record libraries and mode_tbl.csv).
std::filesystem::path BinDir();

} // namespace zentu::test
