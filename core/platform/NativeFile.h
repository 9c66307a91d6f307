#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace zentu {

// The file operations whose system calls differ between platforms. Failures leave errno set where the
// standard C library would, so callers can tell a missing file from one that cannot be read.

/// Opens a file with a C stdio mode ("rb", "wb").
std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode);

/// Creates a new file for writing that must not exist yet (errno EEXIST when it does), not inherited by child
/// processes. The caller closes it with std::fclose.
std::FILE* CreateNewCFile(const std::filesystem::path& path);

/// Makes the written bytes of an open file durable on the disk (after fflush).
bool SyncCFile(std::FILE* file);

/// Gives an open new file the permissions and, where allowed, the owner of the existing file `model`.
/// Nothing happens when `model` does not exist.
void TakeOverAttributes(std::FILE* file, const std::filesystem::path& model);

/// Renames `from` over `to`, replacing it in one step, and makes the rename itself durable. False with the
/// system's reason in `reason`; `to` is then unchanged.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason);

} // namespace zentu
