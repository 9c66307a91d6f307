#pragma once

// The few system calls of the record library and the log writer that differ between Linux and Windows, one file
// per system (SystemCalls_posix.cpp, SystemCalls_windows.cpp). The record library depends on nothing else of the
// project, so it has this small layer of its own.
//
// Paths are the library's path texts: file name bytes on Linux; CP932 on Windows (the ANSI code page of the
// Japanese Windows that Hamlog runs on), turned into the system's UTF-16 names here. Failures leave errno set
// (on Windows translated from the system's error code) for the caller's message.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace hamlog::detail {

/// An open file: a descriptor on Linux, a handle on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class OpenFor { Reading, ReadingAndWriting };

/// Opens a regular file (not inherited by child processes), never waiting on a named pipe or a device: such a file
/// is seen for what it is and closed again. kNoFile with errno set when it cannot be opened: the system's cause,
/// EISDIR for a folder, or EINVAL for any other file that is not a regular file (a named pipe, a device, a socket).
/// On Windows others may read, write, rename and delete the file while it is open, as on Linux.
FileHandle OpenRegularFile(const char* path, OpenFor access);

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

/// Whether an entry stands at the path (a symbolic link counts, even one that leads nowhere).
bool PathExists(const std::string& path);

/// The names of a folder's entries ("." and ".." left out), in the system's order; on Windows those that have no
/// CP932 form are left out. False when the folder cannot be read.
bool FolderEntries(const std::string& folder, std::vector<std::string>& names);

/// Where the last name of a path starts: after its last separator ("/" on Linux; "\", "/" or a drive's ":" on
/// Windows, where a CP932 trail byte that looks like "\" is no separator), or 0 when it has none.
std::size_t NameStart(const std::string& path);

/// A path as the library's path text (see above).
std::string PathText(const std::filesystem::path& path);

/// Creates or empties a file for writing with the C library (binary, not inherited). nullptr with errno set.
std::FILE* CreateOutputFile(const std::string& path);

/// Renames `from` over `to`, replacing it in one step. False with errno set; `to` is then unchanged.
bool RenameOver(const std::string& from, const std::string& to);

/// Removes a file. False with errno set.
bool RemoveFile(const std::string& path);

/// Today's date in the local time zone.
std::tm LocalDate(std::time_t now);

} // namespace hamlog::detail
