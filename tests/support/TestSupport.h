#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

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

/// Ends the test program when it is still there after `seconds`: a call that would wait for ever fails the test
/// run instead of hanging it.
class Watchdog {
public:
    explicit Watchdog(int seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_over = false;
    std::thread m_thread;
};

} // namespace zentu::test
