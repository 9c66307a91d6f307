#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

/// Our own profile (INI) file functions, with the behaviour the settings code relies on.
///
/// Files are CP932 text; every text passed in or out here is CP932 bytes as stored (callers convert).
/// Section names and keys compare without regard to letter case (ASCII letters only; the bytes of a
/// double-byte character are never folded). A section header is "[name]"; an entry line is "key=value";
/// blanks around the name and the key are ignored when looking them up.
///
/// Each call opens, reads or changes, and closes the file. A write builds the whole new file, writes it to a
/// temporary file beside the target and renames it over the target, so a crash or a full disk never leaves a
/// half-written file: a failed write changes nothing on disk and returns false with lastError() set.
/// Lines the call does not change are kept byte for byte, with their own line ends; lines the call adds end
/// in CR LF.
class ProfileFile {
public:
    /// The key's value (the text after the first "=" of its line), or `defaultValue` when the file, the
    /// section or the key is missing; cut to `bufferSize - 1` bytes (a buffer of 256 gives at most 255).
    static std::string readString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize);

    /// Sets the key's line to key + "=" + value. A missing key is added at the end of its section, a missing
    /// section at the end of the file, a missing file is created. Every other line stays as it is.
    static bool writeString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::string_view value);

    /// One key write of a batch.
    struct KeyValue {
        std::string section;
        std::string key;
        std::string value;
    };

    /// Applies several key writes, in order, exactly as that many writeString calls would, but writes the
    /// file once: either all of them reach the disk or none does.
    static bool writeStrings(const std::filesystem::path& file, const std::vector<KeyValue>& writes);

    /// Every section name of the file, in file order (a missing file gives none).
    static std::vector<std::string> sectionNames(const std::filesystem::path& file);

    /// The non-empty lines of a section, in file order, without their line ends (a missing section gives none).
    static std::vector<std::string> sectionLines(const std::filesystem::path& file, std::string_view section);

    /// Replaces every line of the section by `lines` (each written as given, ended by CR LF). A missing section
    /// is appended at the end of the file, a missing file is created; other sections stay untouched.
    static bool writeSection(const std::filesystem::path& file, std::string_view section,
                             const std::vector<std::string>& lines);

    /// The reason for the last failed write of this thread, in plain words naming the file.
    static const std::string& lastError();
};

} // namespace zentu
