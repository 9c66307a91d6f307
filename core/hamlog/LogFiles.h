#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zentu {

/// The log's master file: the entry of the log's folder named like the log with the extension ".mst", whatever
/// the letter case of either (the log's own spelling first). Nothing when there is none.
std::optional<std::filesystem::path> FindMasterFile(const std::filesystem::path& log);

/// The master file's path for messages: the one found, or the log's name with ".mst" when there is none.
std::filesystem::path MasterFileForMessages(const std::filesystem::path& log);

/// Whether the log and its master file may be handed to the record library: the log is a regular file (links
/// followed), and the master file, when there is one, is too. A named pipe or device in their place would make
/// the library wait for ever, so it is never opened. Returns the record library's result that describes the
/// problem (RecordLibrary::kLogMissing or kMasterMissing), or 0.
int CheckLogFileKinds(const std::filesystem::path& log);

/// Why a log could not be opened, for the user: "ログファイル /x/LOG.hdb を開けません（<cause>）。", the cause
/// told from the record library's result `code` and from what stands at the log's and the master file's paths.
std::string LogOpenFailureText(const std::filesystem::path& log, int code);

} // namespace zentu
