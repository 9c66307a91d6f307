#pragma once

// The few system calls of the record library and the log writer that differ between Linux and Windows, one file
// per system (SystemCalls_posix.cpp, SystemCalls_windows.cpp). The record library depends on nothing else of the
// project, so it has this small layer of its own.
//
// Paths here are texts: file name bytes on Linux, UTF-8 on Windows (turned into the system's UTF-16 names here).
// The record library's callers hand paths in as file name bytes on Linux and CP932 on Windows (CallerPath).
// Failures leave errno set (on Windows translated from the system's error code) for the caller's message.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace hamlog::detail {

/// A path handed to the record library's calls, as a path text of this layer: as it is on Linux; on Windows from
/// CP932 (the ANSI code page of the Japanese Windows that Hamlog runs on), empty when it is not CP932.
std::string PathFromCaller(const char* path);

/// The other way: a path as the record library's calls take it (for the log tool and the tests).
std::string CallerPath(const std::filesystem::path& path);

/// A path as a path text of this layer.
std::string PathText(const std::filesystem::path& path);

/// An open file: a descriptor on Linux, a handle on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class OpenFor { Reading, ReadingAndWriting };

/// Opens a regular file (not inherited by child processes), never waiting on a named pipe or a device: such a file
/// is seen for what it is and closed again. kNoFile with errno set when it cannot be opened: the system's cause,
/// EISDIR for a folder, or EINVAL for any other file that is not a regular file (a named pipe, a device, a socket).
/// On Windows others may read, write, rename and delete the file while it is open, as on Linux.
FileHandle OpenRegularFile(const std::string& path, OpenFor access);

void CloseFile(FileHandle file);

/// Reads `size` bytes at `offset`, retrying short reads. Returns the bytes read (less at end of file), or -1.
long long ReadAt(FileHandle file, void* buffer, std::size_t size, std::uint64_t offset);

/// Writes all `size` bytes at `offset`. False with errno set when they could not all be written.
bool WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset);

/// The file's size in bytes. False with errno set when it cannot be told.
bool FileSize(FileHandle file, std::uint64_t& size);

/// Cuts or extends the file to `size` bytes. False with errno set.
bool SetFileSize(FileHandle file, std::uint64_t size);

/// Tells the system that the file will be read from start to end (a hint; nothing happens where there is none).
void AdviseSequentialReading(FileHandle file);

enum class LockKind { Shared, Exclusive };

/// Takes the advisory lock of the open file (flock on Linux; on Windows a lock on one byte far beyond any log's
/// end, so that, as on Linux, the lock keeps no one from reading or writing the file's bytes), waiting at most
/// `waitMilliseconds` for another holder to let go. Returns false only when the wait ran out; a file system that
/// knows no such locks counts as locked (there is nothing to wait for). The lock goes with UnlockFile or the close.
bool LockFile(FileHandle file, LockKind kind, int waitMilliseconds);
void UnlockFile(FileHandle file);

/// Whether the open file is the file the path names now (a new file may have been put in its place).
bool IsFileAtPath(FileHandle file, const std::string& path);

/// What stands at a path (links followed).
enum class EntryKind { Missing, RegularFile, Folder, Other, Unknown };
/// Unknown (with errno set) when the system cannot tell.
EntryKind KindAt(const std::string& path);

/// Whether an entry stands at the path (a symbolic link counts, even one that leads nowhere).
bool PathExists(const std::string& path);

/// The names of a folder's entries ("." and ".." left out), in the system's order. False when it cannot be read.
bool FolderEntries(const std::string& folder, std::vector<std::string>& names);

/// Where the last name of a path starts: after its last separator ("/" on Linux; "\", "/" or a drive's ":" on
/// Windows), or 0 when it has none.
std::size_t NameStart(const std::string& path);

/// Creates a new file for writing with the C library (binary, not inherited); errno EEXIST when it exists.
/// nullptr with errno set. On Windows others may rename and delete it while it is open.
std::FILE* CreateNewFile(const std::string& path);

/// Renames `from` over `to`, replacing it in one step. False with errno set; `to` is then unchanged. On Windows,
/// where a file cannot be replaced while some program has it open, it tries again for a few seconds.
bool RenameOver(const std::string& from, const std::string& to);

/// Whether a file can be renamed over while it is open, even by this program (Linux); Windows waits until every
/// handle to it is closed.
bool CanReplaceOpenFiles();

/// Gives the existing file `file` the second name `link`. False with errno set (EEXIST when `link` exists).
bool MakeHardLink(const std::string& file, const std::string& link);

/// Removes a file. False with errno set.
bool RemoveFile(const std::string& path);

/// This process's id.
unsigned long ProcessId();

/// Whether a process with this id may still be running (also when it is there but not ours to look at).
bool ProcessMayBeRunning(unsigned long pid);

/// Today's date in the local time zone.
std::tm LocalDate(std::time_t now);

} // namespace hamlog::detail
