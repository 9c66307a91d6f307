#pragma once

#include <string>
#include <string_view>

namespace hamlog {

/// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

/// UTF-8 to CP932. Returns false, leaving `out` unspecified, when the text is not valid UTF-8 or holds a
/// character CP932 lacks: nothing is replaced or dropped.
bool Utf8ToCp932(std::string_view utf8, std::string& out);

/// CP932 to UTF-8. Returns false when the bytes are not valid CP932.
bool Cp932ToUtf8(std::string_view cp932, std::string& out);

/// CP932 to UTF-8 for display: every byte that does not decode becomes U+FFFD and decoding goes on.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

} // namespace hamlog
