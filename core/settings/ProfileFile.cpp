#include "settings/ProfileFile.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "text/TextHelpers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace zentu {

namespace {

constexpr std::string_view kCrLf = "\r\n";

thread_local std::string t_lastError;

// ---------------------------------------------------------------------------------------------------------------
// The file as lines

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using Line = ProfileLine;
using Lines = std::vector<ProfileLine>;

Lines splitLines(std::string_view bytes) {
    Lines lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t stop = pos;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') {
            ++stop;
        }
        Line line{std::string(bytes.substr(pos, stop - pos)), {}};
        if (stop < bytes.size()) {
            const std::size_t endLength =
                (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
            line.end.assign(bytes.substr(stop, endLength));
            stop += endLength;
        }
        lines.push_back(std::move(line));
        pos = stop;
    }
    return lines;
}

std::string joinLines(const Lines& lines) {
    std::size_t size = 0;
    for (const Line& line : lines) {
        size += line.text.size() + line.end.size();
    }
    std::string bytes;
    bytes.reserve(size);
    for (const Line& line : lines) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

/// The position of the first `wanted` byte that is a character of its own, not the trail byte of a
/// double-byte character (CP932 trail bytes include "[", "]" and "\").
std::size_t findCp932(std::string_view text, char wanted) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == wanted) {
            return pos;
        }
        if (IsCp932LeadByte(static_cast<unsigned char>(text[pos]))) {
            ++pos;
        }
    }
    return std::string_view::npos;
}

/// The section name of a header line ("[name]" after optional blanks; the name trimmed), or nothing.
std::optional<std::string_view> headerName(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    std::string_view name = trimmed.substr(1);
    name = name.substr(0, findCp932(name, ']')); // a header without "]" names the rest of its line
    return TrimBlanks(name);
}

bool isBlankLine(const Line& line) {
    return TrimBlanks(line.text).empty();
}

/// An entry line's key (before the first "=", trimmed) and value (after it), or nothing for a line without "=".
struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> entryOf(std::string_view text) {
    const std::size_t equals = text.find('='); // "=" is below every trail byte, so a byte search is safe
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Entry{TrimBlanks(text.substr(0, equals)), text.substr(equals + 1)};
}

