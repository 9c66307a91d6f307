#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentu {

struct JobSettings;

/// The longest path a job's file can hold, in CP932 bytes (what the settings file and the Windows program hold).
inline constexpr std::size_t kMaxPathBytes = 255;

/// The file a job's path setting names: a relative path is taken from the program folder (the folder the settings
/// belong to), whatever folder the program was started in; an absolute path, an empty text or an empty program
/// folder leave the path as it is. Every program and dialog opens, checks and counts a job's files through it.
std::filesystem::path JobFilePath(const std::filesystem::path& programFolder, const std::string& utf8Path);

/// Why a path typed or stored for `what` ("ログファイル", "出力ファイル") cannot be used, or nothing when it can:
/// it must be CP932 text (no character CP932 lacks, no bytes that were not CP932 in the file) of at most 255
/// bytes, without line breaks or NUL, and name a file: a file name of only blanks and double quotes (or none, a
/// path ending in a separator) is refused. A path that does not fit is refused, never cut. For the dialogs where a
/// path is typed and for every run.
std::optional<std::string> CheckPathSetting(std::string_view utf8Path, std::string_view what);

/// Why the job's output files (the CSV file and, with adif_out "1", the ADIF file beside it) must not be written
/// where the settings put them (relative paths taken from the program folder, JobFilePath), naming both files: an
/// output that is (links and ".." followed, letter case ignored where the file system ignores it) the log, its master
/// file, the other output, or a file of the program folder (the ini and JOB folders and everything in them, the mode
/// table, zentu_posi.ini, the programs and the
/// record libraries). Nothing when the outputs are clear of them.
std::optional<std::string> CheckOutputTargets(const JobSettings& settings, const std::filesystem::path& programFolder);

/// Every check of a job's two paths that a run makes, for the environment dialog's Save as well: both paths
/// usable (CheckPathSetting) and the outputs clear of the files they must not replace (CheckOutputTargets).
std::optional<std::string> CheckJobPaths(const JobSettings& settings, const std::filesystem::path& programFolder);

/// Why the job's own files in the program folder cannot be read, or nothing: its registry file JOB/JOB_N.txt,
/// its settings file ini/zentu_N.ini and the mode table (ModeTablePath) may be missing, but what stands there must be a
/// regular file (a named pipe there would make a reader wait for ever) that can be read; the message names the file and
/// the cause.
std::optional<std::string> CheckProgramFiles(const std::filesystem::path& programFolder, int job);

} // namespace zentu
