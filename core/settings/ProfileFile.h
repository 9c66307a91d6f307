#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

class AtomicFile;

/// Our own profile (INI) file functions, with the behaviour the settings code relies on.
///
/// Files are CP932 text; every text passed in or out here is CP932 bytes as stored (callers convert).
/// Section names and keys compare without regard to letter case (ASCII letters only; the bytes of a
/// double-byte character are never folded). A section header is a line whose text starts with "[" (after
/// blanks); its name runs to the "]" and is trimmed. An entry line is "key=value": the key is the text before
/// the first "=", trimmed. Lines before the first section header belong to no section. When a section occurs
/// more than once, its first occurrence is the one every call reads and changes; the same holds for a key
/// that occurs twice in a section.
///
/// Values: reading drops the blanks around a value and one pair of double quotes that encloses it, as the
/// Windows profile functions do. Writing stores a value as it is, unless reading would then change it (blanks
/// at either end, or enclosing quotes of its own): such a value is written enclosed in double quotes, so every
/// value reads back exactly as written.
///
/// Each call opens, reads or changes, and closes the file. A write builds the whole new file, writes it to a
/// temporary file beside the target and renames it over the target, so a crash or a full disk never leaves a
/// half-written file: a failed write changes nothing on disk and returns false with lastError() set.
/// Lines the call does not change are kept byte for byte, with their own line ends; lines the call adds end
/// in CR LF. A UTF-8 byte order mark at the start of the file (as some editors write) is not part of its first
/// line, and stays in front of it when the file is written.
class ProfileFile {
public:
    /// The key's value (the text after the first "=" of its line), or `defaultValue` when the file, the
    /// section or the key is missing; cut to `bufferSize - 1` bytes (a buffer of 256 gives at most 255).
    /// The cut never leaves half a double-byte character at the end, so it may give one byte less.
    /// A file that cannot be read reads as missing.
    static std::string readString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize);

    /// The key's value as readString gives it, or nothing when the file, the section or the key is missing.
    static std::optional<std::string> findString(const std::filesystem::path& file, std::string_view section,
                                                 std::string_view key, std::size_t bufferSize);

    /// A value as a read buffer of `bufferSize` bytes holds it: cut to `bufferSize - 1` bytes, never leaving
    /// half a double-byte character at the end.
    static std::string fitToBuffer(std::string_view value, std::size_t bufferSize);

    /// Sets the key's line to key + "=" + value. A missing key is added at the end of its section, a missing
    /// section at the end of the file, a missing file is created. Every other line stays as it is.
    /// An existing key keeps its spelling in the file; only its value changes. A line break or NUL in any
    /// text, an "=" in the key, an empty key or a "]" in the section name is refused (false, nothing written),
    /// as is a file that exists but cannot be read. A missing folder is not created.
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

    /// Works out the same change as writeStrings and leaves the new file ready in `ready` (opened, written and
    /// finished, AtomicFile) without putting it in place: the caller commits it, usually together with other
    /// files. False with lastError() set; nothing is written then.
    static bool prepareStrings(const std::filesystem::path& file, const std::vector<KeyValue>& writes,
                               AtomicFile& ready);

    /// Every section name of the file, in file order (a missing file gives none). A name that occurs again
    /// (letter case aside) is listed once, at its first place.
    static std::vector<std::string> sectionNames(const std::filesystem::path& file);

    /// The non-empty lines of a section (entries and lines without "="), in file order, without their line ends
    /// and the blanks around them (a missing section gives none).
    static std::vector<std::string> sectionLines(const std::filesystem::path& file, std::string_view section);

    /// Replaces every line of the section by `lines` (each written as given, ended by CR LF). A missing section
    /// is appended at the end of the file, a missing file is created; other sections stay untouched. The header
    /// line stays, and so do blank lines that separate the section from the next one. A line holding a line
    /// break or NUL, or one that would read as a section header, is refused.
    static bool writeSection(const std::filesystem::path& file, std::string_view section,
                             const std::vector<std::string>& lines);

    /// The reason for the last failed write (or read of a ProfileSnapshot) of this thread, a Japanese sentence (UTF-8)
    /// naming the file.
    static const std::string& lastError();
};

/// One line of a profile file: its text and its own line end ("\r\n", "\n", "\r", or none for a last line without).
struct ProfileLine {
    std::string text;
    std::string end;
};

/// A profile file read once, whole: every key read and every change works on the bytes of that one read, with the
/// rules of ProfileFile. For a caller that reads many keys or compares before it writes: a file changed or failing
/// between two reads can never mix two states.
class ProfileSnapshot {
public:
    /// Reads `file`. A missing file (or folder on its path) reads as empty. A file that is there but cannot be read,
    /// or is no regular file, gives false with ProfileFile::lastError() naming the file and the cause.
    bool read(const std::filesystem::path& file);
    /// The key's value as ProfileFile::findString gives it.
    std::optional<std::string> find(std::string_view section, std::string_view key, std::size_t bufferSize) const;
    /// Applies key writes, in order, as ProfileFile::writeStrings would, in memory. False with
    /// ProfileFile::lastError() set (nothing changed) for a text that would change the file's structure.
    bool apply(const std::vector<ProfileFile::KeyValue>& writes);
    /// Leaves the file's bytes as they now stand ready in `ready` (AtomicFile, opened, written and finished), for the
    /// caller to put in place. False with ProfileFile::lastError() set.
    bool prepare(AtomicFile& ready) const;
    /// The file's bytes as they now stand.
    std::string bytes() const;
    const std::filesystem::path& file() const { return m_file; }
    /// The lines, without a byte order mark.
    const std::vector<ProfileLine>& lines() const { return m_lines; }
    std::vector<ProfileLine>& lines() { return m_lines; }

private:
    std::filesystem::path m_file;
    std::string m_byteOrderMark;
    std::vector<ProfileLine> m_lines;
};

} // namespace zentu
