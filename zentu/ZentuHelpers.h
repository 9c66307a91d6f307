#pragma once

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentu {

/// The path separator of this platform, as the program writes it in paths and texts.
inline constexpr char kNativeSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

/// The display form of a path for a label with room for `budget` bytes (CP932): the path itself when it fits,
/// otherwise its first bytes, "...", the separator and the last element, with every space and ideographic space
/// turned into "_". When the last element alone is longer than the room, it is shown alone after "..."; a cut
/// through a double-byte character drops the half character.
std::string ShortenPathForDisplay(std::string_view path, std::int32_t budget, char separator = kNativeSeparator);

/// What the main window's path labels show: the path when it is shorter than 49 bytes, else its shortened form
/// for 48 bytes.
std::string DisplayPath(std::string_view path);

/// Creates the folder (one level) when there is nothing of that name. False with `error` (Japanese, the cause)
/// when it cannot be made.
bool EnsureFolder(const std::filesystem::path& folder, std::string* error = nullptr);

/// A date text spread for the range dialog's labels: every character followed by a space, laid into
/// "@@@@@@@@/ @@@@/ @@@@" from the right (places left over are spaces).
std::string SpacedDate(std::string_view date);

/// The year (first four characters), month (characters 5 and 6) and day (last two characters) of a date text.
struct DateParts {
    std::string year;
    std::string month;
    std::string day;
};
DateParts SplitDate(std::string_view date);

/// The file of that name in the folder whatever the letter case of its name (the exact spelling first), as a
/// Windows file system would find it; nothing when there is none.
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

/// A job number 1 to 9 as one full-width digit ("１" to "９").
QString WideDigit(int job);

/// UTF-8 to QString and back.
inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string U(const QString& text) {
    return text.toStdString();
}

/// Why a file operation failed, in Japanese, from its error code (never the system's English text).
std::string FileErrorText(const std::error_code& error);

} // namespace zentu
