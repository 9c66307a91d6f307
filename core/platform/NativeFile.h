#pragma once

#include "platform/ErrorText.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace zentu {

// The file operations whose system calls differ between platforms. Failures report an errno value (a Windows
// error is translated to the errno value that stands for the same cause), so callers can name the cause.

/// The errno value of the last failed call of this thread (on Windows: GetLastError translated).
int LastSystemError();

/// Creates a new file for writing that must not exist yet (errno EEXIST when it does), not inherited by child
/// processes. The caller closes it with std::fclose.
std::FILE* CreateNewCFile(const std::filesystem::path& path);

/// Makes the written bytes of an open file durable on the disk (after fflush).
bool SyncCFile(std::FILE* file);

/// Asks the system to start writing bytes `from` to `from + length` of an open file (flushed) to the disk, without
/// waiting for it, so that SyncCFile at the end has little left to wait for. Where the system has no such request,
/// nothing happens.
void StartWriteBack(std::FILE* file, std::uint64_t from, std::uint64_t length);

/// Gives an open new file the permissions and, where allowed, the owner of the existing file `model`.
/// Nothing happens when `model` does not exist.
void TakeOverAttributes(std::FILE* file, const std::filesystem::path& model);

/// What stands at a path, links followed.
enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind KindOfPath(const std::filesystem::path& path);

/// How reading a whole file ended.
enum class FileReadOutcome {
    Read,           ///< the bytes were read
    Missing,        ///< there is no file (or no folder on its path)
    NotRegularFile, ///< a folder, named pipe, device or socket stands there; it was not read (and never waited on)
    Failed,         ///< the file is there but could not be read; `error` holds the errno value
    TooLarge,       ///< the file holds more bytes than the reader takes; nothing was read into memory
};

/// The most bytes a text file the user names is read with (the QSL list's input, a file in the output viewer): a
/// larger one is refused rather than filling the memory (a link to a device never ends).
inline constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{512} << 20;

/// Where a reader puts a file's bytes: asked for room for `size` bytes in all, it gives the start of that room (the
/// bytes it holds already stay in place). It may throw std::bad_alloc, which the reader reports as ENOMEM.
using ReadRoom = std::function<char*(std::size_t size)>;

/// Reads a whole regular file of at most `maxBytes` bytes into the room `room` gives, and sets `size` to the bytes
/// read. Opens without waiting, so a named pipe in place of the file never blocks, and a device never fills memory.
FileReadOutcome ReadRegularFile(const std::filesystem::path& file, const ReadRoom& room, std::size_t& size, int& error,
                                std::uint64_t maxBytes);

/// Reads a whole regular file into `bytes` (see above); empty unless it was read.
FileReadOutcome ReadRegularFile(const std::filesystem::path& file, std::string& bytes, int& error,
                                std::uint64_t maxBytes = (std::numeric_limits<std::uint64_t>::max)());

/// Why the file at `target` (links followed) cannot be replaced by a new one, or nothing when it can: a
/// folder or a file that is not a regular file stands there, the file is marked read-only or cannot be written,
/// or its folder is missing or cannot be written.
std::optional<FailureCause> ReplaceProblem(const std::filesystem::path& target);

/// Renames `from` over `to`, replacing it in one step, and makes the rename itself durable. False with the
/// errno value in `error`; `to` is then unchanged.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error);

/// Keeps the present content of the existing file `file` under the new name `aside` in the same folder, leaving
/// `file` in place: a second name of the same file where the file system allows it, else a copy. False with the
/// errno value in `error`.
bool KeepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error);

/// This process's id, and whether a process with the given id may still be running (true when unsure).
unsigned long CurrentProcessId();
bool ProcessMayBeRunning(unsigned long pid);

} // namespace zentu
