#pragma once

// The one conversion between UTF-8 and CP932 (Shift_JIS as Windows uses it): over iconv on Linux, over Windows' code
// page 932 on Windows, with the same results on both (Cp932Backend.h). It depends on nothing else of this project,
// so the core and the log tool both build on it.

#include <cstddef>
#include <string>
#include <string_view>

namespace zentu::codec {

/// The outcome of a conversion that stops at the first text it cannot convert.
struct Converted {
    std::string text;         ///< the converted bytes (everything before the failure when !ok)
    bool ok = true;           ///< false when some input could not be converted
    std::size_t failedAt = 0; ///< byte offset in the input of the first text that could not be converted
};

/// True when every byte is below 0x80 (then CP932 and UTF-8 agree and no conversion is needed).
bool IsAscii(std::string_view bytes);

/// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

/// UTF-8 to CP932. Stops at invalid UTF-8 and at a character CP932 does not have.
Converted Utf8ToCp932(std::string_view utf8);

/// CP932 to UTF-8. Stops at a byte sequence that is not CP932.
Converted Cp932ToUtf8(std::string_view cp932);

/// CP932 to UTF-8 that never fails: each byte that does not start a CP932 character becomes U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

/// UTF-8 to CP932 that never fails and keeps the length in bytes a one-byte stand-in would give: each character
/// CP932 lacks (or each stray byte of broken UTF-8) becomes "?".
std::string Utf8ToCp932Lossy(std::string_view utf8);

} // namespace zentu::codec