/// The index of the first header line of the section, or nothing. A section that occurs more than once is
/// reached only at its first occurrence.
std::optional<std::size_t> findSection(const Lines& lines, std::string_view section) {
    const std::string_view wanted = TrimBlanks(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = headerName(lines[i].text);
        if (name && Cp932EqualIgnoringAsciiCase(*name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

/// One past the last line of the section whose header is at `header`: the next header or the end of the file.
std::size_t sectionEnd(const Lines& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && !headerName(lines[i].text)) {
        ++i;
    }
    return i;
}

/// One past the last non-blank line of the section, so that blank lines that separate it from the next
/// section stay where they are.
std::size_t sectionContentEnd(const Lines& lines, std::size_t header) {
    std::size_t end = sectionEnd(lines, header);
    while (end > header + 1 && isBlankLine(lines[end - 1])) {
        --end;
    }
    return end;
}

std::optional<std::size_t> findKey(const Lines& lines, std::size_t header, std::string_view key) {
    const std::string_view wanted = TrimBlanks(key);
    const std::size_t end = sectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto entry = entryOf(lines[i].text);
        if (entry && Cp932EqualIgnoringAsciiCase(entry->key, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

/// Makes sure the line before `index` ends, so a line inserted at `index` starts a line of its own.
void endLineBefore(Lines& lines, std::size_t index) {
    if (index > 0 && lines[index - 1].end.empty()) {
        lines[index - 1].end = kCrLf;
    }
}

std::size_t appendSectionHeader(Lines& lines, std::string_view section) {
    endLineBefore(lines, lines.size());
    lines.push_back(Line{"[" + std::string(section) + "]", std::string(kCrLf)});
    return lines.size() - 1;
}

// ---------------------------------------------------------------------------------------------------------------
// Values

/// How a value is read: blanks around it are dropped and one pair of double quotes that encloses it
/// is removed, as the Windows profile functions do.
std::string_view readValue(std::string_view raw) {
    std::string_view value = TrimBlanks(raw);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

/// How a value is written: as it is, unless reading it back would change it (blanks at either end, or
/// enclosing double quotes of its own); then it is enclosed in double quotes, which reading removes.
std::string storedValue(std::string_view value) {
    if (readValue(value) == value) {
        return std::string(value);
    }
    return "\"" + std::string(value) + "\"";
}

/// Cuts a value to at most `limit` bytes without leaving the lead byte of a double-byte character alone
/// at the end (such a value would not decode).
std::string_view cutValue(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) {
        return value;
    }
    std::size_t pos = 0;
    while (pos < limit) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(value[pos])) ? 2 : 1;
        if (pos + width > limit) {
            break;
        }
        pos += width;
    }
    return value.substr(0, pos);
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// ---------------------------------------------------------------------------------------------------------------
// Reading and writing whole files

bool fail(const std::filesystem::path& file, const std::string& what) {
    t_lastError = "設定ファイル " + Utf8FromPath(file) + " " + what;
    return false;
}

/// The file's lines for reading; a file that cannot be read reads as empty (settings reads never fail).
Lines readLines(const std::filesystem::path& file) {
    ProfileSnapshot snapshot;
    return snapshot.read(file) ? std::move(snapshot.lines()) : Lines{};
}

/// Writes the whole new file at once: it appears complete or not at all.
bool writeAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::string error;
    if (!AtomicFile::writeWhole(file, bytes, &error, "設定ファイル")) {
        t_lastError = error;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Changes

/// Refuses texts that would change the file's structure when written: a line break or NUL anywhere, an
/// "=" in a key, a "]" in a section name, an empty key.
bool checkKeyWrite(const std::filesystem::path& file, const ProfileFile::KeyValue& write) {
    if (hasLineBreakOrNul(write.section) || hasLineBreakOrNul(write.key) || hasLineBreakOrNul(write.value)) {
        return fail(file, "に書き込めません。セクション名、キーまたは値に改行が含まれています。");
    }
    if (findCp932(write.section, ']') != std::string_view::npos) {
        return fail(file, "に書き込めません。セクション名に「]」が含まれています。");
    }
    if (TrimBlanks(write.key).empty() || write.key.find('=') != std::string::npos) {
        return fail(file, "に書き込めません。キーが空か「=」を含んでいます。");
    }
    return true;
}

void applyKeyWrite(Lines& lines, const ProfileFile::KeyValue& write) {
    const std::string value = storedValue(write.value);
    auto header = findSection(lines, write.section);
    if (!header) {
        header = appendSectionHeader(lines, write.section);
    }
    if (const auto existing = findKey(lines, *header, write.key)) {
        // Keep the key as the file spells it and the line's own line end; only the value changes.
        Line& line = lines[*existing];
        line.text = std::string(entryOf(line.text)->key) + "=" + value;
        return;
    }
    const std::size_t at = sectionContentEnd(lines, *header);
    endLineBefore(lines, at);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                 Line{std::string(write.key) + "=" + value, std::string(kCrLf)});
}

/// Changes the file by the writes. A file that is there but cannot be read stops the write: replacing it with only
/// the new lines would lose everything else it holds.
bool changeFile(const std::filesystem::path& file, const std::vector<ProfileFile::KeyValue>& writes) {
    ProfileSnapshot snapshot;
    return snapshot.read(file) && snapshot.apply(writes) && writeAtomically(file, snapshot.bytes());
}

} // namespace

std::string ProfileFile::readString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize) {
    if (auto value = findString(file, section, key, bufferSize)) {
        return std::move(*value);
    }
    return fitToBuffer(defaultValue, bufferSize);
}

std::optional<std::string> ProfileFile::findString(const std::filesystem::path& file, std::string_view section,
                                                   std::string_view key, std::size_t bufferSize) {
    ProfileSnapshot snapshot;
    if (!snapshot.read(file)) {
        return std::nullopt; // a file that cannot be read reads as missing
    }
    return snapshot.find(section, key, bufferSize);
}

std::string ProfileFile::fitToBuffer(std::string_view value, std::size_t bufferSize) {
    return std::string(cutValue(value, bufferSize > 0 ? bufferSize - 1 : 0));
}

bool ProfileFile::writeString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                              std::string_view value) {
    return changeFile(file, {KeyValue{std::string(section), std::string(key), std::string(value)}});
}

bool ProfileFile::writeStrings(const std::filesystem::path& file, const std::vector<KeyValue>& writes) {
    return changeFile(file, writes);
}

bool ProfileFile::prepareStrings(const std::filesystem::path& file, const std::vector<KeyValue>& writes,
                                 AtomicFile& ready) {
    ProfileSnapshot snapshot;
    return snapshot.read(file) && snapshot.apply(writes) && snapshot.prepare(ready);
}

std::vector<std::string> ProfileFile::sectionNames(const std::filesystem::path& file) {
    std::vector<std::string> names;
    for (const Line& line : readLines(file)) {
        const auto name = headerName(line.text);
        if (!name) {
            continue;
        }
        bool known = false;
        for (const auto& seen : names) {
            known = known || Cp932EqualIgnoringAsciiCase(seen, *name);
        }
        if (!known) {
            names.emplace_back(*name);
        }
    }
    return names;
}

std::vector<std::string> ProfileFile::sectionLines(const std::filesystem::path& file, std::string_view section) {
    std::vector<std::string> result;
    const Lines lines = readLines(file);
    const auto header = findSection(lines, section);
    if (!header) {
        return result;
    }
    const std::size_t end = sectionEnd(lines, *header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const std::string_view text = TrimBlanks(lines[i].text);
        if (!text.empty()) {
            result.emplace_back(text);
        }
    }
    return result;
}

bool ProfileFile::writeSection(const std::filesystem::path& file, std::string_view section,
                               const std::vector<std::string>& lines) {
    if (hasLineBreakOrNul(section) || findCp932(section, ']') != std::string_view::npos) {
        return fail(file, "に書き込めません。セクション名に改行か「]」が含まれています。");
    }
    for (const auto& line : lines) {
        if (hasLineBreakOrNul(line) || headerName(line)) {
            return fail(file, "に書き込めません。行に改行が含まれているか、行がセクション見出しになっています。");
        }
    }
    ProfileSnapshot snapshot;
    if (!snapshot.read(file)) {
        return false;
    }
    Lines& content = snapshot.lines();
    auto header = findSection(content, section);
    if (!header) {
        header = appendSectionHeader(content, section);
    }
    endLineBefore(content, *header + 1);
    const std::size_t from = *header + 1;
    const std::size_t to = sectionContentEnd(content, *header);
    content.erase(content.begin() + static_cast<std::ptrdiff_t>(from),
                  content.begin() + static_cast<std::ptrdiff_t>(to));
    Lines replacement;
    replacement.reserve(lines.size());
    for (const auto& line : lines) {
        replacement.push_back(Line{line, std::string(kCrLf)});
    }
    content.insert(content.begin() + static_cast<std::ptrdiff_t>(from), replacement.begin(), replacement.end());
    return writeAtomically(file, snapshot.bytes());
}

const std::string& ProfileFile::lastError() {
    return t_lastError;
}

bool ProfileSnapshot::read(const std::filesystem::path& file) {
    m_file = file;
    m_byteOrderMark.clear();
    m_lines.clear();
    std::string bytes;
    int error = 0;
    switch (ReadRegularFile(file, bytes, error)) {
    case FileReadOutcome::Read:
        break;
    case FileReadOutcome::Missing:
        return true;
    case FileReadOutcome::NotRegularFile:
        return fail(file, "を読めません（" +
                              std::string(CausePhrase(error == EISDIR ? FailureCause::IsFolder
                                                                      : FailureCause::NotRegularFile)) +
                              "）。");
    case FileReadOutcome::TooLarge:
    case FileReadOutcome::Failed:
        return fail(file, "を読めません（" + SystemReason(error) + "）。");
    }
    std::string_view text = bytes;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        m_byteOrderMark = kByteOrderMark;
        text.remove_prefix(kByteOrderMark.size());
    }
    m_lines = splitLines(text);
    return true;
}

std::optional<std::string> ProfileSnapshot::find(std::string_view section, std::string_view key,
                                                 std::size_t bufferSize) const {
    const auto header = findSection(m_lines, section);
    if (header) {
        if (const auto index = findKey(m_lines, *header, key)) {
            return ProfileFile::fitToBuffer(readValue(entryOf(m_lines[*index].text)->value), bufferSize);
        }
    }
    return std::nullopt;
}

bool ProfileSnapshot::apply(const std::vector<ProfileFile::KeyValue>& writes) {
    for (const auto& write : writes) {
        if (!checkKeyWrite(m_file, write)) {
            return false;
        }
    }
    for (const auto& write : writes) {
        applyKeyWrite(m_lines, write);
    }
    return true;
}

bool ProfileSnapshot::prepare(AtomicFile& ready) const {
    if (!ready.open(m_file, "設定ファイル") || !ready.write(bytes()) || !ready.finish()) {
        t_lastError = ready.errorString();
        return false;
    }
    return true;
}

std::string ProfileSnapshot::bytes() const {
    return m_byteOrderMark + joinLines(m_lines);
}

} // namespace zentu
