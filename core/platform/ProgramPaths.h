#pragma once

#include <filesystem>
#include <string>

namespace zentu {

/// The folder of the running executable, symbolic links resolved.
std::filesystem::path ExecutableFolder();

/// A path from UTF-8 text, and back (the program's inner text is UTF-8 on every platform).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

/// A path as the bytes that the 8-bit calls of a library take: the file name bytes on Linux; on Windows the path
/// in CP932 (the ANSI code page of the Japanese Windows that Hamlog runs on), or the empty text when the path has
/// a character CP932 lacks.
std::string NativePathBytes(const std::filesystem::path& path);

/// A path as the system's file calls take it whatever its length. On Windows a path that comes near their usual
/// limit of 260 characters, with room left for the names of the helper files made beside a file, is given in the
/// extended-length form (\\?\C:\... or \\?\UNC\server\share\...) that those calls take up to 32,767
/// characters, made the way the system itself completes a path; a shorter path, and every path on Linux, stays
/// as it is.
std::filesystem::path LongPathForm(const std::filesystem::path& path);

/// Whether two resolved paths, spelled as given, name one file: compared as they are here, without regard to
/// letter case on Windows (whose file systems ignore it).
bool PathTextsNameOneFile(const std::filesystem::path& a, const std::filesystem::path& b);

/// A text that is the same for two resolved paths exactly when PathTextsNameOneFile takes them for one file (the
/// path as it is here, upper-cased on Windows), for naming things after a file.
std::string PathKeyText(const std::filesystem::path& path);

/// The ending of a program's file name: "" here, ".exe" on Windows.
std::string ExecutableSuffix();

/// The user's home folder.
std::filesystem::path HomeFolder();

/// A folder as the program writes it in texts: the path with native separators ("/" on Linux, "\" on Windows),
/// followed by one (the program folder always ends in one).
std::string FolderWithSeparator(const std::filesystem::path& folder);

/// The fixed default files of the Windows program: in the folder Hamlog below the user's home folder here, in
/// C:\Hamlog on Windows.
struct DefaultHamlogFiles {
    /// The folder of the files below (one file per platform says where it is).
    static std::filesystem::path folder();
    static std::filesystem::path log() { return folder() / "Hamlog.hdb"; }
    static std::filesystem::path outputCsv() { return folder() / "LOGLIST.CSV"; }
    static std::filesystem::path qslInput() { return folder() / "LOGLIST_0.csv"; }
    static std::filesystem::path qslOutput() { return folder() / "LOGLIST_not_yet_qsl.csv"; }
};

} // namespace zentu
