#pragma once

// Finding a log's companion master file (NAME.mst beside NAME.hdb) whatever the letter case of its name.
// Shared by the record library (which needs it readable) and the log writer (which rewrites it).

#include <functional>
#include <string>

namespace hamlog::detail {

/// The master file's path spelled as the log's: the log's folder, its name without the last extension,
/// then ".mst". `hdbPath` is native file name bytes.
std::string DefaultMasterFilePath(const std::string& hdbPath);

/// Calls `accept` with each existing entry of the log's folder whose name equals the log's stem + ".mst"
/// ignoring ASCII letter case: the default spelling first, then the others in name order. Stops and returns
/// true as soon as `accept` returns true; returns false when no entry was accepted.
bool FindMasterFile(const std::string& hdbPath, const std::function<bool(const std::string&)>& accept);

/// Whether the log's own name is the name of its master file (a log named NAME.mst, in any letter case): the log and
/// its master file would be one file where names are compared without regard to case, and the record library could
/// take the log for its own master file where they are not.
bool IsMasterFileName(const std::string& hdbPath);

/// Whether the log has a master file that is a regular file and can be opened for reading.
bool HasReadableMasterFile(const std::string& hdbPath);

} // namespace hamlog::detail
