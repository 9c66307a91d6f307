#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zentu {

/// The part of a text before its first NUL, or the whole text when it holds none. Works on bytes,
/// so it serves CP932 and UTF-8 alike.
std::string cut_at_nul(std::string_view text);

/// Whether a byte is a blank: a space or a tab.
bool IsBlankChar(char c);

/// Removes blanks (space, tab) at both ends. Works on bytes; safe on CP932 because no trail byte of a
/// double-byte character is a space or a tab.
std::string_view TrimBlanks(std::string_view text);

/// Whether a text is empty or only blanks (what every setting means by "not set").
inline bool IsBlank(std::string_view text) {
    return TrimBlanks(text).empty();
}

/// The text with its ASCII letters lower-cased, byte by byte (for ASCII and UTF-8 texts, whose multi-byte
/// sequences hold no ASCII byte; CP932 bytes need Cp932UpperAscii).
std::string LowerAscii(std::string_view text);

/// Whether two ASCII or UTF-8 texts are equal when ASCII letters are compared without regard to case.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

/// Whether two CP932 texts are equal when ASCII letters are compared without regard to case; the bytes of a
/// double-byte character must match exactly.
bool Cp932EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

/// Removes every occurrence of `what` from `text` (exact, case-sensitive), scanning left to right.
std::string RemoveAll(std::string_view text, std::string_view what);

/// Replaces every occurrence of `what` in `text` by `with`.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

/// The number of bytes of a UTF-8 text in CP932 (a double-byte character counts 2, ASCII 1; a character
/// CP932 lacks counts 1, as "?" would).
std::int32_t AnsiByteLength(std::string_view utf8);

/// Encodes a UTF-8 text in CP932, takes `length` bytes from byte `start` (1-based), and decodes them back.
/// A cut through a double-byte character drops that half character. A start below 1 counts from the first
/// byte; a length below 1, or a start past the end, gives the empty text; a length past the end takes the rest.
std::string AnsiByteMid(std::string_view utf8, std::int32_t start, std::int32_t length);

/// Whether a CP932 byte starts a double-byte character (0x81-0x9F, 0xE0-0xFC), so that the next byte
/// belongs to it whatever its value.
inline bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// Upper-cases the ASCII letters of CP932 bytes; the bytes of double-byte characters stay as they are
/// (a trail byte may look like a lower-case letter).
std::string Cp932UpperAscii(std::string_view cp932);
/// As Cp932UpperAscii, written to `out` (room for cp932.size() bytes).
void Cp932UpperAsciiInto(std::string_view cp932, char* out);

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

} // namespace zentu
