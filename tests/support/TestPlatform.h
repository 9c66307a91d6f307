#pragma once

// What tests do that differs between Linux and Windows: run programs, mark files read-only, make named pipes.
// One file per platform (TestPlatform_posix.cpp, TestPlatform_windows.cpp).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentu::test {

/// A program of the build's program folder, named without its ending ("zentu_cli" is zentu_cli.exe on Windows).
std::filesystem::path ProgramInBinDir(std::string_view name);

/// The small program that waits the number of seconds given as its argument and ends with status 0: a process
/// that is surely running while a test looks at it.
std::filesystem::path SleeperProgram();

/// Marks a file read-only, or writable again: its write permissions on Linux, its read-only mark on Windows.
void SetReadOnly(const std::filesystem::path& file, bool readOnly);

/// Makes a symbolic link `link` to `target`. False where the system does not let tests make one (Windows asks
/// for a privilege, and its C++ library here cannot): the caller skips.
bool MakeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link);

/// Windows only: sets a file's hidden mark, and tells whether it has one (a mark the user sets that replacing
/// the file keeps, as Linux keeps permissions).
void SetHidden(const std::filesystem::path& file);
bool IsHidden(const std::filesystem::path& file);

/// Makes a named pipe at `path`. False where pipes have no place among files (Windows): the caller skips.
bool MakeNamedPipe(const std::filesystem::path& path);

/// A path in `folder` where something other than a regular file stands: a named pipe made there on Linux, the
/// device NUL on Windows (the name NUL is the device in every folder).
std::filesystem::path NonRegularFileIn(const std::filesystem::path& folder);

/// A program started by a test, with its standard output and error written to files (or thrown away).
class ChildProgram {
public:
    ChildProgram() = default;
    ~ChildProgram(); ///< ends the program when it still runs
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    /// Starts `program` with `arguments`; empty output paths throw the output away. False when it cannot start.
    bool start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output = {}, const std::filesystem::path& errors = {});
    unsigned long id() const;
    /// Whether it has ended (without waiting).
    bool hasEnded();
    /// Waits for its end: its exit status, or -2 when it did not end within `limit` (it is then ended by force),
    /// or -1 when it was ended otherwise than by exiting.
    int wait(std::chrono::milliseconds limit);
    /// Asks it to end as a user would: SIGTERM on Linux, Ctrl+Break on Windows. False when the request cannot be
    /// delivered here (Windows sends console events only to programs that share a console with the sender).
    bool askToEnd();
    /// After wait(): whether it ended because it was asked to (killed by SIGTERM, or ended by Ctrl+Break).
    bool endedByRequest() const { return m_endedByRequest; }

private:
    void collect(int status);

    std::intptr_t m_handle = 0;
    unsigned long m_id = 0;
    bool m_running = false;
    int m_exitStatus = -1;
    bool m_endedByRequest = false;
};

/// Runs a program to its end (at most `limit`): its exit status as ChildProgram::wait gives it.
int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output = {}, const std::filesystem::path& errors = {},
               std::chrono::milliseconds limit = std::chrono::seconds(60));

} // namespace zentu::test
